#include "platform/vcl/TComponent.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_freed;

class Tracked : public vcl::TComponent {
 public:
  Tracked(vcl::TComponent* owner, std::string name) : vcl::TComponent(owner) { Name = name; }
  ~Tracked() override { g_freed.push_back(Name); }
};

TEST(TComponent, AnOwnerFreesItsComponentsNewestFirst) {
  g_freed.clear();
  auto* owner = new Tracked(nullptr, "owner");
  new Tracked(owner, "first");
  auto* second = new Tracked(owner, "second");
  new Tracked(second, "grandchild");
  new Tracked(owner, "third");
  EXPECT_EQ(owner->ComponentCount(), 3);
  delete owner;
  // Each destructor body runs before its base frees the components it owns.
  EXPECT_EQ(g_freed,
            (std::vector<std::string>{"owner", "third", "second", "grandchild", "first"}));
}

TEST(TComponent, AComponentFreedFirstLeavesItsOwnersList) {
  g_freed.clear();
  Tracked owner(nullptr, "owner");
  auto* child = new Tracked(&owner, "child");
  EXPECT_EQ(child->Owner(), &owner);
  delete child;
  EXPECT_EQ(owner.ComponentCount(), 0);
}

TEST(TComponent, ClassNameIsTheClassWithoutItsNamespace) {
  Tracked t(nullptr, "t");
  EXPECT_EQ(t.ClassName(), "Tracked");
}

}  // namespace

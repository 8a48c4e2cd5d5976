// Components own the components created with them as owner and free them,
// newest first, when they are freed themselves. Created with new; freed with
// delete, which also takes them out of their owner's list.
#pragma once

#include <string>
#include <vector>

#include "platform/vcl/TObject.h"

namespace vcl {

class TComponent : public TObject {
 public:
  explicit TComponent(TComponent* AOwner);
  ~TComponent() override;
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(index); }
  // Frees every owned component, newest first.
  void DestroyComponents();

  std::string Name;

 private:
  void Remove(TComponent* component);

  TComponent* FOwner;
  std::vector<TComponent*> FComponents;
};

}  // namespace vcl

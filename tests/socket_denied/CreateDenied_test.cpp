// Runs under deny-sockets: the system refuses every socket.
#include <gtest/gtest.h>

#include "platform/win/MessageQueue.h"
#include "platform/winsock/Winsock.h"
#include "socket/RezUrav.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Hex;
using testing_support::Sjis;

TEST(CreateWithoutSockets, RaisesTheStartupTextAloneAndLeavesNothingBehind) {
  vcl::TComponent owner(nullptr);
  int windows = win::LiveWindowCount();
  try {
    new RezUrav::VOduRude(&owner);
    FAIL() << "Create must fail when sockets cannot be made";
  } catch (const RezUrav::ECommError& e) {
    std::string text = Sjis("ﾈｯﾄﾜｰｸｻﾌﾞｼｽﾃﾑが使用不能です");
    EXPECT_EQ(Hex(e.ErrorText()), Hex(text)) << "no prefix for the start-up failure";
    EXPECT_EQ(Hex(e.Message), Hex(Sjis("ｿｹｯﾄｴﾗｰ : ") + text));
  }
  EXPECT_EQ(owner.ComponentCount(), 0);
  EXPECT_EQ(win::LiveWindowCount(), windows);
  EXPECT_EQ(winsock::StartedCount(), 0);
}

}  // namespace

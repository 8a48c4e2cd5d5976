#include "socket/RezUrav.h"

#include <sched.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/win/MessageQueue.h"
#include "platform/winsock/Winsock.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Sjis;

class VOduRudeTest : public ::testing::Test {
 protected:
  std::unique_ptr<RezUrav::VOduRude> rez = std::make_unique<RezUrav::VOduRude>(nullptr);
};

std::string SystemHostName() {
  char name[256] = {};
  ::gethostname(name, sizeof name - 1);
  return name;
}

TEST_F(VOduRudeTest, CreateStartsSocketsAndLearnsTheOwnNameAndAddress) {
  EXPECT_EQ(rez->ErrorNumber, 0);
  EXPECT_EQ(rez->TimeOut, 0);
  EXPECT_EQ(rez->TargetPort, 0);
  EXPECT_FALSE(rez->ServerMode);
  EXPECT_EQ(rez->SelfName(), SystemHostName());
  // This machine's own name resolves through the hosts file.
  EXPECT_EQ(rez->SelfIPAddress(), "127.0.0.1");
  EXPECT_GE(winsock::StartedCount(), 1);
  EXPECT_EQ(rez->ErrorMessage(), "");
}

TEST_F(VOduRudeTest, DestroyReleasesTheWindowTheTimerAndSockets) {
  rez.reset();
  int windows = win::LiveWindowCount();
  int started = winsock::StartedCount();
  {
    vcl::TComponent owner(nullptr);
    new RezUrav::VOduRude(&owner);
    EXPECT_EQ(win::LiveWindowCount(), windows + 2) << "notification window and timer window";
    EXPECT_EQ(winsock::StartedCount(), started + 1);
  }
  EXPECT_EQ(win::LiveWindowCount(), windows);
  EXPECT_EQ(winsock::StartedCount(), started);
}

TEST_F(VOduRudeTest, OwnNameAndAddressIgnoreWrites) {
  std::string name = rez->SelfName(), address = rez->SelfIPAddress();
  rez->SetSelfName("other");
  rez->SetSelfIPAddress("10.0.0.1");
  EXPECT_EQ(rez->SelfName(), name);
  EXPECT_EQ(rez->SelfIPAddress(), address);
}

TEST_F(VOduRudeTest, TargetHostResolvesIntoTargetIPAddress) {
  struct Case {
    std::string host;
    const char* address;
  } cases[] = {
      {"localhost", "127.0.0.1"},
      {"127.0.0.5", "127.0.0.5"},
      {std::string(70, 'a'), "255.255.255.255"},  // cannot resolve
      {"", "255.255.255.255"},
  };
  for (const Case& c : cases) {
    rez->SetTargetHost(c.host);
    EXPECT_EQ(rez->TargetHost(), c.host);
    EXPECT_EQ(rez->TargetIPAddress, c.address) << c.host;
  }
}

TEST_F(VOduRudeTest, TargetHostIsResolvedAgainWhenAssignedItsOwnValue) {
  rez->SetTargetHost("localhost");
  rez->TargetIPAddress = "stale";
  rez->SetTargetHost("localhost");
  EXPECT_EQ(rez->TargetIPAddress, "127.0.0.1");
}

TEST_F(VOduRudeTest, TargetIPAddressIsStoredWithoutResolving) {
  rez->TargetIPAddress = "localhost";
  EXPECT_EQ(rez->TargetIPAddress, "localhost");
  EXPECT_EQ(rez->TargetHost(), "");
}

TEST_F(VOduRudeTest, TargetServiceLooksUpTheSystemsPortOnlyWhenTheNameChanges) {
  rez->TargetPort = 99;
  rez->SetTargetService("no-such-service-here");
  EXPECT_EQ(rez->TargetService(), "no-such-service-here");
  EXPECT_EQ(rez->TargetPort, 99) << "an unknown service leaves the port";

  rez->SetTargetService("telnet");
  EXPECT_EQ(rez->TargetPort, 23);
  rez->TargetPort = 99;
  rez->SetTargetService("telnet");
  EXPECT_EQ(rez->TargetPort, 99) << "the same name again does nothing";
}

TEST_F(VOduRudeTest, ErrorMessageDescribesWhateverErrorNumberHolds) {
  rez->ErrorNumber = 10061;
  EXPECT_EQ(rez->ErrorMessage(), Sjis("接続が拒否されました"));
  rez->ErrorNumber = 10060;
  EXPECT_EQ(rez->ErrorMessage(), Sjis("ﾀｲﾑｱｳﾄしました"));
  rez->ErrorNumber = 0;
  EXPECT_EQ(rez->ErrorMessage(), "");
}

// A host name longer than the 50-byte buffer: Create records the error and
// ends early, without timer and event. Needs a UTS namespace of our own.
TEST(VOduRudeHostName, AHostNameThatDoesNotFitEndsCreateEarly) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (unshare(CLONE_NEWUTS) != 0) _exit(77);
    std::string longName(60, 'h');
    if (sethostname(longName.data(), longName.size()) != 0) _exit(77);
    int windows = win::LiveWindowCount();
    auto* rez = new RezUrav::VOduRude(nullptr);
    int code = 0;
    if (rez->ErrorNumber != winsock::WSAEFAULT) code = 1;
    if (!rez->SelfName().empty() || !rez->SelfIPAddress().empty()) code = 2;
    if (win::LiveWindowCount() != windows + 1) code = 3;  // no timer window
    delete rez;
    if (win::LiveWindowCount() != windows || winsock::StartedCount() != 0) code = 4;
    _exit(code);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  if (WEXITSTATUS(status) == 77) GTEST_SKIP() << "no UTS namespace here";
  EXPECT_EQ(WEXITSTATUS(status), 0) << "1 error number, 2 names, 3 timer, 4 release";
}

}  // namespace

// The exchange with a device, end to end: the real vardex binary against
// scripted devices on 127.0.0.1.
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/e2e/FakeDevice.h"
#include "tests/e2e/ProgramRun.h"
#include "tests/support/Sjis.h"

namespace {

using e2e::FakeDevice;
using e2e::Pause;
using e2e::ReadCommand;
using testing_support::Fd;
using testing_support::Hex;
using testing_support::SendAll;
using testing_support::Sjis;

const std::string kGreeting = "ZORVEL-100 Ver 2.01\r\n>";
const std::string kCommand = "*password#POR1";

e2e::RunResult RunAgainst(const FakeDevice& device, const std::string& command = kCommand) {
  return e2e::RunProgram(VARDEX_BINARY, {"127.0.0.1", device.Port(), command});
}

void ExpectElapsed(const e2e::RunResult& r, int fromMs, int toMs) {
  EXPECT_GE(r.elapsed.count(), fromMs);
  EXPECT_LT(r.elapsed.count(), toMs);
}

TEST(VardexExchange, SendsTheCommandOnceAfterThePromptAndPrintsTheAnswerFor2Seconds) {
  std::string received;
  FakeDevice device([&](Fd& c) {
    SendAll(c.Get(), kGreeting);
    received = ReadCommand(c.Get());
    SendAll(c.Get(), "POR1 OK\r\n");
    Pause(300);
    SendAll(c.Get(), "\x1B$B$\"\x1B(B\r\n>");  // JIS text, converted on the way
    received += testing_support::ReadFor(c.Get(), 1, 3000);  // anything more: a fault
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(received, kCommand + "\r") << "exactly the command and CR, once";
  EXPECT_EQ(Hex(r.out), Hex("POR1 OK\r\n" + Sjis("あ\r\n>")));
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "");
  ExpectElapsed(r, 1900, 4000);  // 2 s from the first block of the answer
}

TEST(VardexExchange, ADeviceThatClosesAfterItsAnswerEndsTheRunAtOnce) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    SendAll(c.Get(), "POR1 OK\r\n");
    c = Fd();
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "POR1 OK\r\n");
  EXPECT_EQ(r.exitCode, 0);
  ExpectElapsed(r, 0, 1500);
}

TEST(VardexExchange, OnlyBlocksWithin2SecondsOfTheFirstAnswerBlockArePrinted) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    SendAll(c.Get(), "one\r\n");
    Pause(1000);
    SendAll(c.Get(), "two\r\n");  // does not restart the 2 s
    Pause(1700);
    SendAll(c.Get(), "three\r\n");
    Pause(500);
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "one\r\ntwo\r\n");
  ExpectElapsed(r, 1900, 2700);
}

TEST(VardexExchange, AGreetingWithoutPromptEndsWithConnectTimeOutAndSendsNothing) {
  std::string received;
  FakeDevice device([&](Fd& c) {
    SendAll(c.Get(), "ZORVEL\r\nlogin");
    received = testing_support::ReadFor(c.Get(), 1, 6000);
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "Connect Time Out") << "no line end";
  EXPECT_EQ(received, "") << "nothing may be sent before the prompt";
  ExpectElapsed(r, 4900, 7000);
}

TEST(VardexExchange, ARefusalEndsTheRunAtOnceWithoutSendingTheCommand) {
  std::string received;
  FakeDevice device([&](Fd& c) {
    SendAll(c.Get(), "503 Too many users.\r\n");
    received = testing_support::ReadFor(c.Get(), 1, 1500);
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "503 Too many users") << "the tool's own text, no line end";
  EXPECT_EQ(received, "");
  ExpectElapsed(r, 0, 1500);
}

TEST(VardexExchange, TooInsideTheAnswerEndsItAndThatBlockIsNotPrinted) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    SendAll(c.Get(), "first\r\n");
    Pause(200);
    SendAll(c.Get(), "Tool error\r\n");
    Pause(1500);
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "first\r\n503 Too many users");
  ExpectElapsed(r, 0, 1500);
}

TEST(VardexExchange, APromptOrRefusalSplitAcrossBlocksIsStillFound) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), "ZORVEL\r\nready");
    Pause(200);
    SendAll(c.Get(), ">");
    ReadCommand(c.Get());
    SendAll(c.Get(), "T");
    Pause(200);
    SendAll(c.Get(), "oo");
    Pause(1500);
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "T503 Too many users");
}

TEST(VardexExchange, ABlockIsPrintedOnlyUpToANulByte) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    SendAll(c.Get(), std::string("ab\0cd", 5));
    c = Fd();
  });
  EXPECT_EQ(RunAgainst(device).out, "ab");
}

TEST(VardexExchange, ACommandWithBlanksIsSentAsOneArgument) {
  std::string received;
  FakeDevice device([&](Fd& c) {
    SendAll(c.Get(), kGreeting);
    received = ReadCommand(c.Get());
    c = Fd();
  });
  RunAgainst(device, "*pass word#SET A B");
  EXPECT_EQ(received, "*pass word#SET A B\r");
}

TEST(VardexExchange, AConnectionRefusedAtOnceGivesConnectErrorAndEndsAfterAboutOneAndAHalfSeconds) {
  // connect(2) itself fails, as when a local firewall refuses at once.
  auto r = e2e::RunProgram(DENY_SOCKETS_BINARY,
                           {"--connect", VARDEX_BINARY, "127.0.0.1", "23", kCommand});
  EXPECT_EQ(r.out, "Connect Error\r\n");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.err, "") << "the component's own message is not shown";
  ExpectElapsed(r, 1450, 3000);  // 500 ms pause, then the 1000 ms limit
}

// A device that answers with a flood: the answer window still ends the run,
// and what reaches standard output is exactly the start of what was sent.
TEST(VardexHostileDevice, AFloodEndsAfterTheAnswerWindowWithNothingLostOrChanged) {
  std::string sent;
  FakeDevice device([&](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    std::string line;
    for (int i = 0; i < 64; ++i) line += static_cast<char>('A' + i % 26);
    line += "\r\n";
    auto start = std::chrono::steady_clock::now();
    for (int n = 0; std::chrono::steady_clock::now() - start < std::chrono::seconds(4); ++n) {
      std::string block = std::to_string(n) + ":" + line;
      if (::send(c.Get(), block.data(), block.size(), MSG_NOSIGNAL) !=
          static_cast<ssize_t>(block.size()))
        break;  // vardex has gone
      sent += block;
    }
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.exitCode, 0);
  ExpectElapsed(r, 1900, 3500);
  EXPECT_GT(r.out.size(), 1000u);
  EXPECT_EQ(r.out, sent.substr(0, r.out.size())) << "the answer must arrive as it was sent";
}

// A close that comes with an error raises no event, so a reset does not end
// the run early: the answer window runs out as usual, with no report.
TEST(VardexHostileDevice, AResetAfterPartOfTheAnswerKeepsWhatCameAndEndsWithTheWindow) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    SendAll(c.Get(), "POR1 OK\r\n");
    Pause(300);
    testing_support::ResetAndClose(c);
  });
  auto r = RunAgainst(device);
  EXPECT_EQ(r.out, "POR1 OK\r\n");
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.exitCode, 0);
  ExpectElapsed(r, 1900, 4000);
}

TEST(VardexHostileDevice, AClosedStandardOutputLosesTheAnswerButNotTheRun) {
  FakeDevice device([](Fd& c) {
    SendAll(c.Get(), kGreeting);
    ReadCommand(c.Get());
    SendAll(c.Get(), "POR1 OK\r\n");
    Pause(300);
    SendAll(c.Get(), "more\r\n");
    c = Fd();
  });
  auto r = e2e::RunProgram(VARDEX_BINARY, {"127.0.0.1", device.Port(), kCommand},
                           e2e::StdoutTo::Closed);
  EXPECT_TRUE(r.exited) << "signal " << r.signal;
  EXPECT_EQ(r.exitCode, 0);
  ExpectElapsed(r, 0, 2500);  // ended by the device's close, as usual
}

}  // namespace

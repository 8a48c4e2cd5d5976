// The vardex program as a whole: its frame, command line and usage text.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/ProgramRun.h"
#include "tests/support/LoopbackPeer.h"
#include "tests/support/Sjis.h"

namespace {

using e2e::StdoutTo;
using testing_support::Hex;
using testing_support::Sjis;

const std::vector<std::string> kUsageLines = {
    "VARDEX Ver 3.1β10 Copyright (C) 2026 VARDEX developers",
    "",
    "　ZORVEL シリーズのコマンドをコンソールから送信します。",
    "",
    "　VARDEX [IPｱﾄﾞﾚｽ] [ﾎﾟｰﾄ番号] [ｺﾏﾝﾄﾞ]",
    "",
    "　[IPｱﾄﾞﾚｽ]　　　対象機器のアドレスを指定します。",
    "　[ﾎﾟｰﾄ番号]　 　TELNETポートを指定します。デフォルトは23",
    "　[ｺﾏﾝﾄﾞ]  　　　制御コマンドを指定します。*[バスワード]#[コマンド]の形式",
    "",
    "　例>VARDEX 192.168.10.1 23 *password#POR1",
};

std::string UsageText(bool sjis = true) {
  std::string text;
  for (const std::string& line : kUsageLines) text += (sjis ? Sjis(line) : line) + "\r\n";
  return text;
}

TEST(VardexUsage, LineLengthsAreTheDocumentedOnes) {
  // Byte lengths in Shift_JIS of lines 2 to 11, without CR LF: a check of the
  // expected text itself, so a typo in it cannot make a wrong program pass.
  const std::size_t lengths[] = {0, 55, 0, 37, 0, 49, 57, 73, 0, 42};
  for (std::size_t i = 1; i < kUsageLines.size(); ++i)
    EXPECT_EQ(Sjis(kUsageLines[i]).size(), lengths[i - 1]) << "line " << i + 1;
}

TEST(VardexUsage, MissingArgumentsGiveTheUsageTextAndExitCode0) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"127.0.0.1"},
      {"127.0.0.1", "23"},
      {"127.0.0.1", "", "*password#POR1"},  // an empty quoted word is no argument
      {"", "", ""},
  };
  for (const auto& args : cases) {
    e2e::RunResult r = e2e::RunProgram(VARDEX_BINARY, args);
    SCOPED_TRACE(::testing::Message() << args.size() << " words");
    EXPECT_TRUE(r.exited) << "signal " << r.signal;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, UsageText()) << Hex(r.out);
    EXPECT_EQ(r.err, "") << "nothing goes to standard error";
    EXPECT_LT(r.elapsed.count(), 1000);
  }
}

TEST(VardexOutput, AFileGetsExactlyTheBytes) {
  e2e::RunResult r = e2e::RunProgram(VARDEX_BINARY, {"127.0.0.1"}, StdoutTo::File);
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, UsageText()) << Hex(r.out);
}

TEST(VardexOutput, AClosedOrBrokenStandardOutputIsNoCrash) {
  for (StdoutTo to : {StdoutTo::Closed, StdoutTo::BrokenPipe}) {
    e2e::RunResult r = e2e::RunProgram(VARDEX_BINARY, {}, to);
    SCOPED_TRACE(to == StdoutTo::Closed ? "closed" : "broken pipe");
    EXPECT_TRUE(r.exited) << "ended by signal " << r.signal;
    EXPECT_EQ(r.exitCode, 0) << "the usage writes are guarded";
    EXPECT_EQ(r.err, "") << "a failed usage write is dropped without a report";
  }
}

TEST(VardexOutput, AUtf8TerminalGetsTheTextInUtf8) {
  e2e::RunResult r = e2e::RunOnTerminal(VARDEX_BINARY, {}, "C.UTF-8");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, UsageText(false)) << Hex(r.out);

  r = e2e::RunOnTerminal(VARDEX_BINARY, {}, "C");
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, UsageText()) << "a terminal that is not UTF-8 gets the bytes as they are";
}

TEST(VardexStart, WithoutSocketsTheStartFailsWithTheReportAndExitCode1) {
  e2e::RunResult r = e2e::RunProgram(DENY_SOCKETS_BINARY, {VARDEX_BINARY});
  EXPECT_TRUE(r.exited);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.err, "");
  // Class, module and a code address; then the message with a full stop.
  const std::string head = "ECommError" + Sjis("がﾓｼﾞｭｰﾙ vardex の ");
  const std::string tail =
      Sjis(" で発生しました。") + "\n" + Sjis("ｿｹｯﾄｴﾗｰ : ﾈｯﾄﾜｰｸｻﾌﾞｼｽﾃﾑが使用不能です") + ".\r\n";
  ASSERT_EQ(r.out.size(), head.size() + 16 + tail.size()) << Hex(r.out);
  EXPECT_EQ(r.out.substr(0, head.size()), head) << Hex(r.out);
  EXPECT_TRUE(std::regex_match(r.out.substr(head.size(), 16), std::regex("[0-9A-F]{16}")));
  EXPECT_EQ(r.out.substr(head.size() + 16), tail) << Hex(r.out);
}

TEST(VardexStart, WithoutSocketsThereIsNoUsageTextEither) {
  e2e::RunResult r = e2e::RunProgram(DENY_SOCKETS_BINARY, {VARDEX_BINARY, "127.0.0.1"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out.find(Sjis("ZORVEL シリーズ")), std::string::npos);
}

TEST(VardexRun, ADeviceThatNeverAnswersEndsWithConnectTimeOutAfter5Seconds) {
  int port = testing_support::UnusedLoopbackPort();
  e2e::RunResult r =
      e2e::RunProgram(VARDEX_BINARY, {"127.0.0.1", std::to_string(port), "*password#POR1"});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(r.out, "Connect Time Out") << "no line end";
  EXPECT_EQ(r.err, "");
  EXPECT_GE(r.elapsed.count(), 4900);
  EXPECT_LT(r.elapsed.count(), 8000);
}

}  // namespace

#include "tools/zorvel-sim/Device.h"

#include <gtest/gtest.h>

#include "tests/support/Sjis.h"

namespace {

using zorvel::Device;
using zorvel::Options;

TEST(ZorvelDevice, AnswersEachCommandLineAndPromptsAgain) {
  Options o;
  Device d(o);
  struct Case {
    const char* line;
    std::string answer;
  } cases[] = {
      {"*password#POR1", "POR1 OK\r\n>"},
      {"*password#VER", "ZORVEL-100 Ver 2.01\r\n>"},
      {"*password#STS", testing_support::Sjis("状態: 正常 ｵﾝﾗｲﾝ\r\n") + ">"},
      {"*wrong#POR1", "Password Error\r\n>"},
      {"*password#FOO", "Command Error\r\n>"},
      {"password#POR1", "Syntax Error\r\n>"},
      {"*passwordPOR1", "Syntax Error\r\n>"},
  };
  for (const Case& c : cases) EXPECT_EQ(d.Answer(c.line), c.answer) << c.line;
  EXPECT_EQ(d.Greeting(), "ZORVEL-100 Ver 2.01\r\n>");
}

TEST(ZorvelDevice, ALineMayArriveInPiecesAndEndsWithCrOrLf) {
  Options o;
  o.echo = true;
  Device d(o);
  EXPECT_EQ(d.Receive("*pass"), "");
  EXPECT_EQ(d.Receive("word#POR2\r\n"), "*password#POR2\r\nPOR2 OK\r\n>");
  EXPECT_EQ(d.Receive("\n"), "") << "empty lines are ignored";
}

TEST(ZorvelDevice, EncodesJapaneseAnswersAsConfigured) {
  Options o;
  o.encoding = zorvel::Encoding::EucJp;
  EXPECT_EQ(Device(o).Answer("*password#STS").substr(0, 4), "\xBE\xF5\xC2\xD6");  // 状態
  o.encoding = zorvel::Encoding::Jis;
  EXPECT_EQ(Device(o).Answer("*password#STS").substr(0, 3), "\x1B$B");
  o.silent = true;
  EXPECT_EQ(Device(o).Greeting(), "");
}

}  // namespace

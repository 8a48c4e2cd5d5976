#include "platform/rtl/ParamStr.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

void SetWords(const std::vector<const char*>& argv) {
  rtl::SetArguments(static_cast<int>(argv.size()), argv.data());
}

TEST(RtlParamStr, WordsAreArgvsWithEmptyOnesSkipped) {
  SetWords({"/usr/bin/vardex", "127.0.0.1", "", "*pw#A B", ""});
  EXPECT_EQ(rtl::ParamCount(), 2);
  EXPECT_EQ(rtl::ParamStr(0), "/usr/bin/vardex");
  EXPECT_EQ(rtl::ParamStr(1), "127.0.0.1");
  EXPECT_EQ(rtl::ParamStr(2), "*pw#A B") << "the empty word is no argument; blanks stay";
  EXPECT_EQ(rtl::ParamStr(3), "") << "beyond the last";
  EXPECT_EQ(rtl::ParamStr(-1), "");
  EXPECT_EQ(rtl::ParamStr(1000), "");
}

TEST(RtlParamStr, WordsKeepEveryByteAndAnyLength) {
  std::string longWord(100000, 'x');
  longWord[300] = '\x81';                  // a Shift_JIS lead byte among them
  const char sjis[] = "\x83\x5C\x81\x40";  // "ソ", ideographic space
  SetWords({"vardex", longWord.c_str(), sjis});
  EXPECT_EQ(rtl::ParamCount(), 2);
  EXPECT_EQ(rtl::ParamStr(1), longWord) << "no 256-byte limit";
  EXPECT_EQ(rtl::ParamStr(2), sjis);
}

TEST(RtlParamStr, NoArgumentsAtAll) {
  SetWords({"vardex"});
  EXPECT_EQ(rtl::ParamCount(), 0);
  EXPECT_EQ(rtl::ParamStr(1), "");
  SetWords({});  // execve with an empty argv
  EXPECT_EQ(rtl::ParamCount(), 0);
  EXPECT_EQ(rtl::ParamStr(0), "");
}

}  // namespace

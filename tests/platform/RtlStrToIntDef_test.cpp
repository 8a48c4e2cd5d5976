#include "platform/rtl/StrToIntDef.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>

namespace {

// The port argument's cases: 8000 is what a text that is no whole number gives.
struct Case {
  std::string_view text;
  std::int32_t expected;
};

constexpr std::int32_t kDefault = 8000;

const Case kCases[] = {
    {"23", 23},
    {"+23", 23},
    {"023", 23},
    {"$17", 23},
    {"$ff", 255},
    {"$FF", 255},
    {"  23", 23},         // leading blanks are allowed
    {"$0000000017", 23},  // leading zeros do not count against the width
    {"65559", 65559},     // 23 + 65536: stored whole, only the port uses 16 bits
    {"-1", -1},
    {"2147483647", 2147483647},
    {"-2147483648", INT32_MIN},
    {"$FFFFFFFF", -1},  // top bit set: the negative number of the same bits
    {"$80000000", INT32_MIN},
    {"0x17", kDefault},
    {"23a", kDefault},
    {"telnet", kDefault},
    {"-$17", kDefault},  // no sign before "$"
    {"+$17", kDefault},
    {"23 ", kDefault},   // trailing blanks are not
    {"\t23", kDefault},  // only byte 32 counts as a leading blank
    {"", kDefault},
    {"   ", kDefault},
    {"+", kDefault},
    {"-", kDefault},
    {"$", kDefault},
    {"2147483648", kDefault},  // overflow
    {"-2147483649", kDefault},
    {"$100000000", kDefault},
    {"99999999999999999999999", kDefault},  // far past 64 bits must not wrap into range
    {"$1000000000000000017", kDefault},
    {"2 3", kDefault},
};

TEST(RtlStrToIntDef, PortArgumentTable) {
  for (const Case& c : kCases) {
    EXPECT_EQ(rtl::StrToIntDef(c.text, kDefault), c.expected) << "text \"" << c.text << "\"";
  }
}

TEST(RtlStrToIntDef, EmbeddedNulIsATrailingCharacter) {
  EXPECT_EQ(rtl::StrToIntDef(std::string_view("23\0", 3), kDefault), kDefault);
}

TEST(RtlStrToIntDef, DefaultIsReturnedAsGiven) {
  EXPECT_EQ(rtl::StrToIntDef("x", -5), -5);
  EXPECT_EQ(rtl::StrToIntDef("x", INT32_MIN), INT32_MIN);
}

}  // namespace

#include "platform/vcl/Format.h"

#include <gtest/gtest.h>

#include "platform/vcl/Exception.h"

namespace {

TEST(Format, PadsNumbersWithBlanksToTheWidthAndNeverCutsThem) {
  struct Case {
    int value;
    const char* expected;
  } cases[] = {
      {7, "[  7]"},     {-1, "[ -1]"},       {0, "[  0]"},
      {123, "[123]"},   {10048, "[10048]"},  {99999, "[99999]"},
      {-2147483647 - 1, "[-2147483648]"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(vcl::Format("[%3d]", {c.value}), c.expected) << c.value;
}

TEST(Format, StringsAreArgumentsSoTheirPercentSignsPassUnchanged) {
  EXPECT_EQ(vcl::Format("lead : %s", {"100% %s %d"}), "lead : 100% %s %d");
  EXPECT_EQ(vcl::Format("%s", {std::string("a\0b", 3)}), std::string("a\0b", 3));
  EXPECT_EQ(vcl::Format("50%% %s", {"x"}), "50% x");
}

TEST(Format, OtherDirectives) {
  EXPECT_EQ(vcl::Format("%-4d|%.3d|%x|%u", {7, 5, 255, -1}), "7   |005|FF|4294967295");
  EXPECT_EQ(vcl::Format("%.2s", {"abc"}), "ab");
  std::string pointer = vcl::Format("%p", {static_cast<const void*>(nullptr)});
  EXPECT_EQ(pointer, std::string(2 * sizeof(void*), '0'));
}

TEST(Format, ADirectiveThatDoesNotFitItsArgumentRaises) {
  EXPECT_THROW(vcl::Format("%d", {"text"}), vcl::EConvertError);
  EXPECT_THROW(vcl::Format("%s", {1}), vcl::EConvertError);
  EXPECT_THROW(vcl::Format("%s %s", {"one"}), vcl::EConvertError);
  EXPECT_THROW(vcl::Format("%", {1}), vcl::EConvertError);
}

}  // namespace

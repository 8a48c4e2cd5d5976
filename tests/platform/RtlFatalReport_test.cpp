#include <gtest/gtest.h>

#include <string>

#include "platform/rtl/ConsoleMode.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Hex;
using testing_support::Sjis;

const void* const kAddress = reinterpret_cast<const void*>(0x4012ABu);

std::string Expected(std::string_view message) {
  return "ECommError" + Sjis("がﾓｼﾞｭｰﾙ vardex の 00000000004012AB で発生しました。") + "\n" +
         std::string(message) + "\r\n";
}

TEST(RtlFatalReport, FormatLineThenMessageWithFullStopThenCrLf) {
  std::string message = Sjis("ｿｹｯﾄｴﾗｰ : ﾈｯﾄﾜｰｸｻﾌﾞｼｽﾃﾑが使用不能です");
  std::string report = rtl::FatalReportText("ECommError", "vardex", kAddress, message);
  EXPECT_EQ(report, Expected(message + ".")) << Hex(report);
}

TEST(RtlFatalReport, FullStopOnlyWhereMissing) {
  struct Case {
    std::string message, shown;
  } cases[] = {
      {"", ""},  // an empty message stays empty
      {"ends.", "ends."},
      {"ends!", "ends!."},  // unlike the message box, only "." itself counts
      {"blank ", "blank ."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(rtl::FatalReportText("ECommError", "vardex", kAddress, c.message), Expected(c.shown))
        << "message \"" << c.message << "\"";
  }
}

TEST(RtlFatalReport, ModuleNameIsTheProgramFileWithoutFolder) {
  EXPECT_EQ(rtl::ModuleName(), "platform_tests");
}

}  // namespace

#include "socket/ErrorMessage.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "socket/ECommError.h"
#include "tests/support/Sjis.h"

namespace {

using testing_support::Hex;
using testing_support::Sjis;

struct ErrorCase {
  int number;
  const char* utf8;
};

// Written out independently of the product's table and converted at run time.
const ErrorCase kErrorTexts[] = {
    {10004, "ﾌﾞﾛｯｸ操作が取り消されました"},
    {10009, "ﾌｧｲﾙ番号の誤りです"},
    {10013, "個別のｱﾄﾞﾚｽが必要です"},
    {10014, "ﾊﾟﾗﾒｰﾀが正しくありません"},
    {10022, "引数が無効です"},
    {10024, "ｵｰﾌﾟﾝされているﾌｧｲﾙ数が多すぎます"},
    {10035, "操作がﾌﾞﾛｯｸしました"},
    {10036, "現在は現在処理中です"},
    {10037, "操作はすでに処理中です"},
    {10038, "ﾃﾞｨｽｸﾘﾌﾟﾀはｿｹｯﾄではありません"},
    {10039, "宛先ｱﾄﾞﾚｽが必要です"},
    {10040, "ﾒｯｾｰｼﾞが長すぎます"},
    {10041, "ｿｹｯﾄに対するﾌﾟﾛﾄｺﾙの種類が不正です"},
    {10042, "ﾌﾟﾛﾄｺﾙが使用できません"},
    {10043, "ﾌﾟﾛﾄｺﾙがｻﾎﾟｰﾄされていません"},
    {10044, "ｿｹｯﾄがｻﾎﾟｰﾄされていません"},
    {10045, "操作はｻﾎﾟｰﾄされていません"},
    {10046, "ｱﾄﾞﾚｽﾌｧﾐﾘｰがｻﾎﾟｰﾄされていません"},
    {10047, "ｱﾄﾞﾚｽﾌｧﾐﾘｰがｻﾎﾟｰﾄされていません"},
    {10049, "要求されたｱﾄﾞﾚｽを割り振れません"},
    {10050, "ｻｰﾊﾞがﾀﾞｳﾝしています"},
    {10051, "ﾈｯﾄﾜｰｸに到達できません"},
    {10052, "接続が切れたのでﾘｾｯﾄが必要です"},
    {10053, "ﾀｲﾑｱｳﾄ、もしくは回線障害により中断しました"},
    {10054, "相手側で接続がﾘｾｯﾄされました"},
    {10055, "利用可能はﾊﾞｯﾌｧｽﾍﾟｰｽがありません"},
    {10056, "ｿｹｯﾄが既に接続されています"},
    {10057, "ｿｹｯﾄが接続されていません"},
    {10058, "ｿｹｯﾄ遮断後の為送信できません"},
    {10059, "参照数が多すぎます"},
    {10060, "ﾀｲﾑｱｳﾄしました"},
    {10061, "接続が拒否されました"},
    {10091, "ﾈｯﾄﾜｰｸｻﾌﾞｼｽﾃﾑが使用不能です"},
    {10092, "指定されたﾊﾞｰｼﾞｮﾝはｻﾎﾟｰﾄしていません"},
    {10093, "WinSockが初期化されていません"},
    {10101, "接続が切れています"},
    {11001, "ﾎｽﾄが見つかりません"},
    {11002, "接続を試みましたが、ﾎｽﾄが見つかりません"},
    {11003, "回復不可能はｴﾗｰです"},
    {11004, "要求された形式のﾃﾞｰﾀﾚｺｰﾄﾞを持ちません"},
};

TEST(ErrorMessage, EveryListedNumberHasItsTextByteForByte) {
  std::set<std::string> distinct;
  for (const ErrorCase& c : kErrorTexts) {
    std::string expected = Sjis(c.utf8);
    std::string actual = RezUrav::ErrorText(c.number);
    EXPECT_EQ(Hex(actual), Hex(expected)) << c.number;
    distinct.insert(actual);
  }
  EXPECT_EQ(std::size(kErrorTexts), 40u);
  EXPECT_EQ(distinct.size(), 39u) << "10046 and 10047 share one text";
  EXPECT_EQ(RezUrav::ErrorText(10046), RezUrav::ErrorText(10047));
}

TEST(ErrorMessage, NumberZeroHasNoText) { EXPECT_EQ(RezUrav::ErrorText(0), ""); }

TEST(ErrorMessage, OtherNumbersGetTheDefaultTextWithTheNumberInAFieldOfThree) {
  struct Case {
    int number;
    const char* digits;
  } cases[] = {
      {7, "  7"},         {-1, " -1"},        {10048, "10048"},  {99999, "99999"},
      {1, "  1"},         {10003, "10003"},   {11005, "11005"},  {-2147483647 - 1, "-2147483648"},
  };
  for (const Case& c : cases) {
    std::string expected =
        Sjis("winsock 不明なｴﾗｰ[ｴﾗｰ番号 ") + c.digits + Sjis("]");
    EXPECT_EQ(Hex(RezUrav::ErrorText(c.number)), Hex(expected)) << c.number;
  }
  EXPECT_EQ(RezUrav::ErrorText(7).size(), 30u);
}

TEST(ECommError, MessageIsTheLeadThenTheTextUnchanged) {
  std::string text = Sjis("[送信ｴﾗｰ] ") + RezUrav::ErrorText(10057);
  RezUrav::ECommError e(text);
  EXPECT_EQ(Hex(e.Message), Hex(Sjis("ｿｹｯﾄｴﾗｰ : [送信ｴﾗｰ] ｿｹｯﾄが接続されていません")));
  EXPECT_EQ(e.ErrorText(), text);
  EXPECT_EQ(e.HelpContext, 0);
  EXPECT_EQ(e.ClassName(), "ECommError");
}

TEST(ECommError, APercentSignInTheTextIsCarriedUnchanged) {
  RezUrav::ECommError e("100% %s %d %3d");
  EXPECT_EQ(e.Message, Sjis("ｿｹｯﾄｴﾗｰ : ") + "100% %s %d %3d");
  EXPECT_EQ(e.ErrorText(), "100% %s %d %3d");
}

TEST(ECommError, AnEmptyTextGivesTheLeadAlone) {
  EXPECT_EQ(RezUrav::ECommError("").Message, Sjis("ｿｹｯﾄｴﾗｰ : "));
}

}  // namespace

#include <gtest/gtest.h>

#include "app/command_line.h"
#include "core/arith.h"
#include "core/messages.h"
#include "view/long_path.h"

namespace pelma {
namespace {

TEST(ErrorDisplay, FullStopRule) {
    EXPECT_EQ(WithFullStop(L""), L"");
    EXPECT_EQ(WithFullStop(L"ファイルが見つかりません"), L"ファイルが見つかりません.");
    EXPECT_EQ(WithFullStop(L"abc"), L"abc.");
    EXPECT_EQ(WithFullStop(L"I/O エラー (87)"), L"I/O エラー (87)");  // ')' is below '.'
    EXPECT_EQ(WithFullStop(L"done."), L"done.");
    EXPECT_EQ(WithFullStop(L"a-"), L"a-");
    EXPECT_EQ(WithFullStop(L"a "), L"a ");
    EXPECT_EQ(WithFullStop(L"a\n"), L"a\n");
    EXPECT_EQ(WithFullStop(L"a/"), L"a/.");  // '/' comes after '.'
    EXPECT_EQ(WithFullStop(L"JPEG エラー #53"), L"JPEG エラー #53.");
    EXPECT_EQ(WithFullStop(L"終了。"), L"終了。.");
}

// Names inside the System32 folder only, in any case, keep their rest as given.
TEST(SysnativeAlias, OnlyNamesInsideTheSystemFolder) {
    const std::wstring sys = L"C:\\Windows\\system32";
    EXPECT_EQ(SysnativeAlias(L"c:\\WINDOWS\\System32\\a\\B.wav", sys), L"C:\\Windows\\Sysnative\\a\\B.wav");
    for (const wchar_t* other :
         {L"C:\\Windows\\system32", L"C:\\Windows\\system32\\", L"C:\\Windows\\system320\\a",
          L"C:\\Windows\\SysWOW64\\a", L"D:\\Windows\\system32\\a", L"a.wav"})
        EXPECT_EQ(SysnativeAlias(other, sys), L"") << other;
}

TEST(ErrorDisplay, IoMessagesByCode) {
    EXPECT_EQ(IoErrorMessage(2), L"ファイルが見つかりません");
    EXPECT_EQ(IoErrorMessage(3), L"ファイル名の指定が間違っています");
    EXPECT_EQ(IoErrorMessage(4), L"オープンしたファイルが多すぎます");
    EXPECT_EQ(IoErrorMessage(5), L"ファイルへのアクセスが拒否されました");
    EXPECT_EQ(IoErrorMessage(100), L"ファイルの末尾以降を読み込みました");
    EXPECT_EQ(IoErrorMessage(101), L"ディスクがいっぱいです");
    EXPECT_EQ(IoErrorMessage(106), L"入力値が数値ではありません");
    EXPECT_EQ(IoErrorMessage(32), L"I/O エラー (32)");
    EXPECT_EQ(IoErrorMessage(0), L"I/O エラー (0)");
}

TEST(ErrorDisplay, StreamOpenFailureTrimsSystemText) {
    EXPECT_EQ(StreamOpenFailureMessage(L"C:\\a b\\x.rtf", L"ファイルが見つかりません。\r\n"),
              L"ファイル \"C:\\a b\\x.rtf\". ファイルが見つかりません。 は開けません");
    EXPECT_EQ(TrimSystemText(L"Access is denied. \r\n..."), L"Access is denied");
    EXPECT_EQ(TrimSystemText(L"\r\n"), L"");
    EXPECT_EQ(FormatOne(L"拡張子 .%s の画像形式は処理できません", L"DIB"),
              L"拡張子 .DIB の画像形式は処理できません");
}

TEST(Arithmetic, MulDivRoundsAsTheSystemDoes) {
    EXPECT_EQ(MulDiv(100, 2540, 96), 2646);  // 2645.83
    EXPECT_EQ(MulDiv(3, 1, 2), 2);           // halves away from zero
    EXPECT_EQ(MulDiv(-3, 1, 2), -2);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 4, 2), -1);  // does not fit
    EXPECT_EQ(MulDiv(0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF), 0x7FFFFFFF);
    EXPECT_EQ(WideHeight(353), 155);
    EXPECT_EQ(WideHeight(1024), 450);
}

TEST(CommandLine, SplitsLikeThePlatform) {
    using V = std::vector<std::wstring>;
    EXPECT_EQ(CommandLineArguments(L"pelma34.exe"), V{});
    EXPECT_EQ(CommandLineArguments(L"\"C:\\Program Files\\p.exe\" a.txt  b.txt"), (V{L"a.txt", L"b.txt"}));
    EXPECT_EQ(CommandLineArguments(L"p \"C:\\my files\\a b.txt\""), V{L"C:\\my files\\a b.txt"});
    EXPECT_EQ(CommandLineArguments(L"p x\"y z\"w"), V{L"xy zw"});
    EXPECT_EQ(CommandLineArguments(L"p \"\" a"), V{L"a"});
    EXPECT_EQ(CommandLineArguments(L"p \"\"\"\"a"), V{L"a"});
    EXPECT_EQ(CommandLineArguments(L"p\ta\x01"
                                   L"b"),
              (V{L"a", L"b"}));
    EXPECT_EQ(CommandLineArguments(L"p \"unterminated name"), V{L"unterminated name"});
    EXPECT_EQ(CommandLineArguments(L"p 表示.txt"), V{L"表示.txt"});
}

}  // namespace
}  // namespace pelma

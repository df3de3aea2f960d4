#include <gtest/gtest.h>

#include "view/file_kind.h"
#include "view/long_path.h"

namespace pelma {
namespace {

FileKind KindOf(const std::wstring& name) { return ClassifyExtension(UpperCaseAscii(ExtractFileExt(name))); }

TEST(FileKindTable, EveryListedExtensionInAnyAsciiCase) {
    struct Row {
        const wchar_t* ext;
        FileKind kind;
    };
    const Row rows[] = {
        {L"rtf", FileKind::RichText}, {L"ico", FileKind::Picture},  {L"bmp", FileKind::Picture},
        {L"dib", FileKind::Picture},  {L"emf", FileKind::Picture},  {L"wmf", FileKind::Picture},
        {L"jpg", FileKind::Picture},  {L"jpeg", FileKind::Picture}, {L"avi", FileKind::Movie},
        {L"mpg", FileKind::Movie},    {L"mpeg", FileKind::Movie},   {L"mid", FileKind::Sound},
        {L"rmi", FileKind::Sound},    {L"wav", FileKind::Sound},    {L"mp3", FileKind::Sound},
        {L"m4a", FileKind::Sound},    {L"wma", FileKind::Sound},    {L"mp4", FileKind::Movie},
        {L"m4v", FileKind::Movie},    {L"wmv", FileKind::Movie}};
    for (const auto& row : rows) {
        std::wstring lower = row.ext, upper = UpperCaseAscii(row.ext), mixed = lower;
        mixed[0] = upper[0];
        for (const auto& e : {lower, upper, mixed}) {
            EXPECT_EQ(KindOf(L"C:\\dir\\file." + e), row.kind) << std::string(e.begin(), e.end());
        }
    }
}

TEST(FileKindTable, EverythingElseIsTextOrHex) {
    for (const wchar_t* name :
         {L"a.jpe", L"a.jfif", L"a.mp2", L"a.mkv", L"a.txt", L"README", L"a.", L"a.rtf.bak",
          L"C:\\dir.jpg\\noext", L"C:\\dir.rtf\\", L"C:.bmp\\x", L"a.ｊｐｇ", L"a.JPG "}) {
        EXPECT_EQ(KindOf(name), FileKind::TextOrHex) << name;
    }
    EXPECT_EQ(KindOf(L"backup.tar.rtf"), FileKind::RichText);
    EXPECT_EQ(KindOf(L"C:\\dir.txt\\photo.Jpg"), FileKind::Picture);
}

TEST(FileKindTable, ExtensionAndNameAreFoundPastDoubleByteCharacters) {
    // In Shift-JIS the trail byte of 表, ソ and 能 is '\\'; in UTF-16 names it cannot be a delimiter.
    EXPECT_EQ(ExtractFileExt(L"C:\\表示\\写真.bmp"), L".bmp");
    EXPECT_EQ(ExtractFileName(L"C:\\表示\\写真.bmp"), L"写真.bmp");
    EXPECT_EQ(ExtractFileName(L"C:\\dir\\ソフト能力表"), L"ソフト能力表");
    EXPECT_EQ(ExtractFileExt(L"C:\\dir\\ソフト能力表"), L"");
    EXPECT_EQ(ExtractFileExt(L"能.表"), L".表");
    EXPECT_EQ(ExtractFileName(L"C:name.txt"), L"name.txt");
    EXPECT_EQ(ExtractFileName(L"plain"), L"plain");
    EXPECT_EQ(UpperCaseAscii(L"a.jpeg表ｊ"), L"A.JPEG表ｊ");
}

TEST(LongPaths, OnlyFullPathsBeyondTheClassicLimitTakeTheExtendedForm) {
    const std::wstring tail(260, L'x');
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + std::wstring(256, L'a')), L"C:\\" + std::wstring(256, L'a'));
    EXPECT_EQ(ExtendedLengthPath(L"C:\\" + tail), L"\\\\?\\C:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"z:\\" + tail), L"\\\\?\\z:\\" + tail);
    EXPECT_EQ(ExtendedLengthPath(L"\\\\server\\share\\" + tail), L"\\\\?\\UNC\\server\\share\\" + tail);
    // Already extended, a device path, or not a full path: unchanged.
    for (const std::wstring& kept :
         {L"\\\\?\\C:\\" + tail, L"\\\\.\\pipe\\" + tail, L"dir\\" + tail, L"\\" + tail, L"1:\\" + tail})
        EXPECT_EQ(ExtendedLengthPath(kept), kept);
}

}  // namespace
}  // namespace pelma

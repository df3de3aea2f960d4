#include <gtest/gtest.h>

#include "view/file_kind.h"
#include "view/folder_order.h"
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
        {L"m4v", FileKind::Movie},    {L"wmv", FileKind::Movie},    {L"tif", FileKind::Picture},
        {L"tiff", FileKind::Picture}};
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

TEST(FileKindTable, FamiliesAndTheDialogsPictureEntryComeFromTheOneTable) {
    EXPECT_EQ(BrowseFamilyOf(L".JPG"), BrowseFamily::Pictures);
    EXPECT_EQ(BrowseFamilyOf(L".ICO"), BrowseFamily::Pictures);
    EXPECT_EQ(BrowseFamilyOf(L".DIB"), BrowseFamily::Other);  // refused by the picture view
    EXPECT_EQ(BrowseFamilyOf(L".WAV"), BrowseFamily::Media);
    EXPECT_EQ(BrowseFamilyOf(L".AVI"), BrowseFamily::Media);
    EXPECT_EQ(BrowseFamilyOf(L".RTF"), BrowseFamily::RichText);
    EXPECT_EQ(BrowseFamilyOf(L".TXT"), BrowseFamily::Other);
    EXPECT_EQ(BrowseFamilyOf(L""), BrowseFamily::Other);
    using namespace std::string_literals;
    EXPECT_EQ(PictureDialogFilter(),
              L"画像ファイル (*.BMP,*.ICO,*.EMF,*.WMF,*.JPG,*.PNG,*.GIF,*.WEBP,*.TIF,*.HEIC,*.AVIF)\0"
              L"*.bmp;*.ico;*.emf;*.wmf;*.jpg;*.jpeg;*.png;*.apng;*.gif;*.webp;"
              L"*.tif;*.tiff;*.heic;*.heif;*.hif;*.avif\0"s);
    for (const KnownExtension& e : KnownExtensions()) {
        EXPECT_EQ(ClassifyExtension(std::wstring(e.upperExt)), e.kind);
        EXPECT_EQ(e.reader.has_value(), e.inPictureFilter);  // the dialog lists what the view opens
    }
}

TEST(FolderOrder, NamesSortAsExplorerSortsThem) {
    // Each name sorts before the next.
    const wchar_t* order[] = {L"1.jpg",
                              L"01a.jpg",
                              L"2.jpg",
                              L"10.jpg",
                              L"a.jpg",
                              L"IMG_9.jpg",
                              L"img_10.JPG",
                              L"IMG_10a.jpg",
                              L"IMG_100.jpg",
                              L"IMG_99999999999999999999.jpg",
                              L"IMG_100000000000000000000.jpg",
                              L"img_a.jpg",
                              L"写真.jpg",
                              L"Ｚ.jpg"};
    for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
        EXPECT_LT(CompareLogical(order[i], order[i + 1]), 0) << i;
        EXPECT_GT(CompareLogical(order[i + 1], order[i]), 0) << i;
    }
    EXPECT_NE(CompareLogical(L"A.jpg", L"a.jpg"), 0);  // told apart, but side by side
    EXPECT_LT(CompareLogical(L"a.jpg", L"B.jpg"), 0);
    EXPECT_LT(CompareLogical(L"ä.jpg", L"Ä1.jpg"), 0);
    EXPECT_EQ(CompareLogical(L"x7", L"x7"), 0);

    const std::vector<std::wstring> sorted = {L"b2", L"b10", L"c"};
    using D = StepDirection;
    struct Row {
        const wchar_t* from;
        D direction;
        std::optional<std::size_t> to;
    } rows[] = {{L"b2", D::Next, 1},           {L"b10", D::Previous, 0}, {L"b2", D::Previous, std::nullopt},
                {L"c", D::Next, std::nullopt}, {L"b5", D::Next, 1},  // a name not listed (gone)
                {L"b5", D::Previous, 0},       {L"a", D::Next, 0},       {L"z", D::Previous, 2},
                {L"b10", D::First, 0},         {L"b2", D::Last, 2}};
    for (const Row& r : rows) EXPECT_EQ(StepIndex(sorted, r.from, r.direction), r.to) << (&r - rows);
    EXPECT_EQ(StepIndex({}, L"a", D::First), std::nullopt);
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

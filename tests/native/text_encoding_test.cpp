#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view/text_dump.h"
#include "view/text_encoding.h"

namespace pelma {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Of(std::string_view s) { return Bytes(s.begin(), s.end()); }
Bytes Cat(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
// ASCII as UTF-16 units.
Bytes Units(std::string_view s, bool bigEndian) {
    Bytes b;
    for (char c : s)
        b.insert(b.end(), {bigEndian ? std::uint8_t{0} : std::uint8_t(c),
                           bigEndian ? std::uint8_t(c) : std::uint8_t{0}});
    return b;
}
TextReading Read(const Bytes& b, bool cut = false) { return ReadTextStart(b.data(), b.size(), cut); }

const Bytes kNihongoUtf8 = {0xE6, 0x97, 0xA5, 0xE6, 0x9C, 0xAC, 0xE8, 0xAA, 0x9E};  // 日本語
const Bytes kNihongoUtf16LE = {0xE5, 0x65, 0x2C, 0x67, 0x9E, 0x8A};
const Bytes kNihongoUtf16BE = {0x65, 0xE5, 0x67, 0x2C, 0x8A, 0x9E};

TEST(TextEncoding, ByteOrderMarksChooseTheEncodingAndAreNotShown) {
    struct Case {
        Bytes bytes;
        TextEncoding encoding;
    };
    const std::string_view tail = "\r\nA\tb\n";
    const Case cases[] = {
        {Cat(Cat({0xEF, 0xBB, 0xBF}, kNihongoUtf8), Of(tail)), TextEncoding::Utf8},
        {Cat(kNihongoUtf8, Of(tail)), TextEncoding::Utf8},
        {Cat(Cat({0xFF, 0xFE}, kNihongoUtf16LE), Units(tail, false)), TextEncoding::Utf16LE},
        {Cat(Cat({0xFE, 0xFF}, kNihongoUtf16BE), Units(tail, true)), TextEncoding::Utf16BE}};
    for (const auto& c : cases) {
        const TextReading r = Read(c.bytes);
        EXPECT_EQ(r.encoding, c.encoding);
        EXPECT_TRUE(r.isText);
        EXPECT_EQ(r.text, u"日本語\r\nA\tb\n");
    }
    // A mark alone is empty text; a mark on ASCII is still its encoding.
    EXPECT_EQ(Read({0xFF, 0xFE}).encoding, TextEncoding::Utf16LE);
    EXPECT_EQ(Read({0xEF, 0xBB, 0xBF, 'a'}).text, u"a");
    EXPECT_TRUE(Read({0xEF, 0xBB, 0xBF}).text.empty());
    // A four-byte sequence and a surrogate pair give the same two units.
    EXPECT_EQ(Read({0xF0, 0x9F, 0x98, 0x80}).text, u"\U0001F600");
    EXPECT_EQ(Read({0xFE, 0xFF, 0xD8, 0x3D, 0xDE, 0x00}).text, u"\U0001F600");
}

TEST(TextEncoding, BytesThatAreNotWholeUtf8StayAnsi) {
    const Bytes ansi[] = {
        Of("plain ASCII\r\n"),
        {},
        {0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA},  // 日本語 in Shift-JIS
        Cat(kNihongoUtf8, {0x93, 0xFA}),       // UTF-8 and then Shift-JIS
        {0xC0, 0xAF},                          // an overlong '/'
        {0xE0, 0x80, 0xAF},                    // an overlong three-byte form
        {0xED, 0xA0, 0x80},                    // a surrogate
        {0xF4, 0x90, 0x80, 0x80},              // above U+10FFFF
        {0xE6, 0x97},                          // a file that itself ends inside a sequence
        {'a', 0x80, 'b'},                      // a lone continuation byte
    };
    for (const auto& b : ansi) {
        const TextReading r = Read(b);
        EXPECT_EQ(r.encoding, TextEncoding::Ansi) << b.size();
        EXPECT_TRUE(r.text.empty());
        EXPECT_EQ(r.isText, IsTextBytes(b.data(), b.size()));
    }
    EXPECT_FALSE(Read({'a', 0x1A}).isText);  // the byte rule, unchanged
}

TEST(TextEncoding, ASequenceCutByTheReadLimitIsDropped) {
    Bytes full = Cat(Bytes(kTextViewBytes - kNihongoUtf8.size() - 2, 'x'), kNihongoUtf8);
    full.insert(full.end(), {0xE6, 0x97});  // the first two bytes of 日
    ASSERT_EQ(full.size(), kTextViewBytes);
    TextReading r = Read(full, true);
    EXPECT_EQ(r.encoding, TextEncoding::Utf8);
    EXPECT_TRUE(r.isText);
    EXPECT_EQ(r.text.substr(r.text.size() - 3), u"日本語");
    EXPECT_EQ(r.text.size(), kTextViewBytes - kNihongoUtf8.size() - 2 + 3);

    // The same end without a cut is a broken file: ANSI without the mark, a replacement with it.
    EXPECT_EQ(Read(full, false).encoding, TextEncoding::Ansi);
    EXPECT_EQ(Read({0xEF, 0xBB, 0xBF, 'a', 0xE6, 0x97}, false).text, u"a\uFFFD");
    EXPECT_EQ(Read({0xEF, 0xBB, 0xBF, 'a', 0xE6, 0x97}, true).text, u"a");
    // A cut sequence is no proof of UTF-8 on its own.
    EXPECT_EQ(Read({'a', 'b', 0xE6, 0x97}, true).encoding, TextEncoding::Ansi);

    // UTF-16: half a pair or half a unit at the cut goes; inside, an unpaired half is replaced.
    EXPECT_EQ(Read({0xFF, 0xFE, 'a', 0, 0x3D, 0xD8}, true).text, u"a");
    EXPECT_EQ(Read({0xFF, 0xFE, 'a', 0, 'b'}, true).text, u"a");
    EXPECT_EQ(Read({0xFF, 0xFE, 'a', 0, 'b'}, false).text, u"a\uFFFD");
    EXPECT_EQ(Read({0xFF, 0xFE, 0x3D, 0xD8, 'a', 0, 0x00, 0xDE}).text, u"\uFFFDa\uFFFD");
}

TEST(TextEncoding, ControlCharactersAfterDecodingMakeADump) {
    EXPECT_FALSE(Read(Cat({0xFF, 0xFE}, {'a', 0, 0x01, 0})).isText);
    EXPECT_FALSE(Read({0xFE, 0xFF, 0x00, 0x00}).isText);
    EXPECT_FALSE(Read(Cat(kNihongoUtf8, {0xC2, 0x85})).isText);  // U+0085, a C1 control
    EXPECT_FALSE(Read(Cat(kNihongoUtf8, {0x0C})).isText);        // form feed
    // The zero bytes of UTF-16 ASCII are not controls once decoded; the same bytes unmarked are.
    const Bytes utf16 = Cat({0xFF, 0xFE}, Units("hi\r\n\t", false));
    EXPECT_TRUE(Read(utf16).isText);
    EXPECT_FALSE(Read(Bytes(utf16.begin() + 2, utf16.end())).isText);
    // Malformed sequences in marked UTF-8 show as replacements, not as a dump.
    const TextReading r = Read({0xEF, 0xBB, 0xBF, 0xFF, 'a', 0xE6, 0x97, 'b'});
    EXPECT_TRUE(r.isText);
    EXPECT_EQ(r.text, u"\uFFFDa\uFFFDb");
}

}  // namespace
}  // namespace pelma

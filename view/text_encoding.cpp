#include "view/text_encoding.h"

#include "view/text_dump.h"

namespace pelma {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

enum class Step { Char, Malformed, Cut };

struct Utf8Step {
    Step kind;
    std::size_t length;  // bytes taken: the sequence, or its longest well-formed start
    char32_t code = 0;
};

// One UTF-8 sequence at data[0..n), n > 0, checked as Unicode's table of
// well-formed byte sequences says: no overlong forms, no surrogates, nothing
// above U+10FFFF. A sequence that is well formed up to the end of the bytes is Cut.
Utf8Step NextUtf8(const std::uint8_t* data, std::size_t n) {
    const std::uint8_t lead = data[0];
    if (lead < 0x80) return {Step::Char, 1, lead};
    std::size_t length;
    std::uint8_t low = 0x80, high = 0xBF;  // the range of the second byte
    char32_t code;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return {Step::Malformed, 1};
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (i == n) return {Step::Cut, i};
        const std::uint8_t b = data[i];
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) return {Step::Malformed, i};
        code = (code << 6) | (b & 0x3F);
    }
    return {Step::Char, length, code};
}

void Append(std::u16string& text, char32_t code) {
    if (code < 0x10000) {
        text += static_cast<char16_t>(code);
    } else {
        code -= 0x10000;
        text += static_cast<char16_t>(0xD800 + (code >> 10));
        text += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
    }
}

// Bytes without a byte-order mark are UTF-8 only when all of them are well
// formed and at least one sequence is longer than a byte; otherwise nothing.
bool DecodeStrictUtf8(const std::uint8_t* data, std::size_t n, bool cutAtLimit, std::u16string& text) {
    bool multiByte = false;
    for (std::size_t i = 0; i < n;) {
        const Utf8Step s = NextUtf8(data + i, n - i);
        if (s.kind == Step::Cut && cutAtLimit) break;
        if (s.kind != Step::Char) return false;
        multiByte = multiByte || s.length > 1;
        Append(text, s.code);
        i += s.length;
    }
    return multiByte;
}

// Text marked as UTF-8: every malformed sequence shows as one replacement character.
std::u16string DecodeMarkedUtf8(const std::uint8_t* data, std::size_t n, bool cutAtLimit) {
    std::u16string text;
    for (std::size_t i = 0; i < n;) {
        const Utf8Step s = NextUtf8(data + i, n - i);
        if (s.kind == Step::Cut && cutAtLimit) break;
        Append(text, s.kind == Step::Char ? s.code : kReplacement);
        i += s.length;
    }
    return text;
}

std::u16string DecodeUtf16(const std::uint8_t* data, std::size_t n, bool bigEndian, bool cutAtLimit) {
    std::u16string text;
    const std::size_t units = n / 2;
    text.reserve(units);
    auto unit = [&](std::size_t i) {
        const std::uint8_t a = data[2 * i], b = data[2 * i + 1];
        return static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    };
    for (std::size_t i = 0; i < units; ++i) {
        const char16_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == units && cutAtLimit) break;
            const char16_t next = i + 1 < units ? unit(i + 1) : 0;
            if (next >= 0xDC00 && next <= 0xDFFF) {
                text += u;
                text += next;
                ++i;
            } else {
                text += kReplacement;
            }
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            text += kReplacement;
        } else {
            text += u;
        }
    }
    // A last odd byte is half a unit: cut by the limit, or a broken end.
    if (n % 2 != 0 && !cutAtLimit) text += kReplacement;
    return text;
}

bool AllText(const std::u16string& text) {
    for (char16_t c : text)
        if (IsDumpCharacter(c)) return false;
    return true;
}

}  // namespace

bool IsDumpCharacter(char16_t c) {
    if (c == u'\t' || c == u'\n' || c == u'\r') return false;
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

TextReading ReadTextStart(const std::uint8_t* data, std::size_t n, bool cutAtLimit) {
    TextReading r;
    if (n >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF) {
        r.encoding = TextEncoding::Utf8;
        r.text = DecodeMarkedUtf8(data + 3, n - 3, cutAtLimit);
    } else if (n >= 2 && ((data[0] == 0xFF && data[1] == 0xFE) || (data[0] == 0xFE && data[1] == 0xFF))) {
        const bool bigEndian = data[0] == 0xFE;
        r.encoding = bigEndian ? TextEncoding::Utf16BE : TextEncoding::Utf16LE;
        r.text = DecodeUtf16(data + 2, n - 2, bigEndian, cutAtLimit);
    } else if (std::u16string text; DecodeStrictUtf8(data, n, cutAtLimit, text)) {
        r.encoding = TextEncoding::Utf8;
        r.text = std::move(text);
    } else {
        r.isText = IsTextBytes(data, n);
        return r;
    }
    r.isText = AllText(r.text);
    return r;
}

}  // namespace pelma

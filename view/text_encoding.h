// The encoding of the bytes the text view read: UTF-8 or UTF-16 when the bytes
// say so, otherwise the system's ANSI code page with the bytes taken as they are.
//
//   - a UTF-8 byte-order mark, or bytes that are valid UTF-8 and hold at least one
//     multi-byte sequence: UTF-8;
//   - a UTF-16 little- or big-endian byte-order mark: UTF-16;
//   - anything else: ANSI, decided byte by byte by IsTextBytes.
//
// Unicode text is decoded to UTF-16 code units without its byte-order mark; a
// sequence cut at the end of a full read buffer is dropped, and a malformed one
// inside text that carries a byte-order mark becomes U+FFFD. Its text-or-dump
// decision is made on the decoded characters. The text is char16_t so that it is
// the same on every build; Windows' 16-bit wchar_t takes the units one for one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace pelma {

enum class TextEncoding { Ansi, Utf8, Utf16LE, Utf16BE };

struct TextReading {
    TextEncoding encoding = TextEncoding::Ansi;
    // The text-or-dump decision: false makes a hex dump of the bytes.
    bool isText = true;
    // The decoded characters of Unicode text; empty for ANSI, whose bytes go to
    // the screen unchanged.
    std::u16string text;
};

// `n` bytes from the start of a file; `cutAtLimit` tells that the read stopped at
// its limit, so a multi-byte sequence at the very end may have been cut there.
TextReading ReadTextStart(const std::uint8_t* data, std::size_t n, bool cutAtLimit);

// True for a character that makes Unicode text a dump: a control character
// (U+0000..U+001F, U+007F..U+009F) other than tab, line feed and carriage return.
bool IsDumpCharacter(char16_t c);

}  // namespace pelma

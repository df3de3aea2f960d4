// Any byte string through the text view's encoding decision, as a full read
// and as a read cut at its limit: the decoded text is well-formed UTF-16 (no
// unpaired surrogate), never longer than the bytes, and its text-or-dump
// decision agrees with its characters; ANSI readings keep the byte rule.
#include <cstddef>
#include <cstdint>

#include "view/text_dump.h"
#include "view/text_encoding.h"

namespace {

void Check(const std::uint8_t* data, std::size_t size, bool cut) {
    const pelma::TextReading r = pelma::ReadTextStart(data, size, cut);
    if (r.encoding == pelma::TextEncoding::Ansi) {
        if (!r.text.empty() || r.isText != pelma::IsTextBytes(data, size)) __builtin_trap();
        return;
    }
    if (r.text.size() > size) __builtin_trap();
    bool dump = false;
    for (std::size_t i = 0; i < r.text.size(); ++i) {
        const char16_t c = r.text[i];
        dump = dump || pelma::IsDumpCharacter(c);
        if (c >= 0xDC00 && c <= 0xDFFF) __builtin_trap();
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == r.text.size() || r.text[i + 1] < 0xDC00 || r.text[i + 1] > 0xDFFF) __builtin_trap();
            ++i;
        }
    }
    if (r.isText == dump) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(data, size, false);
    Check(data, size, true);
    return 0;
}

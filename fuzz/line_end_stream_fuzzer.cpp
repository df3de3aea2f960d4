// Any byte string through the rich-text stream's line-end normaliser, read in
// chunks whose sizes and the offered buffer come from the input's first bytes.
// Whatever the chunking: the buffer is never overrun, the stream ends, no zero
// byte is handed on, every line end comes out as CR LF, and a file without
// zero bytes keeps its text and its line ends.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "view/rtf_stream.h"

namespace {

// Line ends of every kind (CR LF, lone CR, lone LF) as one LF.
std::string Normalised(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r') {
            if (i + 1 < s.size() && s[i + 1] == '\n') ++i;
            out += '\n';
        } else {
            out += s[i];
        }
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    // Read sizes cycle through three values of 1..256; the offered buffer is
    // 2..513 bytes (the control offers 4096; small ones reach the edges).
    const std::size_t reads[3] = {data[0] + 1u, data[1] + 1u, data[1] % 7 + 1u};
    const std::size_t capacity = 2 + data[2] * 2u;
    const std::uint8_t* text = data + 3;
    const std::size_t length = size - 3;

    std::size_t pos = 0, call = 0;
    pelma::LineEndStream stream([&](std::uint8_t* buf, std::size_t want) {
        std::size_t n = std::min({want, reads[call++ % 3], length - pos});
        std::copy(text + pos, text + pos + n, buf);
        pos += n;
        return n;
    });

    std::string out;
    std::vector<std::uint8_t> buffer(capacity);
    for (std::size_t rounds = 0;; ++rounds) {
        if (rounds > 2 * length + 2) __builtin_trap();  // the stream must end
        const std::size_t n = stream.Fill(buffer.data(), buffer.size());
        if (n > buffer.size()) __builtin_trap();
        if (n == 0) break;
        out.append(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(n));
    }

    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] == '\0') __builtin_trap();
        if (out[i] == '\r' && (i + 1 == out.size() || out[i + 1] != '\n')) __builtin_trap();
        if (out[i] == '\n' && (i == 0 || out[i - 1] != '\r')) __builtin_trap();
    }
    const std::string in(reinterpret_cast<const char*>(text), length);
    if (in.find('\0') == std::string::npos && Normalised(out) != Normalised(in)) __builtin_trap();
    return 0;
}

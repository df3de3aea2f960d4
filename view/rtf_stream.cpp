#include "view/rtf_stream.h"

#include <cstring>
#include <vector>

namespace pelma {

std::size_t LineEndStream::Fill(std::uint8_t* out, std::size_t capacity) {
    std::vector<std::uint8_t> chunk;
    for (;;) {
        if (ended_ || capacity < 2) return 0;
        std::size_t o = 0;
        if (pendingCr_) {
            // The carried CR: its line end, and a LF that follows it belongs to it.
            out[o++] = '\r';
            out[o++] = '\n';
            pendingCr_ = false;
            skipLf_ = true;
        }
        // Every byte read may double.
        std::size_t want = (capacity - o) / 2;
        if (want == 0) return o;
        chunk.resize(want);
        std::size_t n = read_(chunk.data(), want);
        bool skipLf = skipLf_;
        skipLf_ = false;
        if (n > want) n = want;
        if (n == 0) {
            ended_ = true;
            return o;
        }
        // The chunk ends at its first zero byte.
        if (const void* zero = std::memchr(chunk.data(), 0, n))
            n = static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - chunk.data());
        for (std::size_t i = 0; i < n; ++i) {
            std::uint8_t b = chunk[i];
            if (i == 0 && skipLf && b == '\n') continue;
            if (b == '\r') {
                if (i + 1 == n) {
                    pendingCr_ = true;  // carried into the next chunk
                    break;
                }
                if (chunk[i + 1] == '\n') ++i;
                out[o++] = '\r';
                out[o++] = '\n';
            } else if (b == '\n') {
                out[o++] = '\r';
                out[o++] = '\n';
            } else {
                out[o++] = b;
            }
        }
        // A chunk that gave nothing (a zero byte first, a lone carried CR)
        // must not end the stream: go on with the next bytes.
        if (o > 0) return o;
    }
}

}  // namespace pelma

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "view/rtf_stream.h"

namespace pelma {
namespace {

// Streams `file` through the normaliser with the given offered buffer size.
std::string StreamAll(const std::string& file, std::size_t offered) {
    std::size_t pos = 0;
    LineEndStream stream([&](std::uint8_t* buf, std::size_t want) {
        std::size_t n = std::min(want, file.size() - pos);
        std::memcpy(buf, file.data() + pos, n);
        pos += n;
        return n;
    });
    std::string out;
    std::vector<std::uint8_t> buffer(offered + 8, 0xEE);
    for (int guard = 0; guard < 100000; ++guard) {
        std::size_t n = stream.Fill(buffer.data(), offered);
        EXPECT_LE(n, offered);
        for (std::size_t i = offered; i < buffer.size(); ++i)
            EXPECT_EQ(buffer[i], 0xEE) << "wrote past the buffer";
        if (n == 0) break;
        out.append(reinterpret_cast<char*>(buffer.data()), n);
    }
    return out;
}

TEST(LineEndStream, LineEndsBecomeCrLf) {
    EXPECT_EQ(StreamAll("a\r\nb\nc\rd", 4096), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(StreamAll("\n\n", 4096), "\r\n\r\n");
    EXPECT_EQ(StreamAll("\r\r\n", 4096), "\r\n\r\n");
    EXPECT_EQ(StreamAll("", 4096), "");
    EXPECT_EQ(StreamAll("x\r", 4096), "x\r\n");  // a last lone CR is kept
}

TEST(LineEndStream, LineEndsSplitAcrossChunks) {
    // Offered 8: chunks of 4 bytes. "abc\r" | "\ndef" — one line end.
    EXPECT_EQ(StreamAll("abc\r\ndef", 8), "abc\r\ndef");
    // A lone CR at the end of a chunk is carried, not lost.
    EXPECT_EQ(StreamAll("abc\rdef", 8), "abc\r\ndef");
    // Every size of buffer gives the same text.
    const std::string text = "l1\r\nl2\rl3\nl4\r\r\n\n\rend\r";
    const std::string expected = "l1\r\nl2\r\nl3\r\nl4\r\n\r\n\r\n\r\nend\r\n";
    for (std::size_t offered = 2; offered < 40; ++offered)
        EXPECT_EQ(StreamAll(text, offered), expected) << offered;
}

TEST(LineEndStream, ZeroByteCutsItsChunkOnly) {
    // Chunks of 4: "ab\0c" | "defg" — the rest of the first chunk is dropped.
    EXPECT_EQ(StreamAll(std::string("ab\0cdefg", 8), 8), "abdefg");
    // A zero at the start of a chunk does not end the stream.
    EXPECT_EQ(StreamAll(std::string("abcd\0xyzijkl", 12), 8), "abcdijkl");
    EXPECT_EQ(StreamAll(std::string("\0\0\0\0", 4), 8), "");
}

}  // namespace
}  // namespace pelma

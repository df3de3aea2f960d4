// The bytes handed to the rich-edit control while a file streams in: chunks
// of at most half the offered buffer, each ending at its first zero byte, with
// every line end made CR LF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace pelma {

class LineEndStream {
public:
    // Reads up to the given count into the buffer; returns the count read,
    // 0 at the end of the file or on a failed read.
    using ReadFn = std::function<std::size_t(std::uint8_t*, std::size_t)>;

    explicit LineEndStream(ReadFn read) : read_(std::move(read)) {}

    // Fills at most `capacity` bytes; 0 ends the stream. A carriage return at
    // the end of a chunk is carried into the next one, so that a line end split
    // between two chunks stays one line end and a lone one is not lost.
    std::size_t Fill(std::uint8_t* out, std::size_t capacity);

private:
    ReadFn read_;
    bool pendingCr_ = false;
    bool skipLf_ = false;  // a LF right after a carried CR belongs to it
    bool ended_ = false;
};

}  // namespace pelma

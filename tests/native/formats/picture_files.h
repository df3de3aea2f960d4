// The picture files the build makes for the tests (tests/data/make_pictures.sh)
// and the committed real files, read whole.
#pragma once

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/native/formats/picture_builders.h"
#include "view/formats/decoded_picture.h"

namespace pelma::testing {

inline Bytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes b;
    b.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return b;
}

// A file made at build time, by name within the pictures folder.
inline Bytes MadePicture(const std::string& name) {
    return ReadFileBytes(std::string(PELMA_TEST_PICTURES) + "/" + name);
}

// A committed file of tests/data.
inline Bytes DataFile(const std::string& name) {
    return ReadFileBytes(std::string(PELMA_SOURCE_DIR) + "/tests/data/" + name);
}

// The colours of the quarters picture (make_pictures.sh): red, green over
// blue, yellow.
inline constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kYellow = 0xFFFF00;

// Whether two 0xAARRGGBB pixels differ by at most `tolerance` in each byte.
inline bool Near(std::uint32_t a, std::uint32_t b, int tolerance) {
    for (int shift : {0, 8, 16, 24})
        if (std::abs(int(a >> shift & 0xFF) - int(b >> shift & 0xFF)) > tolerance) return false;
    return true;
}

inline std::uint32_t At(const DecodedPicture& p, int x, int y) {
    return p.pixels[std::size_t(y) * p.width + x];
}

}  // namespace pelma::testing

// The picture files the build makes for the tests (tests/data/make_pictures.sh)
// and the committed real files, read whole.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "tests/native/formats/picture_builders.h"

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

}  // namespace pelma::testing

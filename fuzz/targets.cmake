# One fuzz target per reader of untrusted bytes, and the program that writes
# the picture readers' seed corpus (run it by hand: make_fuzz_corpus <source>/fuzz/corpus).
pelma_fuzz_target(bitmap_fuzzer ${CMAKE_CURRENT_LIST_DIR}/bitmap_fuzzer.cpp)
pelma_fuzz_target(icon_fuzzer ${CMAKE_CURRENT_LIST_DIR}/icon_fuzzer.cpp)
pelma_fuzz_target(metafile_fuzzer ${CMAKE_CURRENT_LIST_DIR}/metafile_fuzzer.cpp)
pelma_fuzz_target(text_encoding_fuzzer ${CMAKE_CURRENT_LIST_DIR}/text_encoding_fuzzer.cpp)
# Every JPEG input is decoded three times: fewer runs.
pelma_fuzz_target(jpeg_fuzzer RUNS 6000 ${CMAKE_CURRENT_LIST_DIR}/jpeg_fuzzer.cpp)

add_executable(make_fuzz_corpus ${CMAKE_CURRENT_LIST_DIR}/make_corpus.cpp)
target_link_libraries(make_fuzz_corpus PRIVATE pelma_core)
pelma_warnings(make_fuzz_corpus)
pelma_fuzz_target(png_fuzzer ${CMAKE_CURRENT_LIST_DIR}/png_fuzzer.cpp)
pelma_fuzz_target(gif_fuzzer ${CMAKE_CURRENT_LIST_DIR}/gif_fuzzer.cpp)
pelma_fuzz_target(webp_fuzzer ${CMAKE_CURRENT_LIST_DIR}/webp_fuzzer.cpp)
pelma_fuzz_target(line_end_stream_fuzzer ${CMAKE_CURRENT_LIST_DIR}/line_end_stream_fuzzer.cpp)
pelma_fuzz_target(command_line_fuzzer ${CMAKE_CURRENT_LIST_DIR}/command_line_fuzzer.cpp)
pelma_fuzz_target(metafile_records_fuzzer ${CMAKE_CURRENT_LIST_DIR}/metafile_records_fuzzer.cpp)
pelma_fuzz_target(tiff_fuzzer ${CMAKE_CURRENT_LIST_DIR}/tiff_fuzzer.cpp)
# Each input may start an HEVC or AV1 decoder: fewer runs.
pelma_fuzz_target(heif_fuzzer RUNS 2000 ${CMAKE_CURRENT_LIST_DIR}/heif_fuzzer.cpp)

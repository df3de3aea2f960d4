# Tests of the picture format registry and readers.
target_sources(pelma_native_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/registry_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_records_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_reader_test.cpp
)

# Tests of the picture format registry and readers.
target_sources(pelma_native_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/registry_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/heif_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour_profile_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_records_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/png_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gif_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/webp_reader_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/real_files_test.cpp
)

# Picture files made by Python, ImageMagick, cwebp and gif2webp at build time.
set(pictures ${CMAKE_BINARY_DIR}/test-pictures)
add_custom_command(
  OUTPUT ${pictures}/stamp
  COMMAND ${CMAKE_SOURCE_DIR}/tests/data/make_pictures.sh ${pictures}
  DEPENDS ${CMAKE_SOURCE_DIR}/tests/data/make_pictures.sh ${CMAKE_SOURCE_DIR}/tests/data/make_png.py
          ${CMAKE_SOURCE_DIR}/tools/pictures/make_icc.py ${CMAKE_SOURCE_DIR}/tools/pictures/make_heic_grid.py
  COMMENT "Making the test pictures")
add_custom_target(pelma_test_pictures DEPENDS ${pictures}/stamp)
add_dependencies(pelma_native_tests pelma_test_pictures)
target_compile_definitions(pelma_native_tests PRIVATE PELMA_TEST_PICTURES="${pictures}")

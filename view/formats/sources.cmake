# The picture format registry and the readers of picture bytes (portable).
target_sources(pelma_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/picture_registry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_limits.cpp
  ${CMAKE_CURRENT_LIST_DIR}/picture_header.cpp
  ${CMAKE_CURRENT_LIST_DIR}/dib.cpp
  ${CMAKE_CURRENT_LIST_DIR}/bitmap_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/icon_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/metafile_records.cpp
  ${CMAKE_CURRENT_LIST_DIR}/jpeg_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/decoded_picture.cpp
  ${CMAKE_CURRENT_LIST_DIR}/animation.cpp
  ${CMAKE_CURRENT_LIST_DIR}/png_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gif_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/webp_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tiff_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/heif_reader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colour_profile.cpp
)

# The media player's portable model: the device side over the MCI seam and the
# button bar's rules. The windowed control and the winmm adapter build on it.
target_sources(pelma_core PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/media_device.cpp
  ${CMAKE_CURRENT_LIST_DIR}/button_bar.cpp
  ${CMAKE_CURRENT_LIST_DIR}/player_model.cpp
)

# Unit tests of the media player's portable model.
target_sources(pelma_native_tests PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/media_device_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/button_bar_test.cpp
  ${CMAKE_CURRENT_LIST_DIR}/player_model_test.cpp
)

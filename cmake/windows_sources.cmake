# The Win32 program: the window framework, the program's windows and views,
# and the executable. The test executables link the same library.
add_library(pelma_win STATIC
  ui/actions.cpp
  ui/application.cpp
  ui/buttons.cpp
  ui/control.cpp
  ui/font.cpp
  ui/forms.cpp
  ui/labels.cpp
  ui/late_bound.cpp
  ui/memo.cpp
  ui/menus.cpp
  ui/panels.cpp
  ui/system_error.cpp
  ui/timer.cpp
  ui/track_bar.cpp
  ui/work_area.cpp
  app/about_box.cpp
  app/main_form.cpp
  app/main_form_template.cpp
  app/view_file.cpp
  view/animated_picture.cpp
  view/file_access.cpp
  view/icon_picture.cpp
  view/metafile_picture.cpp
  view/picture_graphics.cpp
  view/picture_loader.cpp
  view/picture_view.cpp
  view/folder_browser.cpp
  view/read_ahead.cpp
  view/rich_edit.cpp
  view/rich_text_view.cpp
  view/size_label.cpp
  view/text_view.cpp
  media/display_modes.cpp
  media/media_player.cpp
  media/media_view.cpp
  media/winmm_port.cpp
)
target_include_directories(pelma_win PUBLIC ${CMAKE_SOURCE_DIR}/resources)
target_link_libraries(pelma_win PUBLIC pelma_core
  comctl32 comdlg32 shell32 winmm msimg32 gdi32 user32 kernel32)
pelma_warnings(pelma_win)

add_executable(pelma34 WIN32 app/pelma34.cpp)
# The resources are linked as objects: from an archive the linker would drop them.
target_link_libraries(pelma34 PRIVATE pelma_win pelma_resources)
target_link_options(pelma34 PRIVATE -municode -mwindows)
# A 32-bit build may use the 4 GiB of address space that 64-bit Windows gives
# it (the picture budget is sized for the 2 GiB of 32-bit Windows).
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  target_link_options(pelma34 PRIVATE -Wl,--large-address-aware)
endif()
pelma_warnings(pelma34)

# Benchmarks (run by tools/bench-start).
add_executable(bench_empty_window WIN32 tools/bench/empty_window.cpp)
target_link_options(bench_empty_window PRIVATE -municode -mwindows)
add_executable(bench_start tools/bench/bench_start.cpp)
target_link_libraries(bench_start PRIVATE pelma_jpeg)
target_include_directories(bench_start PRIVATE ${CMAKE_SOURCE_DIR})
target_link_options(bench_start PRIVATE -municode)
# Picture benchmark (run by tools/bench-picture).
add_executable(bench_picture tools/bench/picture_bench.cpp)
target_link_libraries(bench_picture PRIVATE pelma_win pelma_resources psapi)
target_link_options(bench_picture PRIVATE -municode)
# Browsing benchmark (run by tools/bench-browse).
add_executable(bench_browse tools/bench/browse_bench.cpp)
target_link_libraries(bench_browse PRIVATE pelma_win pelma_resources psapi)
target_link_options(bench_browse PRIVATE -municode)

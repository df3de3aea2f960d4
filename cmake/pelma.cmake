# Build settings shared by every target.

option(PELMA_FUZZ "Build the libFuzzer targets (clang only)" OFF)
option(PELMA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(PELMA_WINDOWS_TESTS "Build the Windows tests" OFF)

function(pelma_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
endfunction()

if(PELMA_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# The folder where tools/bootstrap keeps what it builds.
if(DEFINED ENV{PELMA_CACHE})
  set(PELMA_CACHE_DIR "$ENV{PELMA_CACHE}")
elseif(DEFINED ENV{XDG_CACHE_HOME})
  set(PELMA_CACHE_DIR "$ENV{XDG_CACHE_HOME}/pelma")
else()
  set(PELMA_CACHE_DIR "$ENV{HOME}/.cache/pelma")
endif()

# libjpeg (6b API, version 62): Debian's package natively, our own build for MinGW.
add_library(pelma_jpeg INTERFACE)
if(WIN32)
  set(PELMA_JPEG_ROOT "${PELMA_CACHE_DIR}/libjpeg/${PELMA_TRIPLET}" CACHE PATH "libjpeg-turbo for this target")
  if(NOT EXISTS "${PELMA_JPEG_ROOT}/lib/libjpeg.a")
    message(FATAL_ERROR "libjpeg for ${PELMA_TRIPLET} is missing at ${PELMA_JPEG_ROOT}: run tools/bootstrap")
  endif()
  target_include_directories(pelma_jpeg INTERFACE "${PELMA_JPEG_ROOT}/include")
  target_link_libraries(pelma_jpeg INTERFACE "${PELMA_JPEG_ROOT}/lib/libjpeg.a")
  # One self-contained executable that imports only system DLLs.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The shipped build: unused code dropped, symbols stripped.
  add_compile_options($<$<CONFIG:MinSizeRel,Release>:-ffunction-sections>
                      $<$<CONFIG:MinSizeRel,Release>:-fdata-sections>)
  add_link_options($<$<CONFIG:MinSizeRel,Release>:-Wl,--gc-sections> $<$<CONFIG:MinSizeRel,Release>:-s>)
else()
  find_package(JPEG REQUIRED)
  target_link_libraries(pelma_jpeg INTERFACE JPEG::JPEG)
endif()

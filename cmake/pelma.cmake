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

# The picture decoders: libjpeg (6b API, version 62), zlib with libpng,
# giflib, libwebp's decoder with its demuxer, libtiff (over that zlib and
# libjpeg), libheif (over libde265 and dav1d) and Little CMS. For MinGW and for the native
# fuzz build they are tools/bootstrap's static builds of Debian's source
# packages (the fuzz build's copies carry the sanitizers and libFuzzer's
# coverage, so the fuzzers see inside the decoders); a plain native build
# takes Debian's own packages.
add_library(pelma_jpeg INTERFACE)
add_library(pelma_png INTERFACE)
add_library(pelma_gif INTERFACE)
add_library(pelma_webp INTERFACE)
add_library(pelma_tiff INTERFACE)
add_library(pelma_heif INTERFACE)
add_library(pelma_lcms INTERFACE)
if(WIN32 OR PELMA_FUZZ)
  if(WIN32)
    set(flavour ${PELMA_TRIPLET})
  else()
    if(NOT PELMA_SANITIZE OR NOT CMAKE_C_COMPILER_ID STREQUAL "Clang")
      message(FATAL_ERROR "PELMA_FUZZ needs clang and PELMA_SANITIZE (the decoders are built instrumented)")
    endif()
    set(flavour fuzz)
  endif()
  set(PELMA_JPEG_ROOT "${PELMA_CACHE_DIR}/libjpeg/${flavour}" CACHE PATH "libjpeg-turbo for this build")
  set(PELMA_DECODERS_ROOT "${PELMA_CACHE_DIR}/decoders/${flavour}" CACHE PATH "zlib, libpng, giflib, libwebp")
  set(PELMA_TIFF_ROOT "${PELMA_CACHE_DIR}/libtiff/${flavour}" CACHE PATH "libtiff for this build")
  set(PELMA_HEIF_ROOT "${PELMA_CACHE_DIR}/heif/${flavour}" CACHE PATH "libheif, libde265, dav1d")
  foreach(lib "${PELMA_JPEG_ROOT}/lib/libjpeg.a" "${PELMA_DECODERS_ROOT}/lib/libpng.a"
              "${PELMA_DECODERS_ROOT}/lib/libz.a" "${PELMA_DECODERS_ROOT}/lib/libgif.a"
              "${PELMA_DECODERS_ROOT}/lib/libwebp.a" "${PELMA_DECODERS_ROOT}/lib/liblcms2.a"
              "${PELMA_TIFF_ROOT}/lib/libtiff.a" "${PELMA_HEIF_ROOT}/lib/libheif.a")
    if(NOT EXISTS "${lib}")
      message(FATAL_ERROR "${lib} is missing: run tools/bootstrap")
    endif()
  endforeach()
  target_include_directories(pelma_jpeg INTERFACE "${PELMA_JPEG_ROOT}/include")
  target_link_libraries(pelma_jpeg INTERFACE "${PELMA_JPEG_ROOT}/lib/libjpeg.a")
  target_include_directories(pelma_png INTERFACE "${PELMA_DECODERS_ROOT}/include")
  target_link_libraries(pelma_png INTERFACE "${PELMA_DECODERS_ROOT}/lib/libpng.a" "${PELMA_DECODERS_ROOT}/lib/libz.a")
  target_include_directories(pelma_gif INTERFACE "${PELMA_DECODERS_ROOT}/include")
  target_link_libraries(pelma_gif INTERFACE "${PELMA_DECODERS_ROOT}/lib/libgif.a")
  target_include_directories(pelma_webp INTERFACE "${PELMA_DECODERS_ROOT}/include")
  target_link_libraries(pelma_webp INTERFACE "${PELMA_DECODERS_ROOT}/lib/libwebp.a")
  target_include_directories(pelma_tiff INTERFACE "${PELMA_TIFF_ROOT}/include")
  target_link_libraries(pelma_tiff INTERFACE "${PELMA_TIFF_ROOT}/lib/libtiff.a" pelma_jpeg pelma_png)
  target_include_directories(pelma_lcms INTERFACE "${PELMA_DECODERS_ROOT}/include")
  target_link_libraries(pelma_lcms INTERFACE "${PELMA_DECODERS_ROOT}/lib/liblcms2.a")
  target_compile_definitions(pelma_lcms INTERFACE CMS_NO_REGISTER_KEYWORD)
  target_include_directories(pelma_heif INTERFACE "${PELMA_HEIF_ROOT}/include")
  # (PELMA_HEIF_PIXEL_LIMIT: tools/deps/libheif.patch is applied)
  target_compile_definitions(pelma_heif INTERFACE LIBHEIF_STATIC_BUILD LIBDE265_STATIC_BUILD PELMA_HEIF_PIXEL_LIMIT)
  find_package(Threads REQUIRED)
  target_link_libraries(pelma_heif INTERFACE "${PELMA_HEIF_ROOT}/lib/libheif.a"
                        "${PELMA_HEIF_ROOT}/lib/libde265.a" "${PELMA_HEIF_ROOT}/lib/libdav1d.a" Threads::Threads)
else()
  find_package(JPEG REQUIRED)
  find_package(PNG REQUIRED)
  find_package(GIF REQUIRED)
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(WEBP REQUIRED IMPORTED_TARGET libwebpdemux libwebp)
  target_link_libraries(pelma_jpeg INTERFACE JPEG::JPEG)
  target_link_libraries(pelma_png INTERFACE PNG::PNG)
  target_link_libraries(pelma_gif INTERFACE GIF::GIF)
  target_link_libraries(pelma_webp INTERFACE PkgConfig::WEBP)
  find_package(TIFF REQUIRED)
  target_link_libraries(pelma_tiff INTERFACE TIFF::TIFF)
  pkg_check_modules(HEIF REQUIRED IMPORTED_TARGET libheif)
  target_link_libraries(pelma_heif INTERFACE PkgConfig::HEIF)
  pkg_check_modules(LCMS REQUIRED IMPORTED_TARGET lcms2)
  target_link_libraries(pelma_lcms INTERFACE PkgConfig::LCMS)
  target_compile_definitions(pelma_lcms INTERFACE CMS_NO_REGISTER_KEYWORD)
endif()
if(WIN32)
  # One self-contained executable that imports only system DLLs.
  add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # The shipped build: unused code dropped, symbols stripped.
  add_compile_options($<$<CONFIG:MinSizeRel,Release>:-ffunction-sections>
                      $<$<CONFIG:MinSizeRel,Release>:-fdata-sections>)
  add_link_options($<$<CONFIG:MinSizeRel,Release>:-Wl,--gc-sections> $<$<CONFIG:MinSizeRel,Release>:-s>)
endif()

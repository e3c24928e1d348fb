# Fails the configure step at once, naming the Debian packages to install,
# when the FFmpeg or GoogleTest headers are missing (otherwise the build would
# only fail later, at the first file that includes them).

# Header of each FFmpeg library the program binds, and the package with it.
set(_velmora_ffmpeg_headers
  "libavcodec/avcodec.h|libavcodec-dev"
  "libavdevice/avdevice.h|libavdevice-dev"
  "libavfilter/avfilter.h|libavfilter-dev"
  "libavformat/avformat.h|libavformat-dev"
  "libavutil/avutil.h|libavutil-dev"
  "libswresample/swresample.h|libswresample-dev"
  "libswscale/swscale.h|libswscale-dev"
)

function(velmora_require_ffmpeg_headers)
  set(missing_headers "")
  set(missing_packages "")
  foreach(row IN LISTS _velmora_ffmpeg_headers)
    string(REPLACE "|" ";" row "${row}")
    list(GET row 0 header)
    list(GET row 1 package)
    string(MAKE_C_IDENTIFIER "${header}" id)
    # An explicit header folder is the only one searched.
    if(VELMORA_FFMPEG_INCLUDE_DIR)
      find_path(VELMORA_HEADER_${id} ${header} PATHS ${VELMORA_FFMPEG_INCLUDE_DIR} NO_DEFAULT_PATH
                NO_CACHE)
    else()
      find_path(VELMORA_HEADER_${id} ${header} NO_CACHE)
    endif()
    if(NOT VELMORA_HEADER_${id})
      list(APPEND missing_headers ${header})
      list(APPEND missing_packages ${package})
    endif()
  endforeach()
  if(missing_headers)
    list(JOIN missing_headers ", " headers)
    list(JOIN missing_packages " " packages)
    message(FATAL_ERROR
      "FFmpeg development headers not found: ${headers}.\n"
      "Install the Debian packages: sudo apt-get install ${packages}\n"
      "(or run: bash scripts/install-deps.sh)")
  endif()
endfunction()

function(velmora_require_gtest)
  find_package(GTest QUIET)
  find_path(VELMORA_GTEST_HEADER gtest/gtest.h NO_CACHE)
  if(NOT GTest_FOUND OR NOT VELMORA_GTEST_HEADER)
    message(FATAL_ERROR
      "GoogleTest not found (needed for the tests).\n"
      "Install the Debian package: sudo apt-get install libgtest-dev\n"
      "(or run: bash scripts/install-deps.sh; or configure with -DVELMORA_TESTS=OFF)")
  endif()
endfunction()

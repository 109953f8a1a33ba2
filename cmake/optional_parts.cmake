# The parts of the build that need packages the game does not: the tests (GoogleTest), the
# benchmark programs (Google Benchmark, SDL2_ttf for a reference) and the headless runner's
# --video (FFmpeg's libraries). `make run` installs only what the game needs, so each is a choice:
# AUTO builds it when its packages are installed, ON demands them (scripts/test asks for all
# three), OFF leaves it out. Sets QRB_BUILD_TESTS, QRB_BUILD_BENCH and QRB_BUILD_VIDEO; for the
# video also the imported target PkgConfig::FFMPEG.
set(QRB_TESTS AUTO CACHE STRING "Build the tests: ON, OFF or AUTO (when GoogleTest is installed)")
set(QRB_BENCH AUTO CACHE STRING
  "Build the benchmark programs: ON, OFF or AUTO (when Google Benchmark and SDL2_ttf are installed)")
set(QRB_VIDEO AUTO CACHE STRING
  "Build the headless runner's --video: ON, OFF or AUTO (when FFmpeg's libraries are installed)")
set_property(CACHE QRB_TESTS PROPERTY STRINGS ON OFF AUTO)
set_property(CACHE QRB_BENCH PROPERTY STRINGS ON OFF AUTO)
set_property(CACHE QRB_VIDEO PROPERTY STRINGS ON OFF AUTO)

# qrb_optional_part(PART FOUND NEEDS): QRB_BUILD_<PART> from QRB_<PART> and whether what the part
# NEEDS (said in the messages) was FOUND.
function(qrb_optional_part part found needs)
  string(TOUPPER "${QRB_${part}}" mode)
  if(mode STREQUAL "AUTO")
    set(build ${found})
    if(NOT found)
      message(STATUS "QRB_${part}=AUTO: left out, ${needs} missing (scripts/setup-deps test installs it)")
    endif()
  elseif(QRB_${part})
    if(NOT found)
      message(FATAL_ERROR "QRB_${part}=ON needs ${needs} (scripts/setup-deps test installs it)")
    endif()
    set(build ON)
  else()
    set(build OFF)
  endif()
  set(QRB_BUILD_${part} ${build} PARENT_SCOPE)
endfunction()

# AUTO reads as true here, as every value but the false ones (OFF, 0, NO...).
if(QRB_TESTS)
  find_package(GTest QUIET)
endif()
qrb_optional_part(TESTS "${GTest_FOUND}" "GoogleTest (libgtest-dev)")

set(qrb_bench_found OFF)
# The sanitizer builds time nothing.
if(QRB_SANITIZE OR QRB_TSAN)
  set(QRB_BENCH OFF)
elseif(QRB_BENCH)
  find_package(benchmark QUIET)
  pkg_check_modules(SDL2_TTF QUIET IMPORTED_TARGET SDL2_ttf)
  if(benchmark_FOUND AND SDL2_TTF_FOUND)
    set(qrb_bench_found ON)
  endif()
endif()
qrb_optional_part(BENCH "${qrb_bench_found}" "Google Benchmark or SDL2_ttf (libbenchmark-dev, libsdl2-ttf-dev)")

# The runner's --video: WebM (libavformat) of VP9 pictures and Opus sound (libavcodec, which
# reaches libvpx and libopus), the pictures turned into YUV by libswscale and the mix resampled by
# libswresample. Only the headless backend links them (platform/headless/video_writer.cpp).
set(qrb_video_found OFF)
if(QRB_VIDEO)
  pkg_check_modules(FFMPEG QUIET IMPORTED_TARGET libavformat libavcodec libswscale libswresample libavutil)
  set(qrb_video_found ${FFMPEG_FOUND})
endif()
qrb_optional_part(VIDEO "${qrb_video_found}"
  "FFmpeg's libraries (libavformat-dev, libavcodec-dev, libswscale-dev, libswresample-dev)")

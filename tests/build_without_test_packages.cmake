# What `make run` installs is enough to configure the game: with GoogleTest, Google Benchmark and
# FFmpeg's libraries hidden, a fresh tree configures, says what it leaves out and still makes the
# game's programs; asking for the tests or the video (QRB_TESTS=ON, QRB_VIDEO=ON, as scripts/test
# does) then fails and names the package.
#   cmake -DSOURCE=DIR -DWORK=DIR -P build_without_test_packages.cmake
file(REMOVE_RECURSE ${WORK})
set(hidden -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON)
# FFmpeg's libraries (the runner's --video) are hidden from pkg-config: it reads a folder of the
# system's .pc files without theirs.
execute_process(COMMAND pkg-config --variable pc_path pkg-config OUTPUT_VARIABLE pc_path OUTPUT_STRIP_TRAILING_WHITESPACE)
string(REPLACE ":" ";" pc_path "${pc_path}")
set(pc_dir ${WORK}-pkgconfig)
file(REMOVE_RECURSE ${pc_dir})
file(MAKE_DIRECTORY ${pc_dir})
foreach(dir ${pc_path})
  file(GLOB pcs ${dir}/*.pc)
  foreach(pc ${pcs})
    get_filename_component(name ${pc} NAME)
    if(NOT name MATCHES "^(libav|libsw|libpostproc)" AND NOT EXISTS ${pc_dir}/${name})
      file(CREATE_LINK ${pc} ${pc_dir}/${name} SYMBOLIC)
    endif()
  endforeach()
endforeach()
set(no_ffmpeg ${CMAKE_COMMAND} -E env PKG_CONFIG_LIBDIR=${pc_dir} PKG_CONFIG_PATH=)
execute_process(COMMAND ${no_ffmpeg} ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -G Ninja ${hidden}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "without GoogleTest and Google Benchmark the tree does not configure:\n${out}\n${err}")
endif()
foreach(said "QRB_TESTS=AUTO: left out, GoogleTest" "QRB_BENCH=AUTO: left out" "QRB_VIDEO=AUTO: left out, FFmpeg's libraries")
  string(FIND "${out}" "${said}" at)
  if(at LESS 0)
    message(FATAL_ERROR "configuring does not say '${said}':\n${out}")
  endif()
endforeach()
file(READ ${WORK}/build.ninja ninja)
foreach(program quorbix quorbix-headless quorbix-gallery)
  if(NOT ninja MATCHES "build bin/${program}:")
    message(FATAL_ERROR "the tree without the tests' packages does not make bin/${program}")
  endif()
endforeach()
if(ninja MATCHES "build bin/(quorbix-tests|framework-examples-test|bench-[a-z]+):")
  message(FATAL_ERROR "the tree without the tests' packages still makes bin/${CMAKE_MATCH_1}")
endif()

execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -DQRB_TESTS=ON
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "QRB_TESTS=ON needs GoogleTest \\(libgtest-dev\\)")
  message(FATAL_ERROR "QRB_TESTS=ON without GoogleTest: status ${rc}:\n${err}")
endif()
execute_process(COMMAND ${no_ffmpeg} ${CMAKE_COMMAND} -S ${SOURCE} -B ${WORK} -DQRB_TESTS=AUTO -DQRB_VIDEO=ON
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(rc EQUAL 0 OR NOT err MATCHES "QRB_VIDEO=ON needs FFmpeg's libraries \\(libavformat-dev")
  message(FATAL_ERROR "QRB_VIDEO=ON without FFmpeg's libraries: status ${rc}:\n${err}")
endif()
file(REMOVE_RECURSE ${WORK} ${pc_dir})

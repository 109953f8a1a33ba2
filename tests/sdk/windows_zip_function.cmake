# The Windows SDK's toolchain file and quorbix_add_windows_zip (packaging/sdk/QuorbixWindows.cmake)
# in a made-up package laid out as the Windows package is (the SDK in sdk/, beside fonts/ and
# sf2/), in a folder whose name holds a space, without the Windows build: the toolchain file
# alone, named from the SDK, finds the SDK; a program with a file whose folder and name hold
# spaces becomes a zip holding the program, the file, and the package's fonts and sound font
# (the build folder gets those too); and what it refuses, each with its reason: a file that is
# not there, two files whose names differ only in case, a file named as one of the zip's
# folders, a zip's name with a folder in it, and an SDK used away from its package.
# Skipped (one line) without MinGW-w64.
#   cmake -DSOURCE=TREE -DWORK=DIR -P windows_zip_function.cmake
find_program(MINGW_GCC x86_64-w64-mingw32-gcc-posix)
if(NOT MINGW_GCC)
  message("SKIP: no x86_64-w64-mingw32-gcc-posix (scripts/setup-deps windows installs it)")
  return()
endif()
file(REMOVE_RECURSE ${WORK})
set(package "${WORK}/the package")
foreach(f fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf fonts/LICENSE fonts/README sf2/TimGM6mb.sf2
        sf2/LICENSE sf2/README licences/zlib.txt licences/sdl2.txt)
  file(WRITE "${package}/${f}" "${f} of the package\n")
endforeach()
set(config "${package}/sdk/lib/cmake/Quorbix")
file(COPY ${SOURCE}/packaging/sdk/QuorbixWindows.cmake DESTINATION "${config}")
file(COPY ${SOURCE}/cmake/mingw-w64-x86_64.cmake DESTINATION "${package}/sdk/cmake")
# The SDK's package file, but for the framework's targets: what the Windows one adds.
file(WRITE "${config}/QuorbixConfig.cmake" "include(\${CMAKE_CURRENT_LIST_DIR}/QuorbixWindows.cmake)\n")

# Configures (and with BUILD builds) a project whose quorbix_add_windows_zip call is CALL, against
# the SDK of `pkg`; its result and error.
function(zip_case name pkg call)
  set(dir ${WORK}/${name})
  file(WRITE ${dir}/main.c "int main(void) { return 0; }\n")
  file(WRITE "${dir}/data dir/My File" "x\n")
  file(WRITE "${dir}/other/my file" "y\n")
  file(WRITE ${dir}/fonts "z\n")
  file(WRITE ${dir}/CMakeLists.txt "cmake_minimum_required(VERSION 3.22)
project(ZipCase C)
find_package(Quorbix REQUIRED)
add_executable(game main.c)
${call}
")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${dir} -B ${dir}/build -G Ninja
      "-DCMAKE_TOOLCHAIN_FILE=${pkg}/sdk/cmake/mingw-w64-x86_64.cmake"
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(rc EQUAL 0 AND ARGN STREQUAL "BUILD")
    execute_process(COMMAND ${CMAKE_COMMAND} --build ${dir}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(err "${out}${err}")
  endif()
  set(rc ${rc} PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_refused name pkg call reason)
  zip_case(${name} "${pkg}" "${call}")
  if(rc EQUAL 0)
    message(FATAL_ERROR "${name}: '${call}' was accepted")
  endif()
  string(REGEX REPLACE "[ \n]+" " " err "${err}")
  if(NOT err MATCHES "${reason}")
    message(FATAL_ERROR "${name}: '${call}' was refused without saying '${reason}':\n${err}")
  endif()
endfunction()

zip_case(good "${package}" [[quorbix_add_windows_zip(game ZIP "My Game.zip" "data dir/My File")]] BUILD)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "a good zip was refused:\n${err}")
endif()
file(STRINGS ${WORK}/good/build/CMakeCache.txt prefix REGEX "^QRB_WINDOWS_PREFIX:")
if(NOT prefix STREQUAL "QRB_WINDOWS_PREFIX:PATH=${package}/sdk")
  message(FATAL_ERROR "the toolchain file in the SDK did not take the SDK as its prefix: ${prefix}")
endif()
set(zip "${WORK}/good/build/My Game.zip")
if(NOT EXISTS "${zip}")
  message(FATAL_ERROR "no 'My Game.zip' was made")
endif()
file(MAKE_DIRECTORY ${WORK}/unzipped)
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf "${zip}" WORKING_DIRECTORY ${WORK}/unzipped RESULT_VARIABLE rc)
file(GLOB_RECURSE held RELATIVE ${WORK}/unzipped ${WORK}/unzipped/*)
list(SORT held)
string(CONCAT expected "My File;fonts/LICENSE;fonts/README;fonts/quorbix-gothic.ttf;fonts/quorbix-mincho.ttf;game.exe;"
  "licences/sdl2.txt;licences/zlib.txt;sf2/LICENSE;sf2/README;sf2/TimGM6mb.sf2")
if(NOT rc EQUAL 0 OR NOT held STREQUAL expected)
  message(FATAL_ERROR "the zip holds ${held}; expected ${expected}")
endif()
foreach(f fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf sf2/TimGM6mb.sf2 sf2/LICENSE licences/sdl2.txt)
  set(places ${WORK}/unzipped)
  if(NOT f MATCHES "^licences/")   # the build folder's programs need no licence texts to run
    list(APPEND places ${WORK}/good/build)
  endif()
  foreach(where ${places})
    file(READ "${where}/${f}" got)
    if(NOT got STREQUAL "${f} of the package\n")
      message(FATAL_ERROR "${where}/${f} is not the package's")
    endif()
  endforeach()
endforeach()

expect_refused(missing "${package}" "quorbix_add_windows_zip(game NoSuchFile)" "NoSuchFile is not a file")
expect_refused(twice "${package}" [[quorbix_add_windows_zip(game "data dir/My File" "other/my file")]]
  "the zip holds a 'my file' already")
expect_refused(folder_name "${package}" "quorbix_add_windows_zip(game fonts)" "the zip holds a 'fonts' already")
expect_refused(zip_name "${package}" "quorbix_add_windows_zip(game ZIP a/b)" "the zip's name 'a/b' is not")
# The SDK copied away from its package: the fonts and the sound font are not beside it.
file(COPY "${package}/sdk" DESTINATION ${WORK}/alone)
expect_refused(alone ${WORK}/alone "quorbix_add_windows_zip(game)" "fonts/quorbix-gothic.ttf is missing")
message(STATUS "quorbix_add_windows_zip made its zip and refused what it should")

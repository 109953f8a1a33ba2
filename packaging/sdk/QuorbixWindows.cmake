# The Windows SDK's way to a game a player unzips and runs (included by its QuorbixConfig.cmake).
# The SDK lies in the Windows package's sdk/ folder, beside the fonts/ and sf2/ folders that the
# package's own game uses: a game writer's zip takes its fonts and sound font from there, so that
# the package holds each of them once.
#
#   quorbix_add_windows_zip(TARGET [ZIP NAME] [FILE...])
#       TARGET (the game's window program) as NAME.zip (TARGET-windows.zip unless given) in the
#       calling folder's build folder, made by every build: TARGET.exe at its top, each FILE
#       (relative to the calling folder) beside it under its own name, fonts/ (the two faces,
#       their licence and README), sf2/ (TimGM6mb.sf2, the sound font MIDI music plays with, its
#       licence and README) and licences/ (the copyright and licence texts of the libraries the
#       program links, which a program built with the SDK carries as the package's own do).
#       The fonts and the sound font are also put beside the programs of the build folder, which
#       then run there as they do from the zip (under Wine too). TARGET becomes a window program:
#       no console window opens beside it on a double-click.
include_guard(GLOBAL)
get_filename_component(_QUORBIX_WINDOWS_PACKAGE "${CMAKE_CURRENT_LIST_DIR}/../../../.." ABSOLUTE)
set(_QUORBIX_WINDOWS_DATA fonts/quorbix-gothic.ttf fonts/quorbix-mincho.ttf fonts/LICENSE fonts/README
  sf2/TimGM6mb.sf2 sf2/LICENSE sf2/README)

function(quorbix_add_windows_zip target)
  if(NOT TARGET ${target})
    message(FATAL_ERROR "quorbix_add_windows_zip: ${target} is not a target (add_executable first)")
  endif()
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "ZIP" "")
  set(zip ${target}-windows)
  if(DEFINED arg_ZIP)
    string(REGEX REPLACE "\\.[zZ][iI][pP]$" "" zip "${arg_ZIP}")
  endif()
  if(NOT zip MATCHES "^[A-Za-z0-9][A-Za-z0-9._ -]*$")
    message(FATAL_ERROR "quorbix_add_windows_zip(${target}): the zip's name '${arg_ZIP}' is not letters, "
      "digits, '.', '_', '-' and spaces")
  endif()
  set(package ${_QUORBIX_WINDOWS_PACKAGE})
  foreach(file ${_QUORBIX_WINDOWS_DATA})
    if(NOT EXISTS ${package}/${file})
      message(FATAL_ERROR "quorbix_add_windows_zip(${target}): ${package}/${file} is missing; the SDK "
        "takes the fonts and the sound font from the Windows package it came in (sdk/ beside fonts/ "
        "and sf2/): use it where the package was unzipped")
    endif()
  endforeach()
  file(GLOB licences LIST_DIRECTORIES false ${package}/licences/*)
  if(NOT licences)
    message(FATAL_ERROR "quorbix_add_windows_zip(${target}): ${package}/licences holds no licence text; the "
      "SDK takes them from the Windows package it came in: use it where the package was unzipped")
  endif()
  set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)

  # The game's files: each a file, under a name of its own that is none of the zip's other names.
  get_target_property(exe_name ${target} OUTPUT_NAME)
  if(NOT exe_name)
    set(exe_name ${target})
  endif()
  set(names fonts sf2 licences ${exe_name}.exe)
  set(files)
  foreach(file ${arg_UNPARSED_ARGUMENTS})
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(name ${file} NAME)
    if(NOT EXISTS ${file} OR IS_DIRECTORY ${file})
      message(FATAL_ERROR "quorbix_add_windows_zip(${target}): ${file} is not a file")
    endif()
    string(TOLOWER "${name}" lower)
    string(TOLOWER "${names}" taken)   # Windows' names differ in more than case
    if(lower IN_LIST taken)
      message(FATAL_ERROR "quorbix_add_windows_zip(${target}): ${file}: the zip holds a '${name}' already; "
        "each file lies beside the program under its own name")
    endif()
    list(APPEND names ${name})
    list(APPEND files ${file})
  endforeach()

  # The fonts and the sound font beside the build's programs, as the zip puts them.
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    get_target_property(dir ${target} BINARY_DIR)
  endif()
  set(data)
  foreach(file ${_QUORBIX_WINDOWS_DATA})
    configure_file(${package}/${file} ${dir}/${file} COPYONLY)
    list(APPEND data ${package}/${file})
  endforeach()

  # The zip, made in a folder of its own and written whole: a failed build leaves the last good one.
  set(stage ${CMAKE_CURRENT_BINARY_DIR}/quorbix-zip/${zip})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${zip}.zip)
  set(copy_files)
  if(files)
    set(copy_files COMMAND ${CMAKE_COMMAND} -E copy ${files} ${stage}/)
  endif()
  add_custom_command(OUTPUT ${out}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/fonts ${stage}/sf2 ${stage}/licences
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:${target}> ${stage}/${exe_name}.exe
    ${copy_files}
    COMMAND ${CMAKE_COMMAND} -E copy ${package}/fonts/quorbix-gothic.ttf ${package}/fonts/quorbix-mincho.ttf
      ${package}/fonts/LICENSE ${package}/fonts/README ${stage}/fonts/
    COMMAND ${CMAKE_COMMAND} -E copy ${package}/sf2/TimGM6mb.sf2 ${package}/sf2/LICENSE ${package}/sf2/README
      ${stage}/sf2/
    COMMAND ${CMAKE_COMMAND} -E copy ${licences} ${stage}/licences/
    COMMAND ${CMAKE_COMMAND} -E chdir ${stage} ${CMAKE_COMMAND} -E tar cf ${out}.tmp --format=zip -- ${names}
    COMMAND ${CMAKE_COMMAND} -E rename ${out}.tmp ${out}
    DEPENDS ${target} ${files} ${data} ${licences}
    COMMENT "Packing ${target} for Windows: ${zip}.zip" VERBATIM)
  add_custom_target(${target}-zip ALL DEPENDS ${out})
endfunction()

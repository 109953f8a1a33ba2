# Installs the game into a scratch directory and checks what a desktop reads from it: the desktop
# entry, the AppStream metainfo, the manual pages and the icons in the hicolor theme. Called by
# CTest with BUILD and WORK. A missing checker is said on one line and the test is skipped.
file(REMOVE_RECURSE ${WORK})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --component game --prefix ${WORK}/usr
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing the game failed: ${err}")
endif()
set(share ${WORK}/usr/share)
foreach(size 16 32 48 64 128 256)
  if(NOT EXISTS ${share}/icons/hicolor/${size}x${size}/apps/quorbix.png)
    message(FATAL_ERROR "the ${size} px icon is not installed in the hicolor theme")
  endif()
endforeach()
set(missing "")
foreach(tool appstreamcli desktop-file-validate man)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    list(APPEND missing ${tool})
  endif()
endforeach()
if(missing)
  message("SKIPPED: ${missing} not installed (scripts/setup-deps installs them)")
  return()
endif()
execute_process(COMMAND ${found_desktop-file-validate} ${share}/applications/quorbix.desktop
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0 OR out MATCHES "error")
  message(FATAL_ERROR "desktop-file-validate: ${out}")
endif()
execute_process(COMMAND ${found_appstreamcli} validate --no-net ${share}/metainfo/io.github.quorbix.Quorbix.metainfo.xml
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "appstreamcli validate: ${out}")
endif()
# The manual pages, compressed as Debian ships them: the game's (under quorbix-headless's name
# too) and the SDK's quorbix-new.
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD} --component sdk --prefix ${WORK}/usr
  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "installing the SDK failed: ${err}")
endif()
foreach(page man6/quorbix.6.gz man6/quorbix-headless.6.gz man1/quorbix-new.1.gz)
  execute_process(COMMAND ${CMAKE_COMMAND} -E env MANWIDTH=80 ${found_man} -l --warnings=all ${share}/man/${page}
    RESULT_VARIABLE rc OUTPUT_VARIABLE text ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "" OR NOT text MATCHES "NAME")
    message(FATAL_ERROR "man -l ${page}: exit ${rc}: ${out}")
  endif()
endforeach()

# quorbix_add_page (cmake/QuorbixPage.cmake) on the desktop's compiler, configure only: what it
# writes for a page whose title and files hold spaces and markup, with its pages' files in a
# folder whose name holds '@' (an SDK unpacked as "sdk@2"), and what it refuses (a file that is
# not there, two files of one name, a second page of one name, a page name that is not a plain
# .html name), each with its reason and before anything is built.
#   cmake -DSOURCE=TREE -DWORK=DIR -P page_function.cmake
file(REMOVE_RECURSE ${WORK})
# The packer splits SRC@DST at the first '@' that is not "@@": beside this folder lies the one
# an undoubled '@' would cut its name down to.
set(pages ${WORK}/pages@2)
file(WRITE ${WORK}/pages/private "private\n")
foreach(f index.html.in quorbix-page.js quorbix-audio.js icon.png data/fonts/quorbix-gothic.woff2
    data/fonts/quorbix-mincho.woff2 data/fonts/LICENSE data/fonts/README data/sf2/TimGM6mb.sf2 synth.js)
  file(WRITE ${pages}/${f} "${f}\n")
endforeach()
file(COPY ${SOURCE}/platform/web/page/index.html.in DESTINATION ${pages})

# Configures a project whose quorbix_add_page call is CALL; its result, output and error.
function(configure_case name call)
  set(dir ${WORK}/${name})
  file(WRITE ${dir}/main.c "int main(void) { return 0; }\n")
  file(WRITE "${dir}/data dir/My File" "x\n")
  file(WRITE "${dir}/other/My File" "y\n")
  file(WRITE ${dir}/at@sign "z\n")
  file(WRITE ${dir}/CMakeLists.txt "cmake_minimum_required(VERSION 3.22)
project(PageCase C)
include(${SOURCE}/cmake/QuorbixPage.cmake)
quorbix_page_sources(TEMPLATE ${pages} ICON ${pages}/icon.png DATA ${pages}/data SYNTH_JS ${pages}/synth.js)
add_executable(game main.c)
set_target_properties(game PROPERTIES RUNTIME_OUTPUT_DIRECTORY \${CMAKE_BINARY_DIR}/site)
${call}
")
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${dir} -B ${dir}/build -G Ninja
    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(rc ${rc} PARENT_SCOPE)
  set(err "${err}" PARENT_SCOPE)
endfunction()

function(expect_refused name call reason)
  configure_case(${name} "${call}")
  if(rc EQUAL 0)
    message(FATAL_ERROR "${name}: '${call}' was accepted")
  endif()
  string(REGEX REPLACE "[ \n]+" " " err "${err}")
  if(NOT err MATCHES "${reason}")
    message(FATAL_ERROR "${name}: '${call}' was refused without saying '${reason}':\n${err}")
  endif()
endfunction()

# A page with its own name, a title that is not markup, and a file whose folder and name have spaces.
configure_case(good [[quorbix_add_page(game "Tom & Jerry <3" PAGE play.html "data dir/My File")]])
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "a good page was refused:\n${err}")
endif()
set(site ${WORK}/good/build/site)
foreach(f play.html quorbix-page.js quorbix-audio.js icon.png fonts/LICENSE fonts/README libfluidsynth.js)
  if(NOT EXISTS ${site}/${f})
    message(FATAL_ERROR "the page's folder has no ${f}")
  endif()
endforeach()
file(READ ${site}/play.html html)
if(NOT html MATCHES "<title>Tom &amp; Jerry &lt;3</title>" OR NOT html MATCHES "src=\"game.js\"")
  message(FATAL_ERROR "the page's title or program is wrong:\n${html}")
endif()
file(READ ${WORK}/good/build/build.ninja ninja)
string(FIND "${ninja}" "good/data dir/My File@/app/My File" at)
if(at EQUAL -1)
  message(FATAL_ERROR "the file with spaces is not packed whole into /app/My File")
endif()
foreach(packed "pages@@2/data/fonts/quorbix-gothic.woff2@/fonts/quorbix-gothic.woff2"
    "pages@@2/data/fonts/quorbix-mincho.woff2@/fonts/quorbix-mincho.woff2")
  string(FIND "${ninja}" "${packed}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the pages' fonts are not packed with their '@' doubled: no ${packed}")
  endif()
endforeach()
# Beside the page: its own files and the shared ones, which the pages' service workers keep.
include(${SOURCE}/cmake/QuorbixPage.cmake)
_quorbix_page_shared_names(shared)
file(GLOB_RECURSE beside RELATIVE ${site} ${site}/*)
foreach(f ${beside})
  list(FIND shared "${f}" at)
  if(NOT f MATCHES "^(game\\.|play\\.html$)" AND at EQUAL -1)
    message(FATAL_ERROR "${f} is copied beside the page, but no service worker keeps it")
  endif()
endforeach()

# A file of one's own with '@' in its name: packed under that name.
configure_case(at-sign [[quorbix_add_page(game "Game" at@sign)]])
file(READ ${WORK}/at-sign/build/build.ninja ninja)
string(FIND "${ninja}" "at-sign/at@@sign@/app/at@@sign" at)
if(NOT rc EQUAL 0 OR at EQUAL -1)
  message(FATAL_ERROR "a file named at@sign is not packed as /app/at@sign (status ${rc}):\n${err}")
endif()

expect_refused(missing [[quorbix_add_page(game "Game" NOT-THERE)]] "NOT-THERE is not a file")
expect_refused(same-name [[quorbix_add_page(game "Game" "data dir/My File" "other/My File")]]
  "two files named My File")
expect_refused(same-page [[quorbix_add_page(game "Game" PAGE play.html)
add_executable(other main.c)
set_target_properties(other PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/site)
quorbix_add_page(other "Other" PAGE play.html)]] "play.html is already the page of game")
expect_refused(page-name [[quorbix_add_page(game "Game" PAGE ../up.html)]] "is not a name ending in .html")
expect_refused(no-target [[quorbix_add_page(nothing "Game")]] "nothing is not a target")
message(STATUS "quorbix_add_page wrote a page and refused what it cannot pack")

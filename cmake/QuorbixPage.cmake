# Programs of the web backend as pages, for this tree's web build (cmake/web.cmake) and for the
# installed web SDK (its QuorbixConfig.cmake) alike: the one place that says how a page is made.
#
#   quorbix_page_sources(TEMPLATE DIR ICON FILE DATA DIR [ICONS DIR] [SYNTH_JS FILE] [SF2_CUT FILE]
#                        [FACE_CUT DIR [FACE_CHECK FILE]])
#       where the page's own files lie: DIR holds index.html.in, quorbix-page.js and
#       quorbix-audio.js; ICON is the page's icon (a PNG); DATA holds fonts/ (the two faces, their
#       LICENSE and README) and sf2/TimGM6mb.sf2; ICONS holds quorbix-N.png for the sizes an
#       installed page shows (48 to 512); SYNTH_JS is the music library's script; SF2_CUT the
#       native sound font cutter (sf2-cut), without which a page with music packs the whole font.
#       FACE_CUT holds page_chars.py and web_font_subset.py, which cut each page's faces to the
#       characters its program draws at start (DATA's fonts/hinter-chars.txt and a python3 with
#       fontTools needed too; else each page packs the whole faces); FACE_CHECK is the native
#       font_subset_check, which the build runs on each cut (a cut drawing any of its characters
#       otherwise than the whole face fails the build).
#   quorbix_add_page(TARGET TITLE [PAGE NAME.html] [SCOPE S] [DISPLAY D] [FILE...])
#       makes TARGET (an executable on the web backend) a page: TARGET.html (or NAME.html, one
#       page's name in its folder) beside TARGET.js, TARGET.wasm and TARGET.data, which packs the
#       FILEs into /app, beside the program, as they lie beside the executable on the desktop,
#       and TARGET.webmanifest (the page as an installable app, shown as D: standalone unless
#       given). A relative FILE is read from the calling folder. The pages' shared files are
#       copied beside each page. With a SCOPE the page is also kept for playing offline by its
#       service worker, which the web build writes once every program is linked
#       (cmake/web_offline.cmake).
#       With FACE_CUT, the page packs a small cut of each face: every character of the program's
#       sources (those of TARGET and of the libraries of this build it links), ASCII and what the
#       font hinter measures a face by; the whole faces lie beside the page (fonts/) and are
#       fetched after its first frame; a text needing another character waits for them.
include_guard(GLOBAL)
# (page_split_wasm.py lies beside this file, in the tree and in the SDK.)
set(_QUORBIX_PAGE_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

function(quorbix_page_sources)
  cmake_parse_arguments(PARSE_ARGV 0 arg "" "TEMPLATE;ICON;DATA;ICONS;SYNTH_JS;SF2_CUT;FACE_CUT;FACE_CHECK" "")
  foreach(needed TEMPLATE ICON DATA)
    if(NOT arg_${needed})
      message(FATAL_ERROR "quorbix_page_sources: ${needed} is not given")
    endif()
  endforeach()
  foreach(needed ${arg_TEMPLATE}/index.html.in ${arg_TEMPLATE}/quorbix-page.js
      ${arg_TEMPLATE}/quorbix-audio.js ${arg_ICON} ${arg_DATA}/fonts/quorbix-gothic.woff2
      ${arg_DATA}/fonts/quorbix-mincho.woff2 ${arg_DATA}/fonts/LICENSE ${arg_DATA}/fonts/README
      ${arg_DATA}/sf2/TimGM6mb.sf2)
    if(NOT EXISTS ${needed})
      message(FATAL_ERROR "the pages' file ${needed} is missing")
    endif()
  endforeach()
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_TEMPLATE ${arg_TEMPLATE})
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_ICON ${arg_ICON})
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_DATA ${arg_DATA})
  # The music library's script, copied beside the pages as libfluidsynth.js. Its WebAssembly
  # module, libfluidsynth.wasm beside the script, is copied beside it. A script that carries its
  # module as base64 text instead (the js-synthesizer package's) is split into the two (the page
  # asks for the module from its head on, and it travels smaller) where a python3 is there to do
  # it (emscripten's own tools run on one), else copied as it is.
  set(synth "${arg_SYNTH_JS}")
  set(synth_wasm "")
  if(synth)
    get_filename_component(synth_dir ${synth} DIRECTORY)
    get_filename_component(synth_name ${synth} NAME_WLE)
    find_program(QUORBIX_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
    find_program(QUORBIX_PYTHON3 NAMES python3)
    set(split_dir ${CMAKE_BINARY_DIR}/quorbix-page-synth)
    set(split_tool ${_QUORBIX_PAGE_CMAKE_DIR}/page_split_wasm.py)
    if(EXISTS ${synth_dir}/${synth_name}.wasm)
      set(synth_wasm ${synth_dir}/${synth_name}.wasm)
    elseif(QUORBIX_PYTHON3 AND EXISTS ${split_tool})
      # Split under the page's name, which the script then loads its module by.
      configure_file(${synth} ${split_dir}/whole/libfluidsynth.js COPYONLY)
      execute_process(COMMAND ${QUORBIX_PYTHON3} ${split_tool} ${split_dir}/whole/libfluidsynth.js ${split_dir}
        RESULT_VARIABLE rc ERROR_VARIABLE why)
      if(rc EQUAL 0)
        set(synth ${split_dir}/libfluidsynth.js)
        set(synth_wasm ${split_dir}/libfluidsynth.wasm)
      else()
        message(STATUS "The music library is copied whole: ${why}")
      endif()
      set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${arg_SYNTH_JS} ${split_tool})
    endif()
  endif()
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_SYNTH_JS "${synth}")
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_SYNTH_WASM "${synth_wasm}")
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_ICONS "${arg_ICONS}")
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_SF2_CUT "${arg_SF2_CUT}")
  # The faces' cutter, when everything it needs is there: a python3 with fontTools (and Brotli,
  # which it writes WOFF2 with), its two scripts and the hinter's characters.
  set(cutter "")
  if(arg_FACE_CUT AND EXISTS ${arg_FACE_CUT}/page_chars.py AND EXISTS ${arg_FACE_CUT}/web_font_subset.py)
    if(NOT EXISTS ${arg_DATA}/fonts/hinter-chars.txt)
      message(STATUS "Pages pack their whole faces: ${arg_DATA}/fonts/hinter-chars.txt is missing")
    else()
      find_program(QUORBIX_PYTHON3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH)
      find_program(QUORBIX_PYTHON3 NAMES python3)
      if(QUORBIX_PYTHON3)
        execute_process(COMMAND ${QUORBIX_PYTHON3} -c "import fontTools.subset, brotli"
          RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
        if(rc EQUAL 0)
          set(cutter ${arg_FACE_CUT})
        endif()
      endif()
      if(NOT cutter)
        message(STATUS "Pages pack their whole faces: no python3 with fontTools and Brotli to cut them "
          "(apt-get install fonttools python3-brotli)")
      endif()
    endif()
  endif()
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_FACE_CUT "${cutter}")
  set(check "")
  if(cutter AND arg_FACE_CHECK AND EXISTS ${arg_FACE_CHECK})
    set(check ${arg_FACE_CHECK})
  endif()
  set_property(GLOBAL PROPERTY QUORBIX_PAGE_FACE_CHECK "${check}")
endfunction()

# The icons' sizes an installed page names in its manifest (make-assets --icons draws them).
set_property(GLOBAL PROPERTY QUORBIX_PAGE_ICON_SIZES 48 64 128 192 256 512)

# The names, in their folder, of the files _quorbix_page_shared_files may copy beside the pages:
# what the pages' service workers keep besides each page's own files (cmake/web_offline.cmake).
function(_quorbix_page_shared_names out)
  set(names quorbix-page.js quorbix-audio.js icon.png fonts/LICENSE fonts/README libfluidsynth.js
    libfluidsynth.wasm
    fonts/quorbix-gothic.woff2 fonts/quorbix-mincho.woff2)
  get_property(sizes GLOBAL PROPERTY QUORBIX_PAGE_ICON_SIZES)
  foreach(size ${sizes})
    list(APPEND names icons/quorbix-${size}.png)
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# The files every page beside it loads: its script, its sound output, its icon, the fonts' licence
# and the music library; copied into DIR (once per folder, whatever the number of pages).
function(_quorbix_page_shared_files dir)
  get_property(template GLOBAL PROPERTY QUORBIX_PAGE_TEMPLATE)
  get_property(icon GLOBAL PROPERTY QUORBIX_PAGE_ICON)
  get_property(data GLOBAL PROPERTY QUORBIX_PAGE_DATA)
  get_property(synth GLOBAL PROPERTY QUORBIX_PAGE_SYNTH_JS)
  foreach(file quorbix-page.js quorbix-audio.js)
    configure_file(${template}/${file} ${dir}/${file} COPYONLY)
  endforeach()
  configure_file(${icon} ${dir}/icon.png COPYONLY)
  foreach(file LICENSE README)
    configure_file(${data}/fonts/${file} ${dir}/fonts/${file} COPYONLY)
  endforeach()
  # The whole faces, which pages with cuts of them fetch after their first frame.
  get_property(cutter GLOBAL PROPERTY QUORBIX_PAGE_FACE_CUT)
  if(cutter)
    foreach(file quorbix-gothic.woff2 quorbix-mincho.woff2)
      configure_file(${data}/fonts/${file} ${dir}/fonts/${file} COPYONLY)
    endforeach()
  endif()
  get_property(synth_wasm GLOBAL PROPERTY QUORBIX_PAGE_SYNTH_WASM)
  if(synth)
    configure_file(${synth} ${dir}/libfluidsynth.js COPYONLY)
  endif()
  if(synth_wasm)
    configure_file(${synth_wasm} ${dir}/libfluidsynth.wasm COPYONLY)
  endif()
  get_property(icons GLOBAL PROPERTY QUORBIX_PAGE_ICONS)
  get_property(sizes GLOBAL PROPERTY QUORBIX_PAGE_ICON_SIZES)
  if(icons)
    foreach(size ${sizes})
      configure_file(${icons}/quorbix-${size}.png ${dir}/icons/quorbix-${size}.png COPYONLY)
    endforeach()
  endif()
endfunction()

# TARGET.webmanifest in DIR: the page as an app a browser installs. Its scope is the game's
# whole folder or a page's own address, so that each page installs and keeps its files apart.
function(_quorbix_page_manifest dir target title scope display)
  get_property(have_icons GLOBAL PROPERTY QUORBIX_PAGE_ICONS)
  get_property(sizes GLOBAL PROPERTY QUORBIX_PAGE_ICON_SIZES)
  set(icons "")
  if(have_icons)
    foreach(size ${sizes})
      list(APPEND icons "    { \"src\": \"icons/quorbix-${size}.png\", \"sizes\": \"${size}x${size}\", \"type\": \"image/png\" }")
    endforeach()
  endif()
  list(JOIN icons ",\n" icons)
  string(REPLACE "\\" "\\\\" title "${title}")
  string(REPLACE "\"" "\\\"" title "${title}")
  string(REGEX REPLACE " v[0-9.]+$" "" short "${title}")   # a launcher's label: no version
  file(CONFIGURE OUTPUT ${dir}/${target}.webmanifest @ONLY CONTENT [[{
  "name": "@title@",
  "short_name": "@short@",
  "id": "@scope@",
  "start_url": "@scope@",
  "scope": "@scope@",
  "display": "@display@",
  "orientation": "landscape",
  "background_color": "#000000",
  "theme_color": "#000000",
  "icons": [
@icons@
  ]
}
]])
endfunction()

# The packer's "SRC@DST" for a file: it splits at the first '@' that is not "@@", and reads "@@"
# as an '@' of the name, so every '@' of either path is doubled (an SDK unpacked in a folder
# named "x@2" packs its own fonts, not those of "x"). A '"' would end the quoted argument.
function(_quorbix_pack_option out target src dst)
  if("${src}${dst}" MATCHES "\"")
    message(FATAL_ERROR "quorbix_add_page(${target}): ${src}: a path with '\"' cannot be packed")
  endif()
  string(REPLACE "@" "@@" src "${src}")
  string(REPLACE "@" "@@" dst "${dst}")
  set(${out} "SHELL:--preload-file \"${src}@${dst}\"" PARENT_SCOPE)
endfunction()

# The source files of `target` and of the libraries of this build it links (not imported ones),
# as absolute paths of files that exist when the build is configured.
function(_quorbix_program_sources target out)
  set(seen)
  set(todo ${target})
  set(files)
  while(todo)
    list(POP_FRONT todo t)
    if(t IN_LIST seen OR NOT TARGET ${t})
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(imported ${t} IMPORTED)
    if(imported)
      continue()
    endif()
    get_target_property(dir ${t} SOURCE_DIR)
    get_target_property(sources ${t} SOURCES)
    foreach(s ${sources})
      if(s MATCHES "\\$<")
        continue()
      endif()
      get_filename_component(s ${s} ABSOLUTE BASE_DIR ${dir})
      if(EXISTS ${s} AND NOT IS_DIRECTORY ${s})
        list(APPEND files ${s})
      endif()
    endforeach()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(libs ${t} ${property})
      if(libs)
        foreach(lib ${libs})
          if(NOT lib MATCHES "\\$<" AND TARGET ${lib})
            list(APPEND todo ${lib})
          endif()
        endforeach()
      endif()
    endforeach()
  endwhile()
  list(REMOVE_DUPLICATES files)
  set(${out} ${files} PARENT_SCOPE)
endfunction()

# Cuts the page's faces to what `target` draws at start (see quorbix_add_page) and packs the cuts
# and their list of characters under /fonts/start; `out` gets the packer's options.
function(_quorbix_page_face_cut target cutter data out)
  get_property(check GLOBAL PROPERTY QUORBIX_PAGE_FACE_CHECK)
  _quorbix_program_sources(${target} sources)
  set(dir ${CMAKE_CURRENT_BINARY_DIR}/faces/${target})
  set(chars ${dir}/chars.txt)
  set(commands
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${QUORBIX_PYTHON3} ${cutter}/page_chars.py ${chars} ${data}/fonts/hinter-chars.txt ${sources})
  set(options)
  set(cuts)
  foreach(face gothic mincho)
    set(whole ${data}/fonts/quorbix-${face}.woff2)
    set(cut ${dir}/quorbix-${face}.woff2)
    string(SUBSTRING ${face} 0 1 first)
    string(TOUPPER ${first} first)
    string(SUBSTRING ${face} 1 -1 rest)
    list(APPEND commands
      COMMAND ${QUORBIX_PYTHON3} ${cutter}/web_font_subset.py --woff2 --no-hinting ${whole} ${cut}.tmp ${chars}
        "Quorbix ${first}${rest}"
        "Cut from Quorbix ${first}${rest} (itself derived from the IPAex fonts, see README) to the characters one program draws at start. A derived font under the IPA Font License Agreement v1.0."
      COMMAND ${CMAKE_COMMAND} -E rename ${cut}.tmp ${cut})
    if(check)
      list(APPEND commands COMMAND ${check} --chars ${chars} ${whole} ${cut})
    endif()
    list(APPEND cuts ${cut})
    _quorbix_pack_option(option ${target} "${cut}" /fonts/start/quorbix-${face}.woff2)
    list(APPEND options "${option}")
  endforeach()
  _quorbix_pack_option(option ${target} "${chars}" /fonts/start/chars.txt)
  list(APPEND options "${option}")
  add_custom_command(OUTPUT ${chars} ${cuts} ${commands}
    DEPENDS ${sources} ${cutter}/page_chars.py ${cutter}/web_font_subset.py ${data}/fonts/hinter-chars.txt
      ${data}/fonts/quorbix-gothic.woff2 ${data}/fonts/quorbix-mincho.woff2 ${check}
    COMMENT "Cutting the faces to what ${target} draws at start" VERBATIM)
  add_custom_target(${target}_faces DEPENDS ${chars} ${cuts})
  add_dependencies(${target} ${target}_faces)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${chars} ${cuts})
  set(${out} ${options} PARENT_SCOPE)
endfunction()

function(quorbix_add_page target title)
  get_property(template GLOBAL PROPERTY QUORBIX_PAGE_TEMPLATE)
  get_property(data GLOBAL PROPERTY QUORBIX_PAGE_DATA)
  if(NOT template)
    message(FATAL_ERROR "quorbix_add_page: the pages' files are not set (quorbix_page_sources)")
  endif()
  if(NOT TARGET ${target})
    message(FATAL_ERROR "quorbix_add_page: ${target} is not a target (add_executable first)")
  endif()
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "PAGE;SCOPE;DISPLAY" "")
  set(page ${target}.html)
  if(arg_PAGE)
    set(page ${arg_PAGE})
  endif()
  if(NOT page MATCHES "^[^/\\\\]+\\.html$")
    message(FATAL_ERROR "quorbix_add_page(${target}): the page '${page}' is not a name ending in .html")
  endif()
  # The page goes where the program's script goes; two pages of one name there would be one file,
  # the second silently in place of the first.
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    get_target_property(dir ${target} BINARY_DIR)
  endif()
  get_property(made GLOBAL PROPERTY QUORBIX_PAGES_MADE)
  foreach(entry ${made})
    if(entry MATCHES "^([^|]*)\\|(.*)$" AND CMAKE_MATCH_2 STREQUAL "${dir}/${page}")
      message(FATAL_ERROR "quorbix_add_page(${target}): ${page} is already the page of ${CMAKE_MATCH_1}; "
        "give one of them another PAGE")
    endif()
  endforeach()
  set_property(GLOBAL APPEND PROPERTY QUORBIX_PAGES_MADE "${target}|${dir}/${page}")

  # Every program waits through Asyncify (a wait returns to the browser and comes back), runs on
  # one thread, and finds its data in a file system packed beside it. Paths are quoted, as a
  # folder's name may hold spaces.
  set_target_properties(${target} PROPERTIES SUFFIX .js)
  get_property(cutter GLOBAL PROPERTY QUORBIX_PAGE_FACE_CUT)
  if(cutter)
    _quorbix_page_face_cut(${target} ${cutter} ${data} faces)
    set(QRB_PAGE_FACES later)
  else()
    _quorbix_pack_option(gothic ${target} "${data}/fonts/quorbix-gothic.woff2" /fonts/quorbix-gothic.woff2)
    _quorbix_pack_option(mincho ${target} "${data}/fonts/quorbix-mincho.woff2" /fonts/quorbix-mincho.woff2)
    set(faces "${gothic}" "${mincho}")
    set(QRB_PAGE_FACES whole)
  endif()
  target_link_options(${target} PRIVATE
    -sASYNCIFY=1 -sASYNCIFY_STACK_SIZE=131072
    -sALLOW_MEMORY_GROWTH=1 -sINITIAL_MEMORY=67108864 -sTOTAL_STACK=1048576
    -sMODULARIZE=1 -sEXPORT_NAME=QuorbixProgram -sENVIRONMENT=web
    -sEXIT_RUNTIME=1 -sFORCE_FILESYSTEM=1 -sEXPORTED_RUNTIME_METHODS=FS
    ${faces})

  # The program's own files, in /app under their own names. Two files of one name would take the
  # same place: refused here rather than packing something else than was named.
  set(names)
  set(midis)
  foreach(file ${arg_UNPARSED_ARGUMENTS})
    get_filename_component(file ${file} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    get_filename_component(name ${file} NAME)
    if(NOT EXISTS ${file} OR IS_DIRECTORY ${file})
      message(FATAL_ERROR "quorbix_add_page(${target}): ${file} is not a file")
    endif()
    if(name IN_LIST names)
      message(FATAL_ERROR "quorbix_add_page(${target}): two files named ${name}; each lies in /app under its own name")
    endif()
    list(APPEND names ${name})
    _quorbix_pack_option(option ${target} "${file}" "/app/${name}")
    target_link_options(${target} PRIVATE "${option}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${file})
    string(TOLOWER "${name}" lower)
    if(lower MATCHES "\\.(mid|midi)$")
      list(APPEND midis ${file})
    endif()
  endforeach()

  set(music_preload "")
  # The sound font, for a page with music only: cut to what its MIDI files play when the cutter
  # is there (it refuses a cut that would sound otherwise), else the whole font.
  if(midis)
    get_property(cutter GLOBAL PROPERTY QUORBIX_PAGE_SF2_CUT)
    set(font ${data}/sf2/TimGM6mb.sf2)
    if(cutter)
      if(NOT EXISTS ${cutter})
        message(FATAL_ERROR "${cutter} is missing: build the desktop's sf2_cut_tool first (scripts/build-web does)")
      endif()
      set(font ${CMAKE_CURRENT_BINARY_DIR}/sf2/${target}.sf2)
      add_custom_command(OUTPUT ${font}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/sf2
        COMMAND ${cutter} ${data}/sf2/TimGM6mb.sf2 ${font} ${midis}
        DEPENDS ${cutter} ${data}/sf2/TimGM6mb.sf2 ${midis}
        COMMENT "Cutting the sound font to the presets of ${target}'s music" VERBATIM)
      add_custom_target(${target}_sf2 DEPENDS ${font})
      add_dependencies(${target} ${target}_sf2)
    endif()
    _quorbix_pack_option(option ${target} "${font}" /usr/share/sounds/sf2/TimGM6mb.sf2)
    target_link_options(${target} PRIVATE "${option}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${font})
    # The music's library: only a page with music loads it.
    set(QRB_PAGE_MUSIC_SCRIPT "<script async src=\"libfluidsynth.js\"></script>")
    set(QRB_PAGE_MUSIC true)
    # Its module, when it lies beside it, is asked for from the page's head on too.
    get_property(synth_wasm GLOBAL PROPERTY QUORBIX_PAGE_SYNTH_WASM)
    if(synth_wasm)
      set(music_preload "\n<link rel=\"preload\" href=\"libfluidsynth.wasm\" as=\"fetch\" type=\"application/wasm\" crossorigin>")
    endif()
  else()
    set(QRB_PAGE_MUSIC_SCRIPT "")
    set(QRB_PAGE_MUSIC false)
  endif()

  set(display standalone)
  if(arg_DISPLAY)
    set(display ${arg_DISPLAY})
  endif()
  set(scope "./${page}")
  if(arg_SCOPE)
    set(scope ${arg_SCOPE})
    set_property(GLOBAL APPEND PROPERTY QRB_WEB_PAGES "${target}:${page}")
  endif()
  _quorbix_page_manifest(${dir} ${target} "${title}" "${scope}" ${display})
  set(QRB_PAGE_SCOPE "${arg_SCOPE}")
  # The title as the page's text: a '<' or '&' of the game's title is shown, not read as markup.
  string(REPLACE "&" "&amp;" title "${title}")
  string(REPLACE "<" "&lt;" title "${title}")
  string(REPLACE ">" "&gt;" title "${title}")
  set(QRB_PAGE_TITLE "${title}")
  set(QRB_PROGRAM ${target})
  set(QRB_PAGE_ICON "icon.png")
  # The program's code and packed data, fetched from the page's head on (quorbix-page.js takes
  # them over): every page packs its faces, so each has both.
  set(QRB_PAGE_PRELOADS "<link rel=\"preload\" href=\"${target}.wasm\" as=\"fetch\" type=\"application/wasm\" crossorigin data-quorbix=\"wasm\">\n<link rel=\"preload\" href=\"${target}.data\" as=\"fetch\" crossorigin data-quorbix=\"data\">${music_preload}")
  configure_file(${template}/index.html.in ${dir}/${page} @ONLY)
  _quorbix_page_shared_files(${dir})
endfunction()

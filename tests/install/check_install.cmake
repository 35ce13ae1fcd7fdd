# Installs the built program into a prefix of its own and checks what a
# desktop would find there. Run as: cmake -DBUILD_DIR=... -DPREFIX=... -P this
cmake_minimum_required(VERSION 3.21)

function(fail)
  message(FATAL_ERROR "install check: ${ARGN}")
endfunction()

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  fail("cmake --install failed: ${out}")
endif()

# The program, and the command users type.
foreach(f lib/lumeno/lumeno lib/lumeno/readme.txt)
  if(NOT EXISTS "${PREFIX}/${f}")
    fail("${f} is missing")
  endif()
endforeach()
if(NOT IS_SYMLINK "${PREFIX}/bin/lumeno")
  fail("bin/lumeno is not a link")
endif()
file(REAL_PATH "${PREFIX}/bin/lumeno" target)
file(REAL_PATH "${PREFIX}/lib/lumeno/lumeno" program)
if(NOT target STREQUAL program)
  fail("bin/lumeno leads to ${target}, not the program")
endif()
# The installed program answers from the link, without a display.
execute_process(COMMAND "${PREFIX}/bin/lumeno" --version RESULT_VARIABLE rc
                OUTPUT_VARIABLE version ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^Lumeno [0-9]+\\.[0-9]+\n$")
  fail("bin/lumeno --version gave ${rc}: '${version}' ${err}")
endif()

# The desktop entry: started with the addresses it is given, offered for
# web pages and web links.
set(desktop "${PREFIX}/share/applications/lumeno.desktop")
if(NOT EXISTS "${desktop}")
  fail("the desktop entry is missing")
endif()
file(STRINGS "${desktop}" lines)
foreach(expected
    "Exec=lumeno %U"
    "Icon=lumeno"
    "MimeType=text/html;application/xhtml+xml;x-scheme-handler/http;x-scheme-handler/https;")
  list(FIND lines "${expected}" at)
  if(at LESS 0)
    fail("the desktop entry has no line '${expected}'")
  endif()
endforeach()

# Icons: each size where the theme looks for it, and the size it says.
foreach(size 16 22 24 32 48 64 128 256)
  set(png "${PREFIX}/share/icons/hicolor/${size}x${size}/apps/lumeno.png")
  if(NOT EXISTS "${png}")
    fail("no ${size}x${size} icon")
  endif()
  file(READ "${png}" head LIMIT 24 HEX)
  string(SUBSTRING "${head}" 0 16 signature)
  string(SUBSTRING "${head}" 32 8 width)
  string(SUBSTRING "${head}" 40 8 height)
  math(EXPR want "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(REPLACE "0x" "" want "${want}")
  string(LENGTH "${want}" len)
  while(len LESS 8)
    set(want "0${want}")
    string(LENGTH "${want}" len)
  endwhile()
  if(NOT signature STREQUAL "89504e470d0a1a0a" OR NOT width STREQUAL want OR NOT height STREQUAL want)
    fail("${png} is not a ${size}x${size} PNG (${head})")
  endif()
endforeach()
set(svg "${PREFIX}/share/icons/hicolor/scalable/apps/lumeno.svg")
if(NOT EXISTS "${svg}")
  fail("no scalable icon")
endif()
file(READ "${svg}" text)
if(NOT text MATCHES "<svg [^>]*viewBox=\"0 0 32 32\"" OR NOT text MATCHES "</svg>\n$")
  fail("the scalable icon is not a whole SVG picture")
endif()

set(metainfo "${PREFIX}/share/metainfo/example.lumeno.Lumeno.metainfo.xml")
if(NOT EXISTS "${metainfo}")
  fail("the metainfo file is missing")
endif()

# The desktop's own checkers, where they are installed (setup.sh installs them).
find_program(DESKTOP_FILE_VALIDATE desktop-file-validate)
if(DESKTOP_FILE_VALIDATE)
  execute_process(COMMAND "${DESKTOP_FILE_VALIDATE}" "${desktop}" RESULT_VARIABLE rc
                  OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR NOT out STREQUAL "")
    fail("desktop-file-validate: ${out}")
  endif()
  message(STATUS "desktop-file-validate: clean")
else()
  message(STATUS "desktop-file-validate not installed: the desktop entry was not validated")
endif()
find_program(APPSTREAMCLI appstreamcli)
if(APPSTREAMCLI)
  execute_process(COMMAND "${APPSTREAMCLI}" validate --no-net --no-color "${metainfo}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
    fail("appstreamcli validate: ${out}")
  endif()
  # The tree as a whole: metainfo, desktop entry and icons agree.
  execute_process(COMMAND "${APPSTREAMCLI}" validate-tree --no-net --no-color "${PREFIX}"
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0 OR out MATCHES "(^|\n)[EW]: ")
    fail("appstreamcli validate-tree: ${out}")
  endif()
  message(STATUS "appstreamcli: clean")
else()
  message(STATUS "appstreamcli not installed: the metainfo was not validated")
endif()
file(REMOVE_RECURSE "${PREFIX}")

# The installed files' checks, one per CHECK:
#   desktop-entry  desktop-file-validate finds nothing to say
#   metainfo       appstreamcli validate --no-net passes
#   manual-page    groff formats the page without a warning
#   changelog      the Debian change log parses, its newest entry the project's version
#   install        cmake --install into a staging folder (DESTDIR) installs
#                  exactly the expected files, each icon of its folder's size,
#                  and the installed program answers --version with no display
#   install-unbuilt  cmake --install from a build folder that holds the program
#                  but not its manual page fails, naming what is missing, and
#                  installs nothing
# Run as: cmake -DCHECK=... -DSOURCE=<source dir> -DBUILD=<build dir> -DVERSION=<version>
#         -P CheckPackaging.cmake
set(ID example.corvane.Bytelon)
set(LINUX ${SOURCE}/res/linux)

function(run_quietly)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
    message(FATAL_ERROR "${ARGN}\nexit ${status}\n${out}${err}")
  endif()
endfunction()

if(CHECK STREQUAL "desktop-entry")
  run_quietly(desktop-file-validate ${LINUX}/${ID}.desktop)
elseif(CHECK STREQUAL "metainfo")
  execute_process(COMMAND appstreamcli validate --no-net ${LINUX}/${ID}.metainfo.xml
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  message("${out}")
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "appstreamcli validate: exit ${status}")
  endif()
elseif(CHECK STREQUAL "manual-page")
  run_quietly(groff -man -Tutf8 -ww -z ${LINUX}/bytelon.1)
elseif(CHECK STREQUAL "changelog")
  execute_process(COMMAND dpkg-parsechangelog -l ${LINUX}/changelog -S Version
                  RESULT_VARIABLE status OUTPUT_VARIABLE version ERROR_VARIABLE err OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT status EQUAL 0 OR NOT err STREQUAL "" OR NOT version STREQUAL VERSION)
    message(FATAL_ERROR "dpkg-parsechangelog: exit ${status}, version '${version}', expected '${VERSION}'\n${err}")
  endif()
elseif(CHECK STREQUAL "install-unbuilt")
  set(unbuilt ${BUILD}/install-unbuilt)
  set(stage ${unbuilt}-stage)
  file(REMOVE_RECURSE ${unbuilt} ${stage})
  execute_process(COMMAND ${CMAKE_COMMAND} -S ${SOURCE} -B ${unbuilt} -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "configuring ${unbuilt} failed:\n${out}")
  endif()
  # The program built but not the rest, as a build of the program target alone once left it.
  file(WRITE ${unbuilt}/bytelon "")
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
                          ${CMAKE_COMMAND} --install ${unbuilt} --prefix /usr
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  file(GLOB_RECURSE installed LIST_DIRECTORIES false ${stage}/*)
  file(REMOVE_RECURSE ${unbuilt} ${stage})
  # The message comes wrapped at any blank.
  string(REGEX REPLACE "[ \n]+" " " flat "${out}")
  if(status EQUAL 0 OR NOT flat MATCHES "bytelon\\.1\\.gz has not been built" OR NOT installed STREQUAL "")
    message(FATAL_ERROR "cmake --install of an unbuilt folder: exit ${status}\n${out}\ninstalled: ${installed}")
  endif()
elseif(CHECK STREQUAL "install")
  set(stage ${BUILD}/install-check)
  file(REMOVE_RECURSE ${stage})
  execute_process(COMMAND ${CMAKE_COMMAND} -E env DESTDIR=${stage}
                          ${CMAKE_COMMAND} --install ${BUILD} --prefix /usr
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cmake --install failed:\n${out}")
  endif()
  file(GLOB_RECURSE installed LIST_DIRECTORIES false RELATIVE ${stage} ${stage}/*)
  list(SORT installed)
  set(expected
    usr/bin/bytelon
    usr/share/applications/${ID}.desktop
    usr/share/doc/bytelon/changelog.gz
    usr/share/doc/bytelon/copyright
    usr/share/icons/hicolor/128x128/apps/${ID}.png
    usr/share/icons/hicolor/16x16/apps/${ID}.png
    usr/share/icons/hicolor/256x256/apps/${ID}.png
    usr/share/icons/hicolor/32x32/apps/${ID}.png
    usr/share/icons/hicolor/48x48/apps/${ID}.png
    usr/share/icons/hicolor/64x64/apps/${ID}.png
    usr/share/icons/hicolor/scalable/apps/${ID}.svg
    usr/share/man/man1/bytelon.1.gz
    usr/share/metainfo/${ID}.metainfo.xml)
  if(NOT installed STREQUAL expected)
    string(REPLACE ";" "\n  " shown "${installed}")
    message(FATAL_ERROR "installed:\n  ${shown}")
  endif()
  # A PNG's width and height are the 4-byte numbers at offsets 16 and 20.
  foreach(size 16 32 48 64 128 256)
    file(READ ${stage}/usr/share/icons/hicolor/${size}x${size}/apps/${ID}.png header OFFSET 16 LIMIT 8 HEX)
    math(EXPR hex "${size}" OUTPUT_FORMAT HEXADECIMAL)
    string(REPLACE "0x" "" hex "${hex}")
    string(LENGTH "${hex}" length)
    math(EXPR pad "8 - ${length}")
    string(REPEAT "0" ${pad} zeros)
    if(NOT header STREQUAL "${zeros}${hex}${zeros}${hex}")
      message(FATAL_ERROR "the ${size}x${size} icon's header says ${header}")
    endif()
  endforeach()
  file(STRINGS ${stage}/usr/share/applications/${ID}.desktop exec REGEX "^Exec=")
  if(NOT exec STREQUAL "Exec=bytelon %f")
    message(FATAL_ERROR "the desktop entry says ${exec}")
  endif()
  execute_process(COMMAND ${CMAKE_COMMAND} -E env --unset=DISPLAY --unset=WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb
                          ${stage}/usr/bin/bytelon --version
                  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT status EQUAL 0 OR NOT out STREQUAL "BYTELON 2.0\n" OR NOT err STREQUAL "")
    message(FATAL_ERROR "installed bytelon --version: exit ${status}\n${out}${err}")
  endif()
else()
  message(FATAL_ERROR "unknown CHECK ${CHECK}")
endif()

# Installs the project into PREFIX and checks what landed there: the program,
# its pages where the program looks for them, the desktop entry, the metainfo
# and the icons, all under one id, and nothing else (no libraries, headers,
# tests or benchmarks).
# Arguments: BUILD_DIR, PREFIX, APP_ID, BINDIR, DATADIR.

file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install into ${PREFIX} failed:\n${out}")
endif()

set(problems "")
string(REPLACE "." "\\." id "${APP_ID}")

# The program looks for its pages at <its folder>/../share/orbitarium/site.
set(required
    "${BINDIR}/orbitarium"
    "${BINDIR}/../share/orbitarium/site/index.html"
    "${BINDIR}/../share/orbitarium/site/summary of rotation curves of galaxies.htm"
    "${DATADIR}/applications/${APP_ID}.desktop"
    "${DATADIR}/metainfo/${APP_ID}.metainfo.xml"
    "${DATADIR}/icons/hicolor/scalable/apps/${APP_ID}.svg")
foreach(size 16 24 32 48 64 128 256)
  list(APPEND required "${DATADIR}/icons/hicolor/${size}x${size}/apps/${APP_ID}.png")
endforeach()
foreach(f IN LISTS required)
  if(NOT EXISTS "${PREFIX}/${f}")
    string(APPEND problems "  missing: ${f}\n")
  endif()
endforeach()

set(allowed
    "^${BINDIR}/orbitarium$"
    "^${DATADIR}/orbitarium/site/"
    "^${DATADIR}/applications/${id}\\.desktop$"
    "^${DATADIR}/metainfo/${id}\\.metainfo\\.xml$"
    "^${DATADIR}/icons/hicolor/scalable/apps/${id}\\.svg$"
    "^${DATADIR}/icons/hicolor/[0-9]+x[0-9]+/apps/${id}\\.png$")
file(GLOB_RECURSE installed RELATIVE "${PREFIX}" "${PREFIX}/*")
foreach(f IN LISTS installed)
  set(known FALSE)
  foreach(pattern IN LISTS allowed)
    if(f MATCHES "${pattern}")
      set(known TRUE)
    endif()
  endforeach()
  if(NOT known)
    string(APPEND problems "  not expected: ${f}\n")
  endif()
endforeach()

# The desktop entry and the metainfo must name each other and the icon by the
# same id.
set(desktop "${PREFIX}/${DATADIR}/applications/${APP_ID}.desktop")
set(metainfo "${PREFIX}/${DATADIR}/metainfo/${APP_ID}.metainfo.xml")
if(EXISTS "${desktop}" AND EXISTS "${metainfo}")
  file(STRINGS "${desktop}" icon_line REGEX "^Icon=")
  file(STRINGS "${desktop}" exec_line REGEX "^Exec=")
  file(READ "${metainfo}" meta)
  if(NOT icon_line STREQUAL "Icon=${APP_ID}")
    string(APPEND problems "  the desktop entry's icon is '${icon_line}', not Icon=${APP_ID}\n")
  endif()
  if(NOT exec_line STREQUAL "Exec=orbitarium")
    string(APPEND problems "  the desktop entry starts '${exec_line}', not Exec=orbitarium\n")
  endif()
  if(NOT meta MATCHES "<id>${id}</id>")
    string(APPEND problems "  the metainfo's <id> is not ${APP_ID}\n")
  endif()
  if(NOT meta MATCHES "<launchable type=\"desktop-id\">${id}\\.desktop</launchable>")
    string(APPEND problems "  the metainfo does not launch ${APP_ID}.desktop\n")
  endif()
endif()

if(problems)
  message(FATAL_ERROR "The installed tree in ${PREFIX} is not as expected:\n${problems}")
endif()

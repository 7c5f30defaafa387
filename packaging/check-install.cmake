# Installs the build into a fresh PREFIX and checks that the program folder, the command, the
# launcher and the icons are there. Usage: cmake -DBUILD=build -DPREFIX=/tmp/x -P check-install.cmake
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
                RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "cmake --install failed:\n${output}")
endif()
set(expected
  lib/library/library lib/library/book-createdb lib/library/de.ini
  lib/library/help/使用帮助.html lib/library/reports/booklist.json
  bin/library
  share/applications/library.desktop
  share/icons/hicolor/scalable/apps/library.svg
  share/icons/hicolor/48x48/apps/library.png share/icons/hicolor/256x256/apps/library.png)
foreach(f ${expected})
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
# The command runs the program in its folder, where de.ini and the database live.
file(REAL_PATH "${PREFIX}/bin/library" target)
file(REAL_PATH "${PREFIX}/lib/library/library" program)
if(NOT target STREQUAL program)
  message(FATAL_ERROR "bin/library leads to ${target}, not ${program}")
endif()
file(STRINGS "${PREFIX}/share/applications/library.desktop" exec REGEX "^Exec=")
if(NOT exec STREQUAL "Exec=library")
  message(FATAL_ERROR "the launcher runs '${exec}'")
endif()
# A second install keeps the library's own de.ini.
file(APPEND "${PREFIX}/lib/library/de.ini" "ServerName=kept\n")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}" OUTPUT_QUIET RESULT_VARIABLE result)
file(READ "${PREFIX}/lib/library/de.ini" ini)
if(NOT result EQUAL 0 OR NOT ini MATCHES "ServerName=kept")
  message(FATAL_ERROR "a second install replaced de.ini")
endif()
find_program(VALIDATE desktop-file-validate)
if(VALIDATE)
  execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/library.desktop"
                  RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
  if(NOT result EQUAL 0 OR output MATCHES "error")
    message(FATAL_ERROR "desktop-file-validate: ${output}")
  endif()
endif()
message(STATUS "installed and checked in ${PREFIX}")

# The Windows programs' resources: the icon (assets/package-viewer.ico, made
# by scripts/generate-icons) and the version details Explorer shows, compiled
# by mingw-w64's windres into the program.

# windows_file_version(VERSION OUT): the four numbers of a Windows fixed
# version (FILEVERSION, PRODUCTVERSION), comma-separated, for the release
# name VERSION. Releases are named MAJOR.MINOR with an optional lower-case
# letter for each release between two minor versions (0.2, 0.2a, 0.2b, ...,
# 0.3). The numbers are MAJOR, MINOR, the letter's place in the alphabet
# (none = 0, a = 1, ..., z = 26) and 0:
#   0.2 -> 0.2.0.0   0.2a -> 0.2.1.0   0.2b -> 0.2.2.0   0.3 -> 0.3.0.0
# so a later release always has greater numbers. Any other form of name is
# refused, so that a release can never get numbers out of order unnoticed.
function(windows_file_version version out)
  if(NOT version MATCHES "^([0-9]+)\\.([0-9]+)([a-z]?)$")
    message(FATAL_ERROR "version \"${version}\" is not MAJOR.MINOR with an optional letter a-z")
  endif()
  set(major ${CMAKE_MATCH_1})
  set(minor ${CMAKE_MATCH_2})
  set(letter 0)
  if(CMAKE_MATCH_3)
    string(FIND "abcdefghijklmnopqrstuvwxyz" "${CMAKE_MATCH_3}" letter)
    math(EXPR letter "${letter} + 1")
  endif()
  # Each number is 16 bits wide in the resource.
  foreach(number ${major} ${minor})
    if(number GREATER 65535)
      message(FATAL_ERROR "version \"${version}\": ${number} does not fit a Windows version number")
    endif()
  endforeach()
  # Leading zeros would read as the same number ("0.02" as "0.2").
  math(EXPR major "${major}")
  math(EXPR minor "${minor}")
  set(${out} "${major},${minor},${letter},0" PARENT_SCOPE)
endfunction()

# add_windows_resources(TARGET DESCRIPTION): gives the program TARGET the
# icon and version details, DESCRIPTION being what Explorer shows as the
# file's description.
function(add_windows_resources target description)
  windows_file_version("${VIEWER_VERSION}" VIEWER_FILE_VERSION)
  set(VIEWER_PROGRAM_NAME ${target})
  set(VIEWER_PROGRAM_DESCRIPTION "${description}")
  set(VIEWER_ICON_FILE ${PROJECT_SOURCE_DIR}/assets/package-viewer.ico)
  set(rc ${CMAKE_BINARY_DIR}/generated/win32/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/src/platform/win32/program.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # windres reads the icon file; the build must know it does.
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS ${VIEWER_ICON_FILE})
endfunction()

# The installer (packaging/windows, built by scripts/release-windows) takes
# the same version and numbers from the build folder.
if(WIN32)
  windows_file_version("${VIEWER_VERSION}" numbers)
  string(REPLACE "," "." numbers "${numbers}")
  file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/win32/version.nsh
    CONTENT "!define VIEWER_VERSION \"${VIEWER_VERSION}\"\n!define VIEWER_FILE_VERSION \"${numbers}\"\n")
endif()

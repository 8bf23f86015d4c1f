# windows_file_version (cmake/windows-resources.cmake): the four numbers of
# release names, later releases always greater, other names refused.
#   cmake -P file_version_test.cmake
if(DEFINED REFUSE)
  include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/windows-resources.cmake)
  windows_file_version("${REFUSE}" numbers)
  message("accepted \"${REFUSE}\" as ${numbers}")
  return()
endif()
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/windows-resources.cmake)

set(failures 0)
# Releases in the order they come out, each with its numbers.
set(releases
  "0.1=0,1,0,0" "0.2=0,2,0,0" "0.2a=0,2,1,0" "0.2b=0,2,2,0" "0.2z=0,2,26,0"
  "0.3=0,3,0,0" "0.10=0,10,0,0" "0.10a=0,10,1,0" "1.0=1,0,0,0" "12.34c=12,34,3,0")
set(previous "")
foreach(release ${releases})
  string(REPLACE "=" ";" pair "${release}")
  list(GET pair 0 name)
  list(GET pair 1 expected)
  windows_file_version("${name}" numbers)
  if(NOT numbers STREQUAL expected)
    message(SEND_ERROR "${name} gives ${numbers}, not ${expected}")
  endif()
  string(REPLACE "," "." dotted "${numbers}")
  if(previous AND NOT dotted VERSION_GREATER previous)
    message(SEND_ERROR "${name} (${dotted}) is not greater than the release before it (${previous})")
  endif()
  set(previous ${dotted})
endforeach()

foreach(name "0.2A" "0.2ab" "0.2.1" "v0.2" "0.2-rc1" "0" "" "70000.1")
  execute_process(COMMAND ${CMAKE_COMMAND} "-DREFUSE=${name}" -P ${CMAKE_CURRENT_LIST_FILE}
    RESULT_VARIABLE status OUTPUT_QUIET ERROR_VARIABLE said)
  if(status EQUAL 0)
    message(SEND_ERROR "\"${name}\" was not refused: ${said}")
  endif()
endforeach()

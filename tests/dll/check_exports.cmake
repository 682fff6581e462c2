# Compares the names a built library exports with those the public header
# declares: neither may have a name the other lacks. Every defined dynamic
# symbol counts, whatever its kind (weak and data symbols too).
#   cmake -DHEADER=... -DLIB=... -DTOOL=nm|objdump -P check_exports.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/header_exports.cmake)
oz_header_exports(${HEADER} declared)

if(TOOL MATCHES "objdump")
  execute_process(COMMAND ${TOOL} -p ${LIB} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  # The names stand under "[Ordinal/Name Pointer] Table" as "\t[   0] name".
  string(FIND "${out}" "[Ordinal/Name Pointer] Table" at)
  set(exported)
  if(at GREATER -1)
    string(SUBSTRING "${out}" ${at} -1 table)
    string(REGEX MATCH "^[^\n]*\n([^\n]+\n)*" table "${table}")
    string(REGEX MATCHALL "\\[[ 0-9]+\\] [A-Za-z0-9_]+" rows "${table}")
    foreach(r ${rows})
      string(REGEX REPLACE "^\\[[ 0-9]+\\] " "" n "${r}")
      list(APPEND exported ${n})
    endforeach()
  endif()
else()
  execute_process(COMMAND ${TOOL} -D --defined-only ${LIB} OUTPUT_VARIABLE out RESULT_VARIABLE rc)
  # "address kind name" (mangled names kept as they are); an absolute
  # version-node symbol has no address worth naming but is counted too.
  string(REPLACE "\n" ";" rows "${out}")
  set(exported)
  foreach(r ${rows})
    if(r MATCHES "^[0-9a-fA-F]* *[A-Za-z] +([^ ]+)$")
      list(APPEND exported ${CMAKE_MATCH_1})
    endif()
  endforeach()
endif()
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "${TOOL} failed on ${LIB}")
endif()
list(SORT exported)
list(REMOVE_DUPLICATES exported)

set(extra ${exported})
list(REMOVE_ITEM extra ${declared})
set(missing ${declared})
list(REMOVE_ITEM missing ${exported})
list(LENGTH declared nd)
if(extra OR missing)
  message(FATAL_ERROR "exported but not declared: ${extra}\ndeclared but not exported: ${missing}")
endif()
message(STATUS "${nd} exports match the header")

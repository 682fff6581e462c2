# Writes the linker's export lists from the public header: a version script
# for the shared object (everything not named is local, the C++ runtime's
# weak template symbols included) and a module-definition file for the DLL.
#   cmake -DHEADER=... -DMAP=... -DDEF=... -P exports.cmake
include(${CMAKE_CURRENT_LIST_DIR}/header_exports.cmake)
oz_header_exports(${HEADER} names)

set(map "{\n  global:\n")
set(def "LIBRARY ozlib.dll\nEXPORTS\n")
foreach(n ${names})
  string(APPEND map "    ${n};\n")
  string(APPEND def "  ${n}\n")
endforeach()
string(APPEND map "  local:\n    *;\n};\n")

# Rewritten only when the list changed, so an unrelated edit of the header
# does not relink the library.
foreach(pair "MAP;map" "DEF;def")
  list(GET pair 0 var)
  list(GET pair 1 content)
  set(old "")
  if(EXISTS ${${var}})
    file(READ ${${var}} old)
  endif()
  if(NOT old STREQUAL "${${content}}")
    file(WRITE ${${var}} "${${content}}")
  endif()
endforeach()

# The names the public header declares with OZ_API ... OZ_CALL: the library's
# exports, and nothing else. Shared by the export lists the linker gets and by
# the test that reads them back out of the built library.
function(oz_header_exports header out_var)
  file(READ ${header} text)
  string(REGEX MATCHALL "OZ_API[^;(]*OZ_CALL[ \t\n]+[A-Za-z0-9_]+" decls "${text}")
  set(names)
  foreach(d ${decls})
    string(REGEX REPLACE ".*OZ_CALL[ \t\n]+" "" n "${d}")
    list(APPEND names ${n})
  endforeach()
  list(SORT names)
  list(REMOVE_DUPLICATES names)
  set(${out_var} ${names} PARENT_SCOPE)
endfunction()

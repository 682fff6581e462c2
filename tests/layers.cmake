# Fails when a source file includes a layer above its own. The library's
# layers, bottom up: platform (the OS seam), base (leaves: errors, log,
# profile reader, big-endian helpers, the protocol's numbers and encodings),
# transport (wire format, sockets, circuits), core (handles, exchange, call
# frame), api (the exports). The simulated controller stands beside transport:
# it may use what lies below it, never core or api. The tools see only the
# public header and the simulator.
#   cmake -DROOT=<source dir> -P layers.cmake
set(rank_platform 0)
set(rank_base 1)
set(rank_transport 2)
set(rank_sim 2)
set(rank_core 3)
set(rank_api 4)

set(problems "")
foreach(top platform base transport core api sim tools include)
  file(GLOB_RECURSE files RELATIVE ${ROOT} ${ROOT}/${top}/*.h ${ROOT}/${top}/*.cpp ${ROOT}/${top}/*.c)
  foreach(f ${files})
    file(STRINGS ${ROOT}/${f} lines REGEX "^[ \t]*#[ \t]*include[ \t]+\"")
    foreach(line ${lines})
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]+\"([^\"]+)\".*" "\\1" inc "${line}")
      if(NOT inc MATCHES "/")
        continue()   # a header beside the file, or the public header
      endif()
      string(REGEX REPLACE "/.*" "" target "${inc}")
      if(top STREQUAL "tools" OR top STREQUAL "include")
        if(NOT (top STREQUAL "tools" AND target STREQUAL "sim"))
          list(APPEND problems "${f}: includes ${inc} (only ozlib.h and sim/ are allowed here)")
        endif()
        continue()
      endif()
      if(NOT DEFINED rank_${target})
        list(APPEND problems "${f}: includes ${inc} from outside the library's layers")
        continue()
      endif()
      if(target STREQUAL "sim" AND NOT top STREQUAL "sim")
        list(APPEND problems "${f}: the library must not include the simulator (${inc})")
      elseif(top STREQUAL "sim" AND rank_${target} GREATER rank_sim)
        list(APPEND problems "${f}: the simulator must not include ${inc}")
      elseif(rank_${target} GREATER rank_${top})
        list(APPEND problems "${f}: includes ${inc}, a layer above its own")
      endif()
    endforeach()
  endforeach()
endforeach()

if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "upward includes:\n${text}")
endif()
message(STATUS "layers: no upward include")

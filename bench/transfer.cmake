# The transfer benchmark: a plain timer program, not a test. Included from
# bench/CMakeLists.txt; a glob there that already made the target wins.
if(NOT TARGET transfer_bench)
  add_executable(transfer_bench ${CMAKE_CURRENT_LIST_DIR}/transfer_bench.cpp
                 $<TARGET_OBJECTS:ozlib_objects> $<TARGET_OBJECTS:ozsim_core>)
  target_include_directories(transfer_bench PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/include)
  target_compile_definitions(transfer_bench PRIVATE OZLIB_BUILD OZLIB_STATIC)
  target_link_libraries(transfer_bench PRIVATE oz_platform)
endif()

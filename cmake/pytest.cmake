# OZ_PYTEST: a Python interpreter that has pytest (Debian's python3 and
# python3-pytest, which scripts/deps.sh installs), or empty.
if(NOT DEFINED OZ_PYTEST)
  set(OZ_PYTEST "" CACHE INTERNAL "")
  foreach(candidate /usr/bin/python3 python3)
    execute_process(COMMAND ${candidate} -c "import pytest" RESULT_VARIABLE r OUTPUT_QUIET ERROR_QUIET)
    if(r EQUAL 0)
      set(OZ_PYTEST ${candidate} CACHE INTERNAL "")
      break()
    endif()
  endforeach()
endif()

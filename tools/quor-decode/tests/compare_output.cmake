# Runs DECODER with ARGS on INPUT and compares its output with EXPECTED.
execute_process(COMMAND ${DECODER} ${ARGS} ${INPUT}
  OUTPUT_VARIABLE actual RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "quor-decode exited with ${status}")
endif()
file(READ ${EXPECTED} expected)
if(NOT actual STREQUAL expected)
  get_filename_component(name ${EXPECTED} NAME_WE)
  set(saved ${CMAKE_CURRENT_BINARY_DIR}/${name}.actual)
  file(WRITE ${saved} "${actual}")
  message(FATAL_ERROR "output differs from ${EXPECTED}; actual output in ${saved}")
endif()

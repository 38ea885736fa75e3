# run(OUT command...): the command's standard output in OUT; a failing command stops the check
# with its error output. Shared by the module shape checks.
function(run out)
  execute_process(COMMAND ${ARGN} OUTPUT_VARIABLE output ERROR_VARIABLE error
                  RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed: ${error}")
  endif()
  set(${out} "${output}" PARENT_SCOPE)
endfunction()

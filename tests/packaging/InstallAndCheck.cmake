# cmake -P: a fresh `cmake --install` into ROOT, then check-install.sh on it.
file(REMOVE_RECURSE ${ROOT})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BINARY_DIR} --prefix ${ROOT}
    RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${rc})")
endif()
execute_process(COMMAND ${CHECK} --tree ${ROOT} RESULT_VARIABLE rc)
file(REMOVE_RECURSE ${ROOT})
if(NOT rc EQUAL 0)
    message(FATAL_ERROR "install checks failed")
endif()

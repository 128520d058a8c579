# Run by CPack on the new zip, before its checksum is taken: entry times,
# order and owners made independent of when, where and by whom it was built.
find_program(STRIP_NONDETERMINISM strip-nondeterminism)
if(NOT STRIP_NONDETERMINISM)
    message(WARNING "strip-nondeterminism not found: the zip keeps its build times")
    return()
endif()
foreach(zip IN LISTS CPACK_PACKAGE_FILES)
    execute_process(COMMAND ${STRIP_NONDETERMINISM} --type zip ${zip} COMMAND_ERROR_IS_FATAL ANY)
endforeach()

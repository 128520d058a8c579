# Checks the release zip: both programs and the two usage texts, nothing else.
# cmake -DZIP=<file> -P check_package.cmake
execute_process(COMMAND ${CMAKE_COMMAND} -E tar tf ${ZIP}
                OUTPUT_VARIABLE listing RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read ${ZIP}")
endif()
string(REPLACE "\n" ";" entries "${listing}")
list(REMOVE_ITEM entries "")
list(SORT entries)
set(expected LEEME.txt README.txt countdown.exe setdate.exe)
if(NOT entries STREQUAL expected)
    message(FATAL_ERROR "zip holds '${entries}', expected '${expected}'")
endif()

# The about box's build date, as the compiler's __DATE__ would write it.
#   cmake -P build_date_test.cmake
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/build-date.cmake)
foreach(case "1399852800=May 12 2014" "1796083200=Dec  1 2026" "951782400=Feb 29 2000"
        "1704067199=Dec 31 2023")
    string(REPLACE "=" ";" parts "${case}")
    list(GET parts 0 epoch)
    list(GET parts 1 expected)
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
    velvane_date_text(date)
    if(NOT date STREQUAL expected)
        message(SEND_ERROR "epoch ${epoch}: '${date}', expected '${expected}'")
    endif()
endforeach()

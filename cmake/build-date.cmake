# The build's date as the compiler's __DATE__ writes it ("Mmm dd yyyy", the
# day padded with a space): the date (UTC) of SOURCE_DATE_EPOCH when set, else
# of the commit the tree is built from, so that every build of one commit
# says the same; today's without a repository.
#   cmake -DSOURCE_DIR=tree -DOUTPUT=header -P build-date.cmake
# writes `#define VELVANE_BUILD_DATE "..."` to OUTPUT when that changes it.

set(VELVANE_MONTHS Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)

# The date of the epoch in ENV{SOURCE_DATE_EPOCH} (now when unset) into out.
function(velvane_date_text out)
    string(TIMESTAMP date "%m;%d;%Y" UTC)  # one reading of the clock
    list(GET date 0 month)
    list(GET date 1 day)
    list(GET date 2 year)
    math(EXPR index "${month} - 1")
    list(GET VELVANE_MONTHS ${index} name)
    string(REGEX REPLACE "^0" " " day "${day}")
    set(${out} "${name} ${day} ${year}" PARENT_SCOPE)
endfunction()

if(DEFINED OUTPUT)
    if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
        execute_process(COMMAND git log -1 --format=%ct
            WORKING_DIRECTORY "${SOURCE_DIR}"
            OUTPUT_VARIABLE commit_time OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_result ERROR_QUIET)
        if(git_result EQUAL 0 AND commit_time MATCHES "^[0-9]+$")
            set(ENV{SOURCE_DATE_EPOCH} "${commit_time}")
        endif()
    endif()
    velvane_date_text(date)
    set(content "#pragma once\n// Written by cmake/build-date.cmake.\n#define VELVANE_BUILD_DATE \"${date}\"\n")
    set(old "")
    if(EXISTS "${OUTPUT}")
        file(READ "${OUTPUT}" old)
    endif()
    if(NOT old STREQUAL content)
        file(WRITE "${OUTPUT}" "${content}")
    endif()
endif()

# Fails the build when a front end (src/gui, src/cli) holds SQL text: the front ends reach the data
# through the core's operations, and statements live in src/store. Run as a script:
#   cmake -DSOURCE_DIR=<src> -P NoSqlInFrontEnds.cmake
file(GLOB_RECURSE sources ${SOURCE_DIR}/gui/*.cpp ${SOURCE_DIR}/gui/*.h ${SOURCE_DIR}/cli/*.cpp ${SOURCE_DIR}/cli/*.h)
# A statement's start inside a string literal.
set(statement "\"[^\"\n]*(select [^\"\n]*from |insert into |update [a-z_]+ set |delete from |begin immediate|pragma )")
set(report "")
foreach(source IN LISTS sources)
    file(READ ${source} text)
    string(TOLOWER "${text}" text)
    string(REGEX MATCHALL "${statement}" hits "${text}")
    foreach(hit IN LISTS hits)
        string(APPEND report "${source}: ${hit}\n")
    endforeach()
endforeach()
if(NOT report STREQUAL "")
    message(FATAL_ERROR "SQL text in a front end; move it into a core operation and its statement into src/store:\n${report}")
endif()

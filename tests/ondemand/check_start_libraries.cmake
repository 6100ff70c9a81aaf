# wendar starts without the libraries it opens on demand, and its stand-ins for their functions stay
# its own: a library opened later must find its own functions, not wendar's.
#   cmake -DWENDAR=path/to/wendar -P check_start_libraries.cmake
execute_process(COMMAND readelf --dynamic --wide ${WENDAR} OUTPUT_VARIABLE dynamic RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "readelf could not read ${WENDAR}")
endif()
foreach(library libcurl libsndfile libpulse libodbc libssl libcrypto)
    if(dynamic MATCHES "NEEDED[^\n]*\\[${library}[.-]")
        message(FATAL_ERROR "wendar loads ${library} at start")
    endif()
endforeach()
execute_process(COMMAND nm --dynamic --defined-only ${WENDAR} OUTPUT_VARIABLE exported RESULT_VARIABLE status)
if(exported MATCHES " (curl_|sf_|pa_|SQL|SSL_|X509_|ERR_|EVP_|TLS_)[A-Za-z0-9_]+")
    message(FATAL_ERROR "wendar exports a stand-in: ${CMAKE_MATCH_0}")
endif()
message(STATUS "wendar starts without libcurl, libsndfile, libpulse, libodbc and OpenSSL")

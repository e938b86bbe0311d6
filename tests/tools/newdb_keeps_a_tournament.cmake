# velmora-newdb writes an encrypted file, and never replaces an existing one: a build runs it
# beside a tournament in progress.
#   cmake -DTOOL=<velmora-newdb> -DDIR=<scratch folder> -P newdb_keeps_a_tournament.cmake
file(REMOVE_RECURSE "${DIR}")
file(MAKE_DIRECTORY "${DIR}")
set(db "${DIR}/Velmora.dat")

execute_process(COMMAND "${TOOL}" "${db}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0 OR NOT EXISTS "${db}")
    message(FATAL_ERROR "no file written (${rc})")
endif()
file(READ "${db}" head LIMIT 15)
if(head STREQUAL "SQLite format 3")
    message(FATAL_ERROR "the file is not encrypted")
endif()

file(SHA256 "${db}" before)
execute_process(COMMAND "${TOOL}" --if-missing "${db}" RESULT_VARIABLE rc)
file(SHA256 "${db}" after)
if(NOT rc EQUAL 0 OR NOT before STREQUAL after)
    message(FATAL_ERROR "--if-missing changed an existing file (${rc})")
endif()

execute_process(COMMAND "${TOOL}" "${db}" RESULT_VARIABLE rc ERROR_QUIET)
file(SHA256 "${db}" after)
if(rc EQUAL 0 OR NOT before STREQUAL after)
    message(FATAL_ERROR "an existing file was written over (${rc})")
endif()
file(REMOVE_RECURSE "${DIR}")

# Compiles one Qt Linguist file into the .qm the window loads, and fails when
# a message in it is left unfinished or untranslated: every word the window
# says has its translation.
#   cmake -DLRELEASE=... -DTS=hexpane_LANG.ts -DQM=hexpane_LANG.qm -P compile_translation.cmake
execute_process(COMMAND "${LRELEASE}" "${TS}" -qm "${QM}"
    OUTPUT_VARIABLE said ERROR_VARIABLE said RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "lrelease failed on ${TS}:\n${said}")
endif()
if(NOT said MATCHES "Generated [0-9]+ translation\\(s\\) \\([0-9]+ finished and 0 unfinished\\)" OR
   said MATCHES "untranslated")
    file(REMOVE "${QM}")
    message(FATAL_ERROR "${TS} is not complete:\n${said}")
endif()

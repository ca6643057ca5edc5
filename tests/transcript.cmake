# Runs the scenario program as a separate process and compares its whole output with the
# scenario's transcript. Addresses vary from run to run, so each "@" below stands for one
# printed pointer value; every other byte must match exactly.
#   cmake -DPROGRAM=<path> [-DEMULATOR=<runner>] [-DWINDOWS_TARGET=ON] -P transcript.cmake

set(expected "\n\n@0\n@0\nDEBUG::Updating...Message received... asshole.\nReceiver:0\nMessage:p\n@\n@\nFinished a quad tree iteration.")

execute_process(COMMAND ${EMULATOR} ${PROGRAM} ignored arguments
    OUTPUT_VARIABLE actual
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    TIMEOUT 120)

if(NOT status EQUAL 0)
    message(FATAL_ERROR "exit status ${status}, expected 0\n${errors}")
endif()

# The Windows runtime writes standard output in text mode, turning each "\n" into "\r\n".
if(WINDOWS_TARGET)
    string(REPLACE "\r\n" "\n" actual "${actual}")
endif()

# A pointer as the trace prints it: "0x" and lower-case hex digits. A handler address that
# happens to end in 0 could hide a missing identifier after it; the handler's own tests check
# that identifier exactly.
set(address "0x[0-9a-f]+")
string(REGEX REPLACE "([][.*+?()|^$\\\\])" "\\\\\\1" pattern "${expected}")
string(REPLACE "@" "${address}" pattern "${pattern}")

string(REGEX MATCH "^${pattern}$" matched "${actual}")
if(NOT matched STREQUAL actual)
    message(FATAL_ERROR "transcript differs\n--- expected (@ = address) ---\n${expected}\n"
                        "--- actual ---\n${actual}\n--- end ---")
endif()
message(STATUS "transcript matches")

# Runs a program as a separate process and compares its whole output with the scenario's
# transcript, or with EXPECTED, where each "\n" written as two characters stands for a line
# end. Addresses vary from run to run, so each "@" stands for one printed pointer value; every
# other byte must match exactly.
#   cmake -DPROGRAM=<path> [-DEXPECTED=<text>] [-DEMULATOR=<runner>] [-DWINDOWS_TARGET=ON]
#         -P transcript.cmake

if(DEFINED EXPECTED)
    string(REPLACE "\\n" "\n" expected "${EXPECTED}")
else()
    set(expected "\n\n@0\n@0\nDEBUG::Updating...Message received... asshole.\nReceiver:0\nMessage:p\n@\n@\nFinished a quad tree iteration.")
endif()

# Through a file beside the program, read back byte by byte: an output variable, or the file
# read as text, would lose each "\r" of a "\r\n" (and a variable each NUL byte).
set(output_file ${PROGRAM}.transcript)
execute_process(COMMAND ${EMULATOR} ${PROGRAM} ignored arguments
    OUTPUT_FILE ${output_file}
    ERROR_VARIABLE errors
    RESULT_VARIABLE status
    TIMEOUT 120)

if(NOT status EQUAL 0)
    message(FATAL_ERROR "exit status ${status}, expected 0\n${errors}")
endif()
file(READ ${output_file} hex HEX)
string(REGEX MATCHALL ".." bytes "${hex}")
list(FIND bytes 00 nul)
if(nul GREATER_EQUAL 0)
    message(FATAL_ERROR "the output holds a NUL byte, at offset ${nul}")
endif()
set(actual "")
foreach(byte IN LISTS bytes)
    math(EXPR code "0x${byte}")
    string(ASCII ${code} character)
    string(APPEND actual "${character}")
endforeach()

# The Windows runtime writes standard output in text mode: there every line ends in "\r\n",
# and a bare "\n" is a difference like any other.
if(WINDOWS_TARGET)
    string(REPLACE "\n" "\r\n" expected "${expected}")
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
message(STATUS "output matches")

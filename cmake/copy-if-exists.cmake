# Copies FILE into DIR where FILE exists, and does nothing where it does not.
#   cmake -DFILE=<file> -DDIR=<folder> -P copy-if-exists.cmake
if(EXISTS "${FILE}")
    file(COPY "${FILE}" DESTINATION "${DIR}")
endif()

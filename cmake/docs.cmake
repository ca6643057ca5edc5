# `docs`: the API reference of the public headers as HTML in <build>/docs/html; any Doxygen
# warning fails the target.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    return()
endif()
set(DOXYGEN_PROJECT_NAME "Engine core")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/docs)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/README.md)
set(DOXYGEN_EXTRACT_ALL YES)
set(DOXYGEN_GENERATE_LATEX NO)
set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
set(DOXYGEN_QUIET YES)
set(DOXYGEN_STRIP_FROM_PATH ${PROJECT_SOURCE_DIR})
file(GLOB engine_public_headers ${PROJECT_SOURCE_DIR}/engine/*.h)
doxygen_add_docs(docs ${engine_public_headers} ${PROJECT_SOURCE_DIR}/README.md
    COMMENT "API reference in ${CMAKE_CURRENT_BINARY_DIR}/docs/html")

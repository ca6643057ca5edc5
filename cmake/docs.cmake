# `docs`: the API reference of the public headers as HTML in <build>/docs/html. Only what has a
# comment goes in, and every public name must have one: Doxygen warns about any that lacks it,
# and with ENGINE_WERROR, as for the compilers, any warning fails the target. Where the engine
# is installed, the reference is built with everything else and installed beside the README;
# without Doxygen there is none, and the rest builds and installs as before.
find_package(Doxygen QUIET)
if(NOT DOXYGEN_FOUND)
    message(STATUS "Doxygen not found: no API reference is built or installed")
    return()
endif()
set(DOXYGEN_PROJECT_NAME "Engine core")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/docs)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/README.md)
set(DOXYGEN_EXTRACT_ALL NO)
set(DOXYGEN_WARN_IF_UNDOCUMENTED YES)
# A function's comment names its parameters where they need it; a list of its own for each
# would mostly repeat their names.
set(DOXYGEN_WARN_NO_PARAMDOC NO)
# The first sentence of a comment is the summary in the member lists.
set(DOXYGEN_JAVADOC_AUTOBRIEF YES)
# A dozen headers need no search box; without it the reference is a third of the files.
set(DOXYGEN_SEARCHENGINE NO)
set(DOXYGEN_GENERATE_LATEX NO)
if(ENGINE_WERROR)
    set(DOXYGEN_WARN_AS_ERROR FAIL_ON_WARNINGS)
else()
    set(DOXYGEN_WARN_AS_ERROR NO)
endif()
set(DOXYGEN_QUIET YES)
set(DOXYGEN_STRIP_FROM_PATH ${PROJECT_SOURCE_DIR})
file(GLOB engine_public_headers ${PROJECT_SOURCE_DIR}/engine/*.h)
if(ENGINE_INSTALL)
    set(docs_in_all ALL)
endif()
# The stamp runs Doxygen again only when a header, the README or this configuration changes.
doxygen_add_docs(docs ${engine_public_headers} ${PROJECT_SOURCE_DIR}/README.md ${docs_in_all}
    USE_STAMP_FILE COMMENT "API reference in ${CMAKE_CURRENT_BINARY_DIR}/docs/html")
# Optional, so that a build of some targets only (the program's preset) still installs.
if(ENGINE_INSTALL)
    install(DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/docs/html DESTINATION ${CMAKE_INSTALL_DOCDIR}
        OPTIONAL)
endif()

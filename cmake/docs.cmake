# `docs`: one HTML site in <build>/docs/html: the manual (docs/index.md its main page, the other
# pages of docs/, the README and the other Markdown files of the top folder) with its pictures,
# and the API reference of the public headers.
# Only what has a comment goes in, and every public name must have one: Doxygen warns about any
# that lacks it, and about a link to a page or a part of one that does not exist; with
# ENGINE_WERROR, as for the compilers, any warning fails the target. Where the engine is
# installed, the site is built with everything else and installed beside the README; without
# Doxygen (or the Python that hands it the pages) there is none, and the rest builds and
# installs as before.
find_package(Doxygen QUIET)
find_package(Python3 QUIET COMPONENTS Interpreter)
if(NOT DOXYGEN_FOUND OR NOT Python3_Interpreter_FOUND)
    message(STATUS "Doxygen or Python 3 not found: no manual or API reference is built or "
                   "installed")
    return()
endif()
set(DOXYGEN_PROJECT_NAME "Engine core")
set(DOXYGEN_PROJECT_NUMBER ${PROJECT_VERSION})
set(DOXYGEN_OUTPUT_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/docs)
set(DOXYGEN_USE_MDFILE_AS_MAINPAGE ${PROJECT_SOURCE_DIR}/docs/index.md)
# Every Markdown file of the top folder (the README, the change log, the benchmarks' figures)
# and of docs/ is a page of the site. LICENSE, not Markdown, is copied in beside them, and a
# link to it from a page is made a link to that copy.
file(GLOB manual_pages CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/*.md ${PROJECT_SOURCE_DIR}/docs/*.md)
set(site_files ${PROJECT_SOURCE_DIR}/LICENSE)
file(GLOB manual_pictures CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/docs/*.png
     ${PROJECT_SOURCE_DIR}/docs/images/*)
# Doxygen copies each picture a page shows into the site's one folder, by its file name.
set(DOXYGEN_IMAGE_PATH ${PROJECT_SOURCE_DIR}/docs)
if(manual_pictures MATCHES "/docs/images/")
    list(APPEND DOXYGEN_IMAGE_PATH ${PROJECT_SOURCE_DIR}/docs/images)
endif()
# Headings get the anchors that GitHub gives them, so links to parts of pages work in both.
# Doxygen hands the filter's line to the shell, from the top folder (the working directory
# below): its files are named from there, as the folder's own path may hold a space.
set(manual_filter ${PROJECT_SOURCE_DIR}/scripts/lib/manual.py)
set(DOXYGEN_FILTER_PATTERNS "*.md=${Python3_EXECUTABLE} scripts/lib/manual.py filter LICENSE")
set(DOXYGEN_EXTRACT_ALL NO)
# A header's _detail namespace holds what its templates are compiled from, not what a game calls.
set(DOXYGEN_EXCLUDE_SYMBOLS "*_detail")
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
# The stamp runs Doxygen again only when a header, a page, a picture or this configuration
# changes.
doxygen_add_docs(docs ${engine_public_headers} ${manual_pages} ${docs_in_all} USE_STAMP_FILE
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "Manual and API reference in ${CMAKE_CURRENT_BINARY_DIR}/docs/html")
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/docs.stamp APPEND
    COMMAND ${CMAKE_COMMAND} -E copy ${site_files} ${CMAKE_CURRENT_BINARY_DIR}/docs/html
    DEPENDS ${manual_pictures} ${manual_filter} ${site_files})
# The demo's page joins the site, where the web page of the manual links to it: by default the
# page kept in the source tree, which check-web holds to the page that the web build makes.
set(ENGINE_DEMO_PAGE ${PROJECT_SOURCE_DIR}/docs/demo.html CACHE FILEPATH
    "The demo's page, copied into the site as demo.html")
if(NOT EXISTS ${ENGINE_DEMO_PAGE})
    message(FATAL_ERROR "ENGINE_DEMO_PAGE: no demo page at ${ENGINE_DEMO_PAGE}")
endif()
add_custom_command(TARGET docs POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ENGINE_DEMO_PAGE}
            ${CMAKE_CURRENT_BINARY_DIR}/docs/html/demo.html)
# Optional, so that a build of some targets only (the program's preset) still installs.
if(ENGINE_INSTALL)
    install(DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/docs/html DESTINATION ${CMAKE_INSTALL_DOCDIR}
        OPTIONAL)
endif()

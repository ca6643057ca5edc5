# Install rules, the CMake package (find_package(EngineCore)) and the release archives.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(ENGINE_PACKAGE_DIR ${CMAKE_INSTALL_LIBDIR}/cmake/EngineCore)

# The render shell is installed only with the real platform; the stand-in never is.
set(engine_libraries enginecore_core)
if(WIN32)
    list(APPEND engine_libraries enginecore_rendershell)
endif()
install(TARGETS ${engine_libraries} EXPORT EngineCoreTargets
    ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR}
    FILE_SET HEADERS DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
install(EXPORT EngineCoreTargets NAMESPACE EngineCore:: DESTINATION ${ENGINE_PACKAGE_DIR})

configure_package_config_file(cmake/EngineCoreConfig.cmake.in
    ${CMAKE_CURRENT_BINARY_DIR}/EngineCoreConfig.cmake INSTALL_DESTINATION ${ENGINE_PACKAGE_DIR})
# Checks the pointer size too, so a 64-bit consumer cannot take the 32-bit Windows package.
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/EngineCoreConfigVersion.cmake
    COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/EngineCoreConfig.cmake
              ${CMAKE_CURRENT_BINARY_DIR}/EngineCoreConfigVersion.cmake
        DESTINATION ${ENGINE_PACKAGE_DIR})

# pkg-config files, for games built without CMake. Each finds the prefix from its own folder,
# so it stays right in a prefix given to `cmake --install --prefix` and in an unpacked archive.
set(pc_to_prefix /)
cmake_path(RELATIVE_PATH pc_to_prefix BASE_DIRECTORY /${CMAKE_INSTALL_LIBDIR}/pkgconfig)
# enginecore_pkgconfig(FILE NAME DESCRIPTION REQUIRES LIBS): writes and installs FILE.pc.
function(enginecore_pkgconfig file pc_name pc_description pc_requires pc_libs)
    if(pc_requires)
        set(pc_requires "\nRequires: ${pc_requires}")
    endif()
    configure_file(cmake/enginecore.pc.in ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${file}.pc @ONLY)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/pkgconfig/${file}.pc
            DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
endfunction()
enginecore_pkgconfig(enginecore EngineCore "The core of a small game engine" "" -lenginecore)
if(WIN32)
    # A static library names its own dependencies: the game links them too.
    enginecore_pkgconfig(enginecore-rendershell "EngineCore render shell"
        "The Direct3D 9 render shell of a small game engine" "enginecore = ${PROJECT_VERSION}"
        "-lenginecore_rendershell -ld3d9 -luser32")
endif()

if(ENGINE_BUILD_PROGRAMS)
    install(TARGETS scenario RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    if(TARGET host)
        install(TARGETS host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
    if(TARGET demo)
        install(TARGETS demo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
    endif()
endif()
# The site, the manual with the API reference, goes beside them, in html/, by the rule in
# docs.cmake.
install(FILES README.md LICENSE CHANGELOG.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

# `cpack` in a build folder: a ZIP for Windows, a TGZ elsewhere, named
# EngineCore-<version>-<system>.
set(CPACK_PACKAGE_NAME EngineCore)
set(CPACK_PACKAGE_VENDOR EngineCore)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "The core of a small game engine")
set(CPACK_VERBATIM_VARIABLES ON)
if(WIN32)
    set(CPACK_GENERATOR ZIP)
else()
    set(CPACK_GENERATOR TGZ)
endif()
include(CPack)

# The Debian package: `cmake --build build --target package` (or `cpack` in the build folder) writes
# vortaxel_<version>_<arch>.deb holding both programs, the clip, the manual pages and the desktop metadata.
include(GNUInstallDirs)

set(VORTAXEL_APPSTREAM_ID org.vortaxel.vortaxel)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/${VORTAXEL_APPSTREAM_ID}.metainfo.xml
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vortaxel)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides
    RENAME vortaxel)

# Debian wants the changelog of a package without a Debian revision compressed and without a time stamp.
find_program(VORTAXEL_GZIP gzip)
if(VORTAXEL_GZIP)
    set(vortaxel_changelog ${PROJECT_BINARY_DIR}/packaging/changelog.gz)
    add_custom_command(OUTPUT ${vortaxel_changelog}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging
        COMMAND ${VORTAXEL_GZIP} -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${vortaxel_changelog}
        DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
        VERBATIM)
    add_custom_target(vortaxel_changelog ALL DEPENDS ${vortaxel_changelog})
    install(FILES ${vortaxel_changelog} DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vortaxel)
endif()

find_program(VORTAXEL_DPKG dpkg)
set(vortaxel_arch amd64)
if(VORTAXEL_DPKG)
    execute_process(COMMAND ${VORTAXEL_DPKG} --print-architecture OUTPUT_VARIABLE vortaxel_arch
        OUTPUT_STRIP_TRAILING_WHITESPACE)
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vortaxel)
set(CPACK_PACKAGE_VERSION ${VORTAXEL_VERSION_TEXT})
set(CPACK_PACKAGE_VENDOR "The Vortaxel developers")
set(CPACK_PACKAGE_CONTACT "The Vortaxel developers <maintainers@vortaxel.org>")
# The package is looked after by the project, not by one person.
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${CPACK_PACKAGE_CONTACT})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "web site crawler that turns page names into keyword phrases")
set(CPACK_PACKAGE_DESCRIPTION
    "Vortaxel walks a web site breadth-first, lists every in-site page it\n"
    "reaches, and turns the last part of the addresses you select into keyword\n"
    "phrases, one per line in a text file.\n"
    "\n"
    "The package holds the desktop program vortaxel and the command\n"
    "vortaxel-cli, which runs the same crawl without a window.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME vortaxel_${VORTAXEL_VERSION_TEXT}_${vortaxel_arch}.deb)
set(CPACK_DEBIAN_PACKAGE_VERSION ${VORTAXEL_VERSION_TEXT})
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE ${vortaxel_arch})
set(CPACK_DEBIAN_PACKAGE_SECTION web)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# https is verified against the system's trust store, which a minimal system lacks.
set(CPACK_DEBIAN_PACKAGE_DEPENDS ca-certificates)
# --spelling checks pages in the languages whose Hunspell dictionaries are installed, and notes the others.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hunspell-en-us")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "hunspell-de-de, hunspell-fr, hunspell-es, hunspell-it, hunspell-pt-pt")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)

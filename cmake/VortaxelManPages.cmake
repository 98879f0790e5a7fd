# Manual pages: written in scdoc's plain source under docs/man/, turned into troff at build time and
# installed compressed, as Debian expects. Without scdoc the build goes on without them.
include(GNUInstallDirs)
find_program(VORTAXEL_SCDOC scdoc)
find_program(VORTAXEL_GZIP gzip)
if(NOT VORTAXEL_SCDOC OR NOT VORTAXEL_GZIP)
    message(STATUS "scdoc or gzip not found: the manual pages are not built")
    return()
endif()

set(vortaxel_man_outputs)
foreach(page vortaxel-cli.1 vortaxel.1)
    # The pages quote the version, which is written into them here.
    set(source ${PROJECT_BINARY_DIR}/man/${page}.scd)
    configure_file(${PROJECT_SOURCE_DIR}/docs/man/${page}.scd ${source} @ONLY)
    set(troff ${PROJECT_BINARY_DIR}/man/${page})
    add_custom_command(OUTPUT ${troff} ${troff}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/man
        COMMAND ${VORTAXEL_SCDOC} < ${source} > ${troff}
        # -n leaves out the time stamp, so the same source gives the same package.
        COMMAND ${VORTAXEL_GZIP} -9nc ${troff} > ${troff}.gz
        DEPENDS ${source}
        COMMENT "Writing the manual page ${page}"
        VERBATIM)
    list(APPEND vortaxel_man_outputs ${troff} ${troff}.gz)
    install(FILES ${troff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(vortaxel_man ALL DEPENDS ${vortaxel_man_outputs})

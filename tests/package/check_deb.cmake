# Builds the .deb with CPack into a scratch folder, unpacks it with dpkg-deb -x and checks that the
# programs run from there and that its metadata passes Debian's and AppStream's validators.

function(run)
    execute_process(COMMAND ${ARGN} RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
    if(NOT status EQUAL 0)
        message(FATAL_ERROR "${ARGN} failed (${status}):\n${out}\n${err}")
    endif()
    set(out "${out}" PARENT_SCOPE)
    set(err "${err}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
run(${CPACK} -G DEB --config ${BUILD_DIR}/CPackConfig.cmake -B ${SCRATCH}/out)
set(deb ${SCRATCH}/out/${DEB})
if(NOT EXISTS ${deb})
    message(FATAL_ERROR "CPack did not write ${DEB}")
endif()

run(${DPKG_DEB} --field ${deb} Maintainer)
if(NOT out STREQUAL "The Vortaxel developers <maintainers@vortaxel.org>\n")
    message(FATAL_ERROR "the package's Maintainer is not the project: ${out}")
endif()

run(${DPKG_DEB} --field ${deb} Depends)
if(NOT out MATCHES "ca-certificates" OR NOT out MATCHES "libqt6widgets6" OR NOT out MATCHES "libcurl")
    message(FATAL_ERROR "Depends lacks the trust store or the shared libraries: ${out}")
endif()

set(root ${SCRATCH}/root)
run(${DPKG_DEB} -x ${deb} ${root})
foreach(file bin/vortaxel bin/vortaxel-cli bin/FINDCOMP.AVI share/man/man1/vortaxel.1.gz
        share/man/man1/vortaxel-cli.1.gz share/applications/vortaxel.desktop
        share/icons/hicolor/24x24/apps/vortaxel.png share/metainfo/${APPSTREAM_ID}.metainfo.xml
        share/doc/vortaxel/copyright share/doc/vortaxel/changelog.gz)
    if(NOT EXISTS ${root}/usr/${file})
        message(FATAL_ERROR "the package lacks /usr/${file}")
    endif()
endforeach()

run(${root}/usr/bin/vortaxel-cli --version)
if(NOT out STREQUAL "vortaxel-cli ${VERSION}\n")
    message(FATAL_ERROR "vortaxel-cli --version from the package said: ${out}")
endif()

if(DESKTOP_FILE_VALIDATE)
    run(${DESKTOP_FILE_VALIDATE} ${root}/usr/share/applications/vortaxel.desktop)
endif()
if(APPSTREAMCLI)
    run(${APPSTREAMCLI} validate --no-net ${root}/usr/share/metainfo/${APPSTREAM_ID}.metainfo.xml)
endif()
if(LINTIAN)
    # lintian exits non-zero on warnings too; errors fail the package, and so does a program built
    # without Debian's hardening flags. A sanitizer build leaves out _FORTIFY_SOURCE, which the
    # sanitizers' own checks replace, so only there that one notice is expected.
    execute_process(COMMAND ${LINTIAN} --display-info ${deb} OUTPUT_VARIABLE out ERROR_VARIABLE err)
    set(hardening "${out}")
    if(NOT EXPECT_FORTIFY)
        string(REGEX REPLACE "[^\n]*hardening-no-fortify-functions[^\n]*" "" hardening "${hardening}")
    endif()
    if(out MATCHES "(^|\n)E: " OR hardening MATCHES "hardening-")
        message(FATAL_ERROR "lintian reports errors or missing hardening:\n${out}")
    endif()
endif()

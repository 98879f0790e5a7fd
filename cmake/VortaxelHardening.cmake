# Debian's hardening flags (what `DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags` gives), for every
# target: stack protector, fortified libc calls, format checks, full RELRO with immediate binding, and
# position-independent executables.
option(VORTAXEL_HARDEN "Build with Debian's hardening flags" ON)
if(NOT VORTAXEL_HARDEN)
    return()
endif()

include(CheckPIESupported)
check_pie_supported()
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
add_link_options(LINKER:-z,relro LINKER:-z,now)

# The fortified calls need an optimising build (glibc warns otherwise, and warnings are errors here), and
# they would hide overruns from the sanitizers, which check the plain calls.
if(NOT VORTAXEL_SANITIZE AND NOT VORTAXEL_FUZZ)
    add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)
endif()

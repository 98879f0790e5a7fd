# VORTAXEL_SANITIZE: every target, Qt's generated code included, is built and linked with ASan and UBSan.
# Any report ends the process, so a finding can never pass as a green test.
if(VORTAXEL_SANITIZE)
    set(vortaxel_sanitize_flags -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_compile_options(${vortaxel_sanitize_flags})
    add_link_options(${vortaxel_sanitize_flags})
    # GCC's instrumentation confuses its flow analysis: std::regex and std::function then raise
    # maybe-uninitialized warnings that the plain build does not, on library code.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        add_compile_options(-Wno-maybe-uninitialized)
    endif()
endif()

# VORTAXEL_FUZZ: libFuzzer comes with clang only. Every target gets the coverage instrumentation (so the
# libraries under test report their edges), and only the fuzz executables link libFuzzer's main.
if(VORTAXEL_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "VORTAXEL_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

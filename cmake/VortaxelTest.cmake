# vortaxel_add_test(NAME SOURCES src... LIBS lib...)
# One GoogleTest executable per area, registered with CTest test by test. A parameterised case is
# registered under its row's name, without the printed row (NO_PRETTY_VALUES): a printed row may hold addresses or
# bytes that differ from build to build, and ctest -R could not pick it.
include(GoogleTest)

option(VORTAXEL_TEST_PCH "Precompile the headers every test file reads" ON)

# GoogleTest, the standard headers the tests share and, where a test links them, the loopback server and Qt
# are parsed once per test executable instead of once per file: parsing them was most of a test file's
# compile time, and test files are most of the build.
function(vortaxel_test_headers name libs sources)
    # Making the header costs as much as parsing it for about seven files: smaller executables go without.
    list(FILTER sources INCLUDE REGEX "\\.cpp$")
    list(LENGTH sources files)
    if(NOT VORTAXEL_TEST_PCH OR files LESS 8)
        return()
    endif()
    target_precompile_headers(${name} PRIVATE
        <gtest/gtest.h> <gmock/gmock.h> <algorithm> <chrono> <filesystem> <fstream> <functional> <map> <memory>
        <optional> <set> <sstream> <string> <string_view> <thread> <vector>)
    # Read from a precompiled header, the standard library's inline code is no longer treated as a system
    # header's, and GCC 12 then reports its known false bounds warnings on std::string from inside it. The
    # sanitizer build checks the test code's bounds instead.
    target_compile_options(${name} PRIVATE -Wno-array-bounds -Wno-stringop-overflow -Wno-stringop-overread)
    if("vortaxel_test_support" IN_LIST libs)
        target_precompile_headers(${name} PRIVATE <httplib.h>)
    endif()
    if("Qt6::Test" IN_LIST libs)
        target_precompile_headers(${name} PRIVATE <QApplication> <QLabel> <QLineEdit> <QPushButton> <QTableView>
            <QTemporaryDir> <QTest>)
    endif()
endfunction()

function(vortaxel_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    vortaxel_test_headers(${name} "${ARG_LIBS}" "${ARG_SOURCES}")
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

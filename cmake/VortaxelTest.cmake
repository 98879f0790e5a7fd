# vortaxel_add_test(NAME SOURCES src... LIBS lib...)
# One GoogleTest executable per area, registered with CTest test by test. A parameterised case is
# registered under its row's name, without the printed row (NO_PRETTY_VALUES): a printed row may hold addresses or
# bytes that differ from build to build, and ctest -R could not pick it.
include(GoogleTest)

function(vortaxel_add_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gmock GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES PROPERTIES TIMEOUT 300 ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

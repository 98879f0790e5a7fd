# The version, written once in the project() line ("2.00": major and two decimals), reaches the code
# through one generated header, <vortaxel/version.h> (target vortaxel_version), and the package and the
# manual pages through VORTAXEL_VERSION_TEXT.
set(VORTAXEL_VERSION_TEXT ${PROJECT_VERSION})
string(SUBSTRING "${PROJECT_VERSION_MINOR}" 0 1 vortaxel_first_decimal)
set(VORTAXEL_SHORT_VERSION_TEXT ${PROJECT_VERSION_MAJOR}.${vortaxel_first_decimal})

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/vortaxel/version.h @ONLY)
add_library(vortaxel_version INTERFACE)
target_include_directories(vortaxel_version INTERFACE ${PROJECT_BINARY_DIR}/generated)

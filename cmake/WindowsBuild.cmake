# The 32-bit Windows build, included by the top CMakeLists.txt when the
# toolchain targets Windows (cmake/mingw-w64-i686.cmake). The core libraries
# and DLLs come from the common subdirectories; this adds stdhost.exe, which
# has every command but the Qt editor, and the test programs that run under
# Wine.

# CLI11 and nlohmann/json are header-only: their headers come from the build
# machine's packages, through a directory that holds nothing else (the rest
# of /usr/include is the build machine's C library).
set(STATION_HOST_HEADERS ${CMAKE_BINARY_DIR}/header-only)
foreach(dir CLI nlohmann)
    if(NOT EXISTS /usr/include/${dir})
        message(FATAL_ERROR "/usr/include/${dir} is missing: install libcli11-dev and nlohmann-json3-dev")
    endif()
    file(MAKE_DIRECTORY ${STATION_HOST_HEADERS})
    file(CREATE_LINK /usr/include/${dir} ${STATION_HOST_HEADERS}/${dir} SYMBOLIC)
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${STATION_HOST_HEADERS})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE ${STATION_HOST_HEADERS})

add_subdirectory(host)
if(STATION_BUILD_TESTS)
    enable_testing()
    add_subdirectory(tests)
endif()

# station_shared_library(<target> VERSION_SCRIPT <file> SOURCES ...)
# A shared library of the system: its exports are exactly those its version
# script lists, and it finds its siblings through RUNPATH $ORIGIN.
function(station_shared_library target)
    cmake_parse_arguments(ARG "" "VERSION_SCRIPT" "SOURCES" ${ARGN})
    add_library(${target} SHARED ${ARG_SOURCES})
    set_target_properties(${target} PROPERTIES
        BUILD_WITH_INSTALL_RPATH ON
        INSTALL_RPATH "\$ORIGIN"
        LINK_DEPENDS ${ARG_VERSION_SCRIPT})
    target_link_options(${target} PRIVATE "-Wl,--version-script=${ARG_VERSION_SCRIPT}")
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT STATION_SANITIZE)
        # A plug-in never leaves an undefined symbol for the host to supply.
        target_link_options(${target} PRIVATE "-Wl,-z,defs")
    endif()
    install(TARGETS ${target} LIBRARY DESTINATION lib)
endfunction()

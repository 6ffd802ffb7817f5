# station_shared_library(<target> VERSION_SCRIPT <file> SOURCES ...
#                        [DEF_FILE <file> WINDOWS_NAME <name> WINDOWS_SOURCES ...])
# A shared library of the system: its exports are exactly those its version
# script lists, and it finds its siblings through RUNPATH $ORIGIN.
# On Windows it is <name>.dll, built with WINDOWS_SOURCES (its DllMain) as
# well, and exports exactly the undecorated names its .def file lists.
function(station_shared_library target)
    cmake_parse_arguments(ARG "" "VERSION_SCRIPT;DEF_FILE;WINDOWS_NAME" "SOURCES;WINDOWS_SOURCES"
        ${ARGN})
    if(WIN32)
        if(NOT ARG_DEF_FILE OR NOT ARG_WINDOWS_NAME)
            message(FATAL_ERROR "${target}: a Windows DLL needs DEF_FILE and WINDOWS_NAME")
        endif()
        add_library(${target} SHARED ${ARG_SOURCES} ${ARG_WINDOWS_SOURCES})
        # --kill-at is not wanted: cdecl names carry no @n to strip. The .def
        # file alone decides the export table (no auto-export of everything).
        set_target_properties(${target} PROPERTIES
            PREFIX ""
            OUTPUT_NAME ${ARG_WINDOWS_NAME}
            LINK_DEPENDS ${ARG_DEF_FILE})
        target_link_options(${target} PRIVATE "${ARG_DEF_FILE}" "-Wl,--no-undefined")
        install(TARGETS ${target} RUNTIME DESTINATION bin)
        return()
    endif()
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

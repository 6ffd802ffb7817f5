# Cross-compiling for 32-bit Windows with Debian's MinGW-w64 (posix thread
# model, so std::mutex and std::thread work). Every program and DLL carries
# its own static compiler runtime: nothing but system DLLs has to ship.
#   cmake -S . -B build-win32 -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)

set(STATION_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_C_COMPILER ${STATION_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${STATION_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${STATION_MINGW_TRIPLET}-windres)
set(CMAKE_OBJDUMP ${STATION_MINGW_TRIPLET}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${STATION_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static also takes winpthread in, which the posix model would otherwise
# load from libwinpthread-1.dll.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs and build tools run under Wine.
find_program(STATION_WINE wine)
if(STATION_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${STATION_WINE})
endif()

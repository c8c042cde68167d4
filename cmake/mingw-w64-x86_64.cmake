# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 (the POSIX-threads flavour, which has
# std::thread and std::mutex). The libraries built for Windows by scripts/windows-deps.sh live in
# ZORBEL_WINDOWS_PREFIX; nothing is looked up among the build machine's own libraries.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ZORBEL_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZORBEL_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZORBEL_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZORBEL_MINGW}-windres)

if(NOT ZORBEL_WINDOWS_PREFIX AND DEFINED ENV{ZORBEL_WINDOWS_PREFIX})
    set(ZORBEL_WINDOWS_PREFIX "$ENV{ZORBEL_WINDOWS_PREFIX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZORBEL_WINDOWS_PREFIX)

set(CMAKE_FIND_ROOT_PATH /usr/${ZORBEL_MINGW})
if(ZORBEL_WINDOWS_PREFIX)
    list(PREPEND CMAKE_FIND_ROOT_PATH ${ZORBEL_WINDOWS_PREFIX})
    # pkg-config reads only the .pc files of the Windows libraries.
    set(ENV{PKG_CONFIG_LIBDIR} "${ZORBEL_WINDOWS_PREFIX}/lib/pkgconfig")
    set(ENV{PKG_CONFIG_PATH} "")
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run under Wine.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

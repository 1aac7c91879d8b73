# Cross-compiling for 64-bit Windows with MinGW-w64 (Debian's g++-mingw-w64-x86-64-posix).
# The posix thread model gives std::thread and std::mutex; the C++ runtime and
# winpthread are linked statically so game.exe and Varnet.drv need no MinGW DLLs.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ARVEL_MINGW_PREFIX x86_64-w64-mingw32)
find_program(CMAKE_C_COMPILER NAMES ${ARVEL_MINGW_PREFIX}-gcc-posix ${ARVEL_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${ARVEL_MINGW_PREFIX}-g++-posix ${ARVEL_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ARVEL_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${ARVEL_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -static makes the linker prefer libwinpthread.a to its import library; the system
# DLLs have import libraries only, so they stay dynamic.
set(ARVEL_MINGW_STATIC_RUNTIME "-static -static-libgcc -static-libstdc++")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${ARVEL_MINGW_STATIC_RUNTIME}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${ARVEL_MINGW_STATIC_RUNTIME}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${ARVEL_MINGW_STATIC_RUNTIME}")

# zlib (Debian's libz-mingw-w64-dev) linked in as well, so no zlib1.dll either.
set(ZLIB_USE_STATIC_LIBS ON)

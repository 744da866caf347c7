# Cross build for 64-bit Windows with MinGW-w64; the programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ORVANE_MINGW_TRIPLE x86_64-w64-mingw32)

# The posix threads flavour of the compiler gives std::thread and std::mutex.
find_program(CMAKE_CXX_COMPILER NAMES ${ORVANE_MINGW_TRIPLE}-g++-posix ${ORVANE_MINGW_TRIPLE}-g++
             REQUIRED)
# GoogleTest's project enables C as well.
find_program(CMAKE_C_COMPILER NAMES ${ORVANE_MINGW_TRIPLE}-gcc-posix ${ORVANE_MINGW_TRIPLE}-gcc
             REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${ORVANE_MINGW_TRIPLE}-windres)
find_program(ORVANE_MINGW_OBJDUMP NAMES ${ORVANE_MINGW_TRIPLE}-objdump)

set(CMAKE_FIND_ROOT_PATH /usr/${ORVANE_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Link the compiler's runtime (libgcc, libstdc++, winpthread) into every
# binary, so that Wine needs nothing beyond the system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine, in a prefix of their own beside them.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)

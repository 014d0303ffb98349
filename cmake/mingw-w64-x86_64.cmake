# Cross toolchain: Debian's mingw-w64 (posix thread model) for 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(WB_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER   ${WB_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${WB_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${WB_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${WB_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Test executables run through Wine in the build folder's own prefix,
# each checked for what it leaves behind there.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-suite.sh)

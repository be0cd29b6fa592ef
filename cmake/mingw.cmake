# Cross-compiling for Windows with MinGW-w64 (posix threads: GoogleTest needs
# std::mutex). -DMINGW_ARCH=i686 (the shipped PE32 build, the default) or x86_64.
if(NOT MINGW_ARCH)
    set(MINGW_ARCH i686)
endif()
if(NOT MINGW_ARCH MATCHES "^(i686|x86_64)$")
    message(FATAL_ERROR "MINGW_ARCH must be i686 or x86_64, not ${MINGW_ARCH}")
endif()
# The compiler checks configure their own small projects: they need it too.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES MINGW_ARCH)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${MINGW_ARCH})
set(MINGW_PREFIX ${MINGW_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER ${MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Shared settings of the mingw-w64 toolchain files.
set(CMAKE_C_COMPILER ${ORU_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ORU_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${ORU_MINGW_PREFIX}-windres)
# The message tables are UTF-8.
set(CMAKE_RC_FLAGS_INIT "-c 65001")
set(CMAKE_FIND_ROOT_PATH /usr/${ORU_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Prefer the static zlib so that the executables carry it.
set(ZLIB_USE_STATIC_LIBS ON)
set(ZLIB_LIBRARY /usr/${ORU_MINGW_PREFIX}/lib/libz.a CACHE FILEPATH "static zlib")
set(ZLIB_INCLUDE_DIR /usr/${ORU_MINGW_PREFIX}/include CACHE PATH "zlib headers")
find_program(ORU_WINE NAMES wine64 wine)
if(ORU_WINE AND ORU_MINGW_PREFIX STREQUAL "x86_64-w64-mingw32")
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORU_WINE})
endif()

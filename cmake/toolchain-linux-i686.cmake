# Builds the 32-bit (i686) Linux launcher with the multilib compilers; its programs run
# under qemu's user-mode emulator, since a kernel without 32-bit support cannot start them.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(CMAKE_C_FLAGS_INIT -m32)
set(CMAKE_CXX_FLAGS_INIT -m32)
# Debian's lib32z1-dev; the search would otherwise settle on the 64-bit zlib.
set(ZLIB_LIBRARY /usr/lib32/libz.so CACHE FILEPATH "32-bit zlib")
set(ZLIB_INCLUDE_DIR /usr/include CACHE PATH "zlib headers")
find_program(ORU_QEMU_I386 NAMES qemu-i386-static qemu-i386)
if(ORU_QEMU_I386)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${ORU_QEMU_I386})
endif()

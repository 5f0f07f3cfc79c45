# The install layout and the Debian package of a native Linux x86_64 build: oru-pack, its
# manual page, and the three launchers under lib/oru named for their targets. The two
# Windows launchers come from the Windows builds beside this one (scripts/build.sh win32
# win64), so `cmake --install` follows the build of all three.
include(GNUInstallDirs)

set(ORU_WINDOWS_X86_LAUNCHER ${PROJECT_SOURCE_DIR}/build/win32/src/oru-launcher.exe CACHE FILEPATH
    "The i686 Windows launcher to install (scripts/build.sh win32)")
set(ORU_WINDOWS_X64_LAUNCHER ${PROJECT_SOURCE_DIR}/build/win64/src/oru-launcher.exe CACHE FILEPATH
    "The x86_64 Windows launcher to install (scripts/build.sh win64)")

# Installing (and packing) needs only what is installed, not every test program.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY TRUE)

# oru-pack looks for the launchers in ../lib/oru from its own folder: these paths are fixed.
install(TARGETS oru-pack RUNTIME DESTINATION bin)
install(FILES ${PROJECT_SOURCE_DIR}/docs/oru-pack.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(PROGRAMS $<TARGET_FILE:oru-launcher> DESTINATION lib/oru RENAME oru-launcher-linux-x64)
# Stripped like oru-pack in the package: every application packed into it carries it.
install(CODE "if(CMAKE_INSTALL_DO_STRIP)
  execute_process(COMMAND ${CMAKE_STRIP} \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/oru/oru-launcher-linux-x64)
endif()")
install(PROGRAMS ${ORU_WINDOWS_X86_LAUNCHER} DESTINATION lib/oru RENAME oru-launcher-windows-x86.exe)
install(PROGRAMS ${ORU_WINDOWS_X64_LAUNCHER} DESTINATION lib/oru RENAME oru-launcher-windows-x64.exe)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME oru)
set(CPACK_PACKAGE_VENDOR "oru")
set(CPACK_PACKAGE_CONTACT "oru developers <oru@vostrand.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packs a Java application into one native executable")
set(CPACK_PACKAGE_DESCRIPTION
    "oru-pack makes one executable of a launcher and a Java application's jars: the\n"
    "launcher runs the application through JNI on a Java runtime it finds on the machine,\n"
    "serving its classes straight out of the executable. Launchers for Linux x86_64 and\n"
    "for Windows (i686 and x86_64) are included.")
string(REPLACE ";" "" CPACK_PACKAGE_DESCRIPTION "${CPACK_PACKAGE_DESCRIPTION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_SOURCE_DIR}/build/package)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The dependencies are read from the ELF files (the C and C++ runtimes, zlib).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "default-jre-headless | java-runtime-headless")
set(CPACK_STRIP_FILES ON)
include(CPack)

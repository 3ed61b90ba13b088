# Packages: the Linux build makes a .deb of the Linux programs, the Windows build a .zip of
# the Windows program (`cpack` in the build directory, or the target `package`).
set(CPACK_PACKAGE_NAME cdinst)
set(CPACK_PACKAGE_VENDOR "the cdinst authors")
set(CPACK_PACKAGE_CONTACT "${CDINST_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "install programs from a distribution medium")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_SOURCE_GENERATOR "")
# The description holds backslashes, which CPack would otherwise read as escapes.
set(CPACK_VERBATIM_VARIABLES ON)

if(WIN32)
  set(CPACK_GENERATOR ZIP)
  set(CPACK_PACKAGE_FILE_NAME cdinst-${PROJECT_VERSION}-win32)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
  set(CPACK_PACKAGE_DESCRIPTION
      "cdinst installs one program from a distribution medium (a CD-ROM or its\n\
image) into a Wine-style prefix, as the medium's menu program does on Windows:\n\
it reads DADOS\\PROGS.INI and DADOS\\MULTI.INI on the medium, copies the\n\
program's tree and records it in C:\\DUDERUR\\INDICE2.CD.\n\
.\n\
cdinst-menu lists what a medium, a disc image or a mounted disc offers on the\n\
terminal and starts cdinst for the program chosen; file managers open discs\n\
and their images with it.")
  # Found by dpkg-shlibdeps: libstdc++ is linked in, so this is the C library alone.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_STRIP_FILES ON)
endif()
include(CPack)

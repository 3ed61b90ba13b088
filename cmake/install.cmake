# What users get. Linux: the programs, their manual pages and documents in the usual places.
# Windows: the program with its texts side by side, for a medium's publisher to copy.
include(GNUInstallDirs)
# Who answers for the packages: the .deb's maintainer, its copyright file's contact.
set(CDINST_MAINTAINER "cdinst maintainers <cdinst@users.noreply.github.com>")

if(WIN32)
  # Texts for Windows: CR LF line ends, and Windows-1252 rather than UTF-8 with a byte-order
  # mark, as the program's own texts are: it is the code page of the Portuguese systems
  # they are for, and the one that Notepad of every Windows version reads unmarked.
  set(dist ${CMAKE_BINARY_DIR}/dist)
  foreach(text LEIAME README)
    configure_file(dist/win32/${text}.TXT.in ${dist}/${text}.utf8 @ONLY NEWLINE_STYLE CRLF)
    execute_process(COMMAND iconv -f UTF-8 -t WINDOWS-1252 ${dist}/${text}.utf8
                    OUTPUT_FILE ${dist}/${text}.TXT COMMAND_ERROR_IS_FATAL ANY)
  endforeach()
  configure_file(LICENSE ${dist}/LICENSE.TXT @ONLY NEWLINE_STYLE CRLF)
  install(TARGETS cdinst RUNTIME DESTINATION .)
  install(FILES ${dist}/LEIAME.TXT ${dist}/README.TXT ${dist}/LICENSE.TXT DESTINATION .)
else()
  install(TARGETS cdinst cdinst-menu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  # Compressed, as Debian's policy asks; -n leaves out the time, so the package is the same
  # from one build to the next.
  set(pages)
  foreach(page cdinst cdinst-menu)
    set(packed ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
    add_custom_command(OUTPUT ${packed}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
                       COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/man/${page}.1 > ${packed}
                       DEPENDS man/${page}.1 VERBATIM)
    list(APPEND pages ${packed})
  endforeach()
  add_custom_target(manual_pages ALL DEPENDS ${pages})
  install(FILES ${pages} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

  # The licence in Debian's machine-readable form, with the terms of LICENSE word for word.
  file(READ LICENSE licence)
  if(NOT licence MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.*[^\n])\n*$")
    message(FATAL_ERROR "LICENSE: no copyright line followed by the terms")
  endif()
  set(CDINST_COPYRIGHT "${CMAKE_MATCH_1}")
  string(REPLACE "\n\n" "\n.\n" terms "${CMAKE_MATCH_2}")
  string(REPLACE "\n" "\n " CDINST_LICENSE_TERMS " ${terms}")
  configure_file(dist/debian/copyright.in ${CMAKE_BINARY_DIR}/copyright @ONLY)

  # Debian wants the changelog of a package whose version has no Debian revision as
  # changelog.gz; its newest entry must be this version.
  file(STRINGS dist/debian/changelog newest LIMIT_COUNT 1)
  if(NOT newest MATCHES "^cdinst \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "dist/debian/changelog: no entry for ${PROJECT_VERSION} on top")
  endif()
  set(changelog ${CMAKE_BINARY_DIR}/changelog.gz)
  add_custom_command(OUTPUT ${changelog}
                     COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/dist/debian/changelog > ${changelog}
                     DEPENDS dist/debian/changelog VERBATIM)
  add_custom_target(changelog ALL DEPENDS ${changelog})
  install(FILES README.md ${CMAKE_BINARY_DIR}/copyright ${changelog}
          DESTINATION ${CMAKE_INSTALL_DOCDIR})

  # Discs and mounted discs open with the menu from the file manager; the shell completes its
  # sections and variants.
  install(FILES dist/linux/cdinst-menu.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES dist/linux/cdinst-menu.bash DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
          RENAME cdinst-menu)
endif()

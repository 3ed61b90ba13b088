# What users get. Linux: the programs, their manual pages and documents in the usual places.
# Windows: the program with its texts side by side, for a medium's publisher to copy.
include(GNUInstallDirs)

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
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

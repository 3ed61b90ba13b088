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
  install(FILES man/cdinst.1 man/cdinst-menu.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

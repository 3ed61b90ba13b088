# The Linux programs' own messages in the user's language: the gettext calls, and the catalogs
# of po/ compiled into the build tree's locale/ and installed where the programs look for them.
set(CDINST_LANGUAGES en pt_BR)

add_library(cdinst_translation STATIC src/translation/translation.cpp
                                      src/translation/placeholders.cpp)
target_include_directories(cdinst_translation PUBLIC src)
file(RELATIVE_PATH relative_locale_dir ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LOCALEDIR})
target_compile_definitions(cdinst_translation PRIVATE
  CDINST_RELATIVE_LOCALE_DIR="${relative_locale_dir}")
if(CDINST_TESTS)
  # Only the test builds let the environment choose the catalogs.
  target_compile_definitions(cdinst_translation PRIVATE CDINST_LOCALE_VARIABLE="CDINST_LOCALE_DIR")
else()
  target_compile_definitions(cdinst_translation PRIVATE CDINST_LOCALE_VARIABLE="")
endif()

if(NOT CDINST_FUZZ)
  find_program(CDINST_MSGFMT msgfmt DOC "msgfmt (Debian: the gettext package)")
  if(NOT CDINST_MSGFMT)
    message(FATAL_ERROR "msgfmt not found: install gettext")
  endif()
  set(catalogs)
  foreach(language ${CDINST_LANGUAGES})
    set(catalog ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES/cdinst.mo)
    add_custom_command(OUTPUT ${catalog}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/locale/${language}/LC_MESSAGES
                       COMMAND ${CDINST_MSGFMT} --check -o ${catalog} ${PROJECT_SOURCE_DIR}/po/${language}.po
                       DEPENDS po/${language}.po VERBATIM)
    list(APPEND catalogs ${catalog})
    install(FILES ${catalog} DESTINATION ${CMAKE_INSTALL_LOCALEDIR}/${language}/LC_MESSAGES)
  endforeach()
  add_custom_target(catalogs ALL DEPENDS ${catalogs})
endif()

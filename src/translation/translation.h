// The Linux programs' own messages in the user's language, through gettext and the catalogs
// installed beside the programs. The installer's own texts (the boxes, in Windows-1252) are not
// among them: they read the same in every language.
#pragma once

namespace cdinst {

// Takes the language from the environment (LANGUAGE, LC_ALL, LC_MESSAGES, LANG) for the
// messages, and numbers as the locale writes them. Character classes stay the "C" locale's:
// drive letters, settings and disc records are read by ASCII rules in every language. Call once,
// before the first message; without it every message stays English.
void StartTranslation();

// `message` (English, as the catalogs know it) in the user's language, in UTF-8 whatever the
// locale's character set; `message` itself when no catalog has it. The text lives as long as the
// process, and nothing is allocated for it (so it serves to say that memory ran out).
const char* Translated(const char* message);

// The form of `singular` or `plural` that `count` takes by the catalog's plural rules;
// English's rule without a catalog.
const char* TranslatedPlural(const char* singular, const char* plural, unsigned long count);

// Marks `message` for the catalogs where it is stored untranslated, to be translated when shown.
constexpr const char* MarkedForTranslation(const char* message) { return message; }

}  // namespace cdinst

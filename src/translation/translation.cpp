#include "translation/translation.h"

#include <libintl.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace cdinst {
namespace {

constexpr char kDomain[] = "cdinst";

// The catalogs' directory: the test builds take it from the environment, so that they find the
// catalogs of the build tree; else it lies where the package puts it relative to the program,
// so that a package unpacked or installed under another prefix finds its own.
std::string CatalogDirectory() {
  if (*CDINST_LOCALE_VARIABLE != '\0') {
    const char* chosen = std::getenv(CDINST_LOCALE_VARIABLE);
    if (chosen && *chosen) return chosen;
  }
  char program[4096];
  const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
  if (length <= 0) return "";
  const std::string path(program, static_cast<size_t>(length));
  return path.substr(0, path.find_last_of('/') + 1) + CDINST_RELATIVE_LOCALE_DIR;
}

}  // namespace

void StartTranslation() {
  std::setlocale(LC_ALL, "");
  // The code reads drive letters, settings and disc records with the C library's character
  // classes, which only the "C" locale keeps to ASCII (Turkish's has no upper-case i).
  std::setlocale(LC_CTYPE, "C");
  const std::string directory = CatalogDirectory();
  if (!directory.empty()) bindtextdomain(kDomain, directory.c_str());
  // Everything the programs write on a terminal is UTF-8, texts from the medium included.
  bind_textdomain_codeset(kDomain, "UTF-8");
  textdomain(kDomain);
}

const char* Translated(const char* message) { return dgettext(kDomain, message); }

const char* TranslatedPlural(const char* singular, const char* plural, unsigned long count) {
  return dngettext(kDomain, singular, plural, count);
}

}  // namespace cdinst

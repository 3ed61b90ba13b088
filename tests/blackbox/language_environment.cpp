// The programs these tests run speak English, whatever the locale of whoever runs the tests, and
// read the catalogs this build made; a test that wants another language names it in the
// environment it gives the program.
#include <cstdlib>

namespace {

[[maybe_unused]] const bool english = [] {
  setenv("LC_ALL", "C.UTF-8", 1);
  unsetenv("LANGUAGE");
  setenv("CDINST_LOCALE_DIR", CDINST_CATALOGS, 1);
  return true;
}();

}  // namespace

// The transcript lines of an install run's boxes under the title the scenarios pass.
#pragma once

#include <string>

#include "program_run.h"

namespace cdinst::testing {

inline const std::string kTitle = "CD de Programas";

inline std::string Asked(const std::string& destination) {
  return BoxLine(kTitle, "Pronto para copiar em: " + destination, kQuestion, kYes);
}
inline std::string Refused(const std::string& destination) {
  return BoxLine(kTitle, "Pronto para copiar em: " + destination, kQuestion, kNo);
}
inline std::string Told(const std::string& utf8Text) {
  return BoxLine(kTitle, utf8Text, kNotice, kOk);
}
inline const std::string kDone = Told(
    "C\xC3\xB3pia Conclu\xC3\xAD"
    "da");
inline const std::string kCopyError = Told("Erro de C\xC3\xB3pia");

}  // namespace cdinst::testing

#include "startup/status_line.h"

namespace cdinst {

void ShowStatusLine() {}

}  // namespace cdinst

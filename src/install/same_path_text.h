// Whether two path texts name the same directory on a volume that ignores letter case.
#pragma once

#include <string>

namespace cdinst {

// True when both texts, lowered by the system (CharLowerBuffA), compare equal in the user's
// default locale. Nothing is resolved: "D:\A" and "D:\A\" differ, as do a long name and its
// short form.
bool SamePathText(const std::string& a, const std::string& b);

}  // namespace cdinst

// The name Windows shows for a directory record's identifier.
#pragma once

#include <string>
#include <string_view>

namespace cdinst::disc {

// `identifier` as recorded in the Joliet tree (UCS-2) or the primary one (bytes read as
// Windows-1252), as UTF-8: a ";n" version removed, then in the primary tree a final ".".
// Raises DiscError naming `imageName` for a name that could lead out of a directory or is no
// name: empty, ".", "..", or holding '/', '\', ':', NUL or another control character.
std::string DecodeName(std::string_view identifier, bool joliet, const std::string& imageName);

}  // namespace cdinst::disc

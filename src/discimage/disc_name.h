// The name Windows shows for a directory record's identifier.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace cdinst::disc {

// Joliet's big-endian UCS-2 text as UTF-8, surrogate pairs joined as Windows reads them.
// Nothing for an odd byte count or a lone surrogate.
std::optional<std::string> JolietText(std::string_view bytes);

// `identifier` as recorded in the Joliet tree (UCS-2) or the primary one (bytes read as
// Windows-1252), as UTF-8: a ";n" version removed, then in the primary tree a final ".".
// Raises DiscError naming `imageName` for a name that could lead out of a directory or is no
// name: empty, ".", "..", or holding '/', '\', ':', NUL or another control character.
std::string DecodeName(std::string_view identifier, bool joliet, const std::string& imageName);

}  // namespace cdinst::disc

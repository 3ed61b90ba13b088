#include "discimage/disc_name.h"

#include "codepage/windows1252.h"
#include "discimage/disc_image.h"
#include "translation/translation.h"

namespace cdinst::disc {
namespace {

void RemoveVersion(std::string& name) {
  const size_t semicolon = name.rfind(';');
  if (semicolon == std::string::npos) return;
  if (name.find_first_not_of("0123456789", semicolon + 1) == std::string::npos) {
    name.resize(semicolon);
  }
}

// C0 controls, DEL and the C1 controls (U+0080-U+009F, C2 80 to C2 9F in UTF-8).
bool HasForbiddenCharacter(const std::string& name) {
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\' || c == ':') return true;
    if (c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) < 0xA0) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::optional<std::string> JolietText(std::string_view bytes) {
  if (bytes.size() % 2 != 0) return std::nullopt;
  return Utf16ToUtf8(Utf16FromBytes(bytes, true));
}

std::string DecodeName(std::string_view identifier, bool joliet, const std::string& imageName) {
  std::optional<std::string> name = joliet ? JolietText(identifier) : Windows1252ToUtf8(identifier);
  if (!name) throw DiscError(imageName, Translated("a name is not UCS-2 text"));
  if (HasForbiddenCharacter(*name)) {
    throw DiscError(imageName, Translated("a name holds a separator or control character"));
  }
  RemoveVersion(*name);
  if (!joliet && !name->empty() && name->back() == '.') name->pop_back();
  if (name->empty() || *name == "." || *name == "..") {
    throw DiscError(imageName, Translated("a record has no usable name"));
  }
  return *name;
}

}  // namespace cdinst::disc

#include "discimage/disc_bytes.h"

#include "discimage/disc_image.h"
#include "translation/translation.h"

namespace cdinst::disc {

std::string_view DiscBytes::Bytes(Field field) const {
  if (field.at > bytes_.size() || field.size > bytes_.size() - field.at) {
    throw DiscError(imageName_, Translated("a structure on the disc ends early"));
  }
  return bytes_.substr(field.at, field.size);
}

uint8_t DiscBytes::Byte(Field field) const { return static_cast<uint8_t>(Bytes({field.at, 1})[0]); }

uint32_t DiscBytes::Number(Field field) const {
  const std::string_view bytes = Bytes(field);
  uint32_t value = 0;
  for (size_t i = bytes.size(); i-- > 0;) value = value << 8 | static_cast<uint8_t>(bytes[i]);
  return value;
}

}  // namespace cdinst::disc

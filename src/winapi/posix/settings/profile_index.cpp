#include "winapi/posix/profile_index.h"

#include "codepage/windows1252.h"
#include "winapi/posix/settings/profile_parser.h"
#include "winapi/posix/settings/text_lines.h"

namespace cdinst::posix {
namespace {

bool IsComment(std::string_view keyName) { return !keyName.empty() && keyName.front() == ';'; }

}  // namespace

ProfileIndex::ProfileIndex(std::string_view text) {
  TextLines lines(text);
  Section* current = nullptr;  // a later section of a taken name is never looked in
  std::string_view raw;
  while (lines.Next(raw)) {
    const ProfileLine line = ParseProfileLine(raw);
    if (line.kind == ProfileLine::Kind::kHeader) {
      if (!line.name.empty()) sectionNames_.emplace_back(line.name);
      const auto [entry, added] = sections_.try_emplace(FoldedCase(line.name));
      current = added ? &entry->second : nullptr;
    } else if (line.kind == ProfileLine::Kind::kKey && current) {
      if (!IsComment(line.name)) current->keyNames.emplace_back(line.name);
      current->rawValues.try_emplace(FoldedCase(line.name), line.value);
    }
  }
}

const ProfileIndex::Section* ProfileIndex::Find(std::string_view section) const {
  const auto found = sections_.find(FoldedCase(TrimProfileName(section)));
  return found == sections_.end() ? nullptr : &found->second;
}

std::vector<std::string> ProfileIndex::KeyNames(std::string_view section) const {
  const Section* found = Find(section);
  return found ? found->keyNames : std::vector<std::string>();
}

std::optional<std::string> ProfileIndex::Value(std::string_view section,
                                               std::string_view key) const {
  const Section* found = Find(section);
  if (!found) return std::nullopt;
  const auto value = found->rawValues.find(FoldedCase(TrimProfileName(key)));
  if (value == found->rawValues.end()) return std::nullopt;
  return std::string(UnquoteProfileValue(value->second));
}

}  // namespace cdinst::posix

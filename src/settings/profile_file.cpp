#include "settings/profile_file.h"

namespace hm::profile {

std::string getString(const std::string&, const std::string&, const std::string&,
                      const std::string& d) { return d; }
bool writeString(const std::string&, const std::string&, const std::string&, const std::string&) {
  return false;
}
bool deleteKey(const std::string&, const std::string&, const std::string&) { return false; }
bool deleteSection(const std::string&, const std::string&) { return false; }
std::vector<std::string> sectionNames(const std::string&) { return {}; }
bool fileExists(const std::string&) { return false; }

ProfileDocument ProfileDocument::load(const std::string&) { return {}; }
ProfileDocument ProfileDocument::parse(std::string_view) { return {}; }
std::optional<std::string> ProfileDocument::find(std::string_view, std::string_view) const {
  return std::nullopt;
}
std::string ProfileDocument::get(std::string_view, std::string_view, std::string_view d) const {
  return std::string(d);
}
bool ProfileDocument::hasSection(std::string_view) const { return false; }
std::vector<std::string> ProfileDocument::sectionNames() const { return {}; }
bool ProfileDocument::set(std::string_view, std::string_view, std::string_view) { return false; }
bool ProfileDocument::removeKey(std::string_view, std::string_view) { return false; }
bool ProfileDocument::removeSection(std::string_view) { return false; }
std::string ProfileDocument::serialize() const { return {}; }
bool ProfileDocument::save(const std::string&, int*) const { return false; }

}  // namespace hm::profile

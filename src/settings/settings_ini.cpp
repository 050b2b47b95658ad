#include "settings/settings_ini.h"

namespace hm {

SettingsIni loadSettingsIni(const std::string&, Language) { return {}; }
bool saveButtonTexts(const std::string&, Language, const ButtonTexts&) { return false; }
bool saveSkinSettings(const std::string&, std::uint8_t, std::uint8_t, std::uint8_t,
                      const std::string&) { return false; }
std::uint8_t colourByteFromText(const std::string&) { return 0; }
std::string buttonTextKey(int mode, int slot) {
  return "Item" + std::to_string(slot + 1) + (mode ? "3" : "");
}
void applyFirstRunTexts(ButtonTexts& t, const std::array<std::string, kFirstRunSlots>& s) {
  for (auto& mode : t.text)
    for (std::size_t i = 0; i < kFirstRunSlots; ++i) mode[i] = s[i];
}

}  // namespace hm

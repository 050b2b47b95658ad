// SPDX-License-Identifier: GPL-3.0-or-later
// str.ini: the button display texts per interface language and the skin
// settings, kept through the profile-file engine.
//
//   [Setting-EN] / [Setting-CHS] / [Setting-CHT]   (languageSection)
//     Item1 .. Item12              Mode A slots 0..11
//     Item13, Item23 .. Item123    Mode B slots 0..11 ("Item" + (slot+1) + "3")
//   [Skins]
//     RColor, GColor, BColor       decimal text of the text colour bytes
//     Path                         skin folder name inside "Skins"
// Missing file or keys read as empty texts; a text longer than the read
// buffer's 1023 UTF-16 units reads cut there.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/error.h"
#include "core/settings/button_texts.h"
#include "core/settings/language.h"

namespace hm {

constexpr const char* kSkinsSection = "Skins";
constexpr const char* kSkinRedKey = "RColor";
constexpr const char* kSkinGreenKey = "GColor";
constexpr const char* kSkinBlueKey = "BColor";
constexpr const char* kSkinPathKey = "Path";
constexpr std::size_t kFirstRunSlots = 8;

struct SkinSettings {
  std::string rColor, gColor, bColor, path;
};  // raw texts of section "Skins"
struct SettingsIni {
  ButtonTexts texts;
  SkinSettings skin;
};

SettingsIni loadSettingsIni(const std::string& strIniPath, Language);
// Both write all their keys with one replace of the file. A str.ini that
// exists but cannot be read is not written (its Error is given back).
Status saveButtonTexts(const std::string& strIniPath, Language, const ButtonTexts&);
Status saveSkinSettings(const std::string& strIniPath, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                        const std::string& skinName);
// Decimal text to integer as atoi does (leading blanks, optional sign, digits up
// to the first other character, saturating at the int range), low byte kept:
// "300" → 44, "-1" → 255, junk or empty → 0.
std::uint8_t colourByteFromText(const std::string&);
// "Item1".."Item12" for mode 0, "Item13".."Item123" for mode 1; slot 0..11.
std::string buttonTextKey(int mode, int slot);
// First-run action: slots 0..7 of both modes get the given texts (the language's
// "Left Click", "Right Click", "Mid Click", "Forward", "Backward", then "DPI +",
// "DPI -", the language's "Key Off"); slots 8..11 keep theirs.
void applyFirstRunTexts(ButtonTexts&, const std::array<std::string, kFirstRunSlots>& slotTexts);

}  // namespace hm

// SPDX-License-Identifier: GPL-3.0-or-later
// Keeping both the user's edits and what another program saved meanwhile:
// three-way merges of what the window loaded (base), what the user made of
// it (mine) and what the files hold now (theirs). Where mine differs from
// base the user changed it and mine is taken; everywhere else theirs is,
// so what the user did not touch follows the files.
//
//   records       byte by byte over the 2021-byte image
//   button texts  text by text (one str.ini key each)
//   record.ini    section by section (one macro each): a macro the user
//                 changed, made or deleted is taken as the user left it;
//                 every other section, and the order, as the file has it
#pragma once

#include <string_view>

#include "core/settings/button_texts.h"
#include "core/settings/mouse_config.h"
#include "core/settings/profile_file.h"

namespace hm {

MouseConfig mergeRecords(const MouseConfig& base, const MouseConfig& mine, const MouseConfig& theirs);
ButtonTexts mergeButtonTexts(const ButtonTexts& base, const ButtonTexts& mine, const ButtonTexts& theirs);
profile::ProfileDocument mergeMacroSections(const profile::ProfileDocument& base,
                                            const profile::ProfileDocument& mine,
                                            const profile::ProfileDocument& theirs);

}  // namespace hm

// SPDX-License-Identifier: GPL-3.0-or-later
// Geometry, images, control identifiers and fixed texts of the assignment
// dialogs and the skins dialog, in dialog client pixels. Rectangles are given as left, top, right,
// bottom with the right and bottom edges outside (ltrb), the rule every
// hit test of the skinned windows uses.
#pragma once

#include <QColor>
#include <QRect>

#include "core/buttons/function_choice.h"
#include "gui/skin/skin_images.h"
#include "gui/skin/skin_rect.h"

namespace hm::dlg {

// ---- frame shared by all seven dialogs ---------------------------------------
inline constexpr QRect kOkRect = ltrb(166, 253, 271, 274);
inline constexpr QRect kCancelRect = ltrb(270, 253, 375, 274);
inline constexpr QRect kCloseRect = ltrb(352, 6, 370, 24);
// Size of a dialog whose background could not be loaded: large enough that
// OK, Cancel and close can still be clicked where they would be.
inline constexpr int kEmptyDialogWidth = 400;
inline constexpr int kEmptyDialogHeight = 290;
inline constexpr int kHoverDelayMs = 10;
inline constexpr unsigned kControlBackground = 0x282828;  // statics, lists, edits
inline constexpr unsigned kControlText = 0xFFFFFF;
inline constexpr unsigned kPromptText = 0xFFFFFF;  // prompts, labels, notes
// The thin border round every dialog: one pixel in the usual window-frame grey.
inline constexpr unsigned kBorderColor = 0x646464;
inline constexpr int kBorderWidth = 1;
inline constexpr int kWheelLines = 3;  // fire-key and macro lists
inline constexpr char kFailureText[] = "error";

// ---- single key (template 701) --------------------------------------------------
inline constexpr const char* kSingleBackground = skin::kSingleKeyDialog;
inline constexpr char kSingleCaption[] = "Single Key Dialog Load background image failed!!!";
inline constexpr int kSingleKeyNameId = 502;
inline constexpr QRect kSingleKeyName = ltrb(74, 129, 150, 143);
inline constexpr QRect kSinglePrompt = ltrb(45, 108, 181, 124);

// ---- Windows function (702) and multimedia (703) --------------------------------
inline constexpr const char* kWindowsBackground = skin::kWindowsKeyDialog;
inline constexpr char kWindowsCaption[] = "Windows Dialog Load background image failed!!!";
inline constexpr int kWindowsDisplayId = 532;
inline constexpr int kWindowsListId = 533;
inline constexpr QRect kWindowsList = ltrb(43, 145, 151, 305);
inline constexpr const char* kMediaBackground = skin::kMediaKeyDialog;
inline constexpr char kMediaCaption[] = "Media Dialog Load background image failed!!!";
inline constexpr int kMediaDisplayId = 552;
inline constexpr int kMediaListId = 553;
inline constexpr QRect kMediaList = ltrb(43, 145, 151, 265);
inline constexpr QRect kChoiceDisplay = ltrb(43, 129, 135, 143);  // both dialogs
inline constexpr QRect kChoiceBox = ltrb(43, 129, 151, 143);

// ---- fire key (704) ---------------------------------------------------------------
inline constexpr const char* kFireBackground = skin::kFireKeyDialog;
inline constexpr char kFireCaption[] = "FireKey Dialog Load background image failed!!!";
inline constexpr int kFireDisplayId = 572;
inline constexpr int kFireListId = 573;
inline constexpr int kFireSpeedId = 574;
inline constexpr int kFireTimesId = 575;
inline constexpr QRect kFireDisplay = ltrb(50, 70, 116, 84);
inline constexpr QRect kFireBox = ltrb(50, 70, 132, 84);
inline constexpr QRect kFireList = ltrb(50, 86, 132, 256);
inline constexpr QRect kFireSpeed = ltrb(50, 120, 131, 134);
inline constexpr QRect kFireTimes = ltrb(50, 170, 131, 184);
inline constexpr QRect kFireSpeedLabel = ltrb(20, 120, 50, 134);
inline constexpr QRect kFireTimesLabel = ltrb(20, 170, 50, 184);
inline constexpr QRect kFireHeading = ltrb(20, 190, 400, 206);
inline constexpr QRect kFireSpeedNote = ltrb(20, 206, 400, 222);
inline constexpr QRect kFireTimesNote = ltrb(20, 222, 400, 238);

// ---- macro key (705) ----------------------------------------------------------------
inline constexpr const char* kMacroBackground = skin::kMacroKeyDialog;
inline constexpr char kMacroCaption[] = "Macro Key Dialog Load background image failed!!!";
inline constexpr int kMacroDisplayId = 592;
inline constexpr int kMacroListId = 593;
inline constexpr QRect kMacroDisplay = ltrb(43, 129, 136, 143);
inline constexpr QRect kMacroBox = ltrb(43, 129, 151, 143);
inline constexpr QRect kMacroList = ltrb(43, 146, 151, 285);
inline constexpr QRect kMacroPrompt = ltrb(13, 113, 181, 129);
inline constexpr int kRepeatOptions = kMacroRepeatOptions;
inline constexpr QRect kRepeatTick[kRepeatOptions] = {ltrb(220, 78, 236, 94), ltrb(220, 128, 236, 144),
                                                      ltrb(220, 178, 236, 194)};
inline constexpr QRect kRepeatText[kRepeatOptions] = {ltrb(237, 70, 390, 102), ltrb(237, 120, 390, 152),
                                                      ltrb(237, 170, 390, 202)};

// ---- combo key (706) ------------------------------------------------------------------
inline constexpr const char* kComboBackground = skin::kComboKeyDialog;
inline constexpr char kComboCaption[] = "Combo Dialog Load background image failed!!!";
inline constexpr int kComboModifierDisplayId = 512;
inline constexpr int kComboModifierListId = 515;
inline constexpr int kComboKey1Id = 516;
inline constexpr int kComboKey2Id = 517;
inline constexpr QRect kComboModifierDisplay = ltrb(50, 70, 116, 84);
inline constexpr QRect kComboModifierBox = ltrb(50, 70, 132, 84);
inline constexpr QRect kComboModifierList = ltrb(50, 86, 132, 226);
inline constexpr QRect kComboKey1 = ltrb(50, 120, 131, 134);
inline constexpr QRect kComboKey2 = ltrb(50, 170, 131, 184);

// ---- delay time (707) -------------------------------------------------------------------
inline constexpr const char* kDelayBackground = skin::kDelayTimeDialog;
inline constexpr char kDelayCaption[] = "DelayTime Dialog Load background image failed!!!";
inline constexpr int kDelayBoxId = 600;
inline constexpr QRect kDelayBox = ltrb(74, 129, 150, 143);
inline constexpr QRect kDelayPrompt = ltrb(14, 89, 210, 109);
inline constexpr QRect kDelayNote = ltrb(14, 109, 210, 129);

// ---- skins dialog (708) ---------------------------------------------------------------------
inline constexpr const char* kSkinsBackground = skin::kSkinsDialog;
inline constexpr char kSkinsCaption[] = "Skins Dialog Load background image failed!!!";
inline constexpr int kSkinsNameId = 560;
inline constexpr int kSkinsSwatchId = 561;
inline constexpr int kSkinsListId = 562;
inline constexpr QRect kSkinsPrompt = ltrb(12, 64, 181, 94);
inline constexpr QRect kSkinsSwatch = ltrb(42, 94, 151, 110);
inline constexpr QRect kSkinsBox = ltrb(42, 128, 151, 144);  // click area of the skin drop-down
inline constexpr QRect kSkinsName = ltrb(42, 128, 136, 144);
inline constexpr QRect kSkinsList = ltrb(42, 146, 151, 266);

}  // namespace hm::dlg

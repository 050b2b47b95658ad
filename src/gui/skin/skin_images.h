// SPDX-License-Identifier: GPL-3.0-or-later
// The names of the skin images and the sizes of the controls drawn from them.
// Names begin with "/" and are appended to the skin folder; they are matched
// against the files of the folder without regard to letter case.
#pragma once

#include <QSize>

namespace hm::skin {

inline constexpr char kMain[] = "/main.png";
inline constexpr char kBasicBackground[] = "/BasicSet2.png";
inline constexpr char kAdvancedBackground[] = "/AdvancedSet2.png";
inline constexpr char kButtonNormal[] = "/button-normal.png";
inline constexpr char kButtonOver[] = "/button-over.png";
inline constexpr char kCloseNormal[] = "/button-close-normal.png";
inline constexpr char kCloseOver[] = "/button-close-over.png";
inline constexpr char kMinNormal[] = "/button-min-normal.png";
inline constexpr char kMinOver[] = "/button-min-over.png";
inline constexpr char kSkinsNormal[] = "/button-Skins-normal.png";
inline constexpr char kSkinsOver[] = "/button-Skins-over.png";
inline constexpr char kPrePageNormal[] = "/button-PrePage-normal.png";
inline constexpr char kPrePageOver[] = "/button-PrePage-over.png";
inline constexpr char kNextPageNormal[] = "/button-NextPage-normal.png";
inline constexpr char kNextPageOver[] = "/button-NextPage-over.png";
inline constexpr char kKeyBoxNormal[] = "/DropdownBox-normal.png";
inline constexpr char kKeyBoxOver[] = "/DropdownBox-over.png";
inline constexpr char kSmallBox[] = "/DropdownBox.png";
// The same file by the spelling the LED mode and parameter boxes use.
inline constexpr char kSmallBoxAlias[] = "/dropdownbox.png";
inline constexpr char kReportRateDark[] = "/slider-RP-dark.png";
inline constexpr char kReportRateLight[] = "/slider-RP-light.png";
inline constexpr char kDpiDark[] = "/slider-DPI-dark.png";
inline constexpr char kDpiLight[] = "/slider-DPI-light.png";
inline constexpr char kSliderDark[] = "/slider-dark.png";
inline constexpr char kSliderLight[] = "/slider-light.png";
inline constexpr char kPaneOff[] = "/Pane.png";
inline constexpr char kPaneOn[] = "/PaneMakingTick.png";
inline constexpr char kComboKeyDialog[] = "/combo-key.png";
inline constexpr char kDelayTimeDialog[] = "/delay-time.png";
inline constexpr char kFireKeyDialog[] = "/fire-key.png";
inline constexpr char kMacroKeyDialog[] = "/macro-key.png";
inline constexpr char kMediaKeyDialog[] = "/media-key.png";
inline constexpr char kSingleKeyDialog[] = "/single-key.png";
inline constexpr char kWindowsKeyDialog[] = "/windows-key.png";
inline constexpr char kSkinsDialog[] = "/skins.png";

// Every file a complete skin holds (kSmallBoxAlias is kSmallBox).
inline constexpr const char* kSkinImages[] = {
    kMain,           kBasicBackground, kAdvancedBackground, kButtonNormal,   kButtonOver,
    kCloseNormal,    kCloseOver,       kMinNormal,          kMinOver,        kSkinsNormal,
    kSkinsOver,      kPrePageNormal,   kPrePageOver,        kNextPageNormal, kNextPageOver,
    kKeyBoxNormal,   kKeyBoxOver,      kSmallBox,           kReportRateDark, kReportRateLight,
    kDpiDark,        kDpiLight,        kSliderDark,         kSliderLight,    kPaneOff,
    kPaneOn,         kComboKeyDialog,  kDelayTimeDialog,    kFireKeyDialog,  kMacroKeyDialog,
    kMediaKeyDialog, kSingleKeyDialog, kWindowsKeyDialog,   kSkinsDialog,
};

// Hit-rectangle sizes of the control kinds.
inline constexpr QSize kTextButtonSize{105, 21};
inline constexpr QSize kFrameButtonSize{18, 18};  // close, minimise, skins
inline constexpr QSize kPageTabSize{40, 40};
inline constexpr QSize kReportRateCellSize{70, 11};
inline constexpr QSize kDpiCellSize{16, 16};
inline constexpr QSize kSliderCellSize{24, 11};
inline constexpr QSize kPaneSize{16, 16};

// Window style of the drop-down lists: visible, bordered child list box that
// notifies its parent (the value the list windows are documented with).
inline constexpr unsigned kDropDownListStyle = 0x50800001u;

}  // namespace hm::skin

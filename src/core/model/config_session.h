// SPDX-License-Identifier: GPL-3.0-or-later
// ConfigSession: the configuration of one run, as the main window and
// hidmousectl both hold it: the working MouseConfig (edited, sent by
// "Apply"), the saved copy (taken after loading and after every Apply,
// restored by "Cancel"), the 24 button texts, the first-run flag of
// config.bin, the data paths and the language of the str.ini section.
//
//   load()              config.bin → working record and first-run flag,
//                       the saved copy, then str.ini → button texts (and
//                       the skin settings, kept for the window)
//   runFirstRunAction() the factory names of buttons 1..8, written to
//                       str.ini at once, on a factory config.bin only
//   applyToMouse(link)  encode → send (DeviceLink) → config.bin → button
//                       texts; the files are saved whatever the mouse did;
//                       then saved = working
//   cancel()            working = saved
// No Qt; the messages of the settings files go through the sink it is given.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "core/device/device_link.h"
#include "core/settings/button_texts.h"
#include "core/settings/config_file.h"
#include "core/settings/data_paths.h"
#include "core/settings/language.h"
#include "core/settings/message_sink.h"
#include "core/settings/mouse_config.h"
#include "core/settings/settings_ini.h"

namespace hm {

class UiTexts;

// Shown when str.ini could not take the button texts at the end of an Apply.
inline constexpr char kButtonTextsSaveFailedText[] = "The button texts could not be saved to str.ini.";

// What one Apply achieved: each part with the Error that stopped it.
struct ApplyResult {
  std::optional<ExchangeFailure> deviceFailure;  // the first exchange the mouse did not take
  Status configSave;                             // writing config.bin
  Status textsSave;                              // writing the button texts to str.ini

  bool mouseTookAll() const { return !deviceFailure; }
  bool saved() const { return configSave.ok() && textsSave.ok(); }
};

// The texts the first-run action gives buttons 1..8 of both modes: the
// language's "Left Click", "Right Click", "Mid Click", "Forward",
// "Backward", then "DPI +", "DPI -" (fixed English), then "Key Off".
std::array<std::string, kFirstRunSlots> firstRunTexts(const UiTexts& ui);

class ConfigSession {
 public:
  // The sink must outlive the session.
  ConfigSession(DataPaths paths, Language language, MessageSink& sink);

  // Reads config.bin into the working record and the first-run flag (a
  // missing file is reported through the sink; a missing or unusable file
  // leaves the record zero and the flag 0), takes the saved copy, then reads
  // the button texts and skin settings of str.ini. Returns whether config.bin
  // was read; loaded() is true afterwards either way.
  bool load(const ConfigLog& log = {});
  bool loaded() const { return loaded_; }

  // The first-run action: when the flag read from config.bin is 0, slots
  // 0..7 of both modes get firstRunTexts(ui) (slots 8..11 keep theirs) and
  // the button texts are written to str.ini. The in-memory flag stays 0, so
  // the action runs again at the next start until an Apply has written
  // config.bin. With `save` false (a run that must write nothing) the texts
  // change in memory only. Returns whether it ran.
  bool runFirstRunAction(const UiTexts& ui, bool save = true);
  // Writes the button texts to str.ini (the first-run action's, when a start
  // writes them after its first display); on success they are the saved
  // texts. Returns whether they were written.
  bool saveButtonTexts();

  // "Apply": the working record is encoded for the link's active sensor type
  // and sent; then config.bin and the button texts are saved, also when the
  // mouse failed; then the saved copy becomes the working record. A failed
  // save is reported through the sink (config.bin by its own messages, the
  // texts by kButtonTextsSaveFailedText).
  ApplyResult applyToMouse(DeviceLink& link);
  // The files of an Apply without the mouse (hidmousectl's set): config.bin
  // with first-run flag 1, then the button texts; failures are reported as
  // applyToMouse reports them. The saved copy becomes the working record.
  // Returns configSave and textsSave as ApplyResult holds them.
  ApplyResult save();
  // "Cancel": the working record goes back to the saved copy.
  void cancel() { working_ = saved_; }

  // Whether the record or the button texts differ from what was last
  // loaded or saved.
  bool hasUnsavedEdits() const { return working_ != saved_ || buttonTexts_ != savedTexts_; }
  // Brings in what another program saved since the last load or save: the
  // record and the button texts become a three-way merge (three_way_merge.h)
  // of the saved copy, the working copy and the files as they are now, the
  // macro images are rebuilt from record.ini as it is now, and the saved
  // copy becomes the files' record. Without a readable config.bin nothing
  // changes.
  void mergeFiles();
  // The button texts as str.ini holds them (after a Cancel).
  void reloadButtonTexts();

  MouseConfig& working() { return working_; }
  const MouseConfig& working() const { return working_; }
  MouseConfig& saved() { return saved_; }
  const MouseConfig& saved() const { return saved_; }
  ButtonTexts& buttonTexts() { return buttonTexts_; }
  const ButtonTexts& buttonTexts() const { return buttonTexts_; }
  std::uint8_t firstRunFlag() const { return firstRunFlag_; }
  const SkinSettings& skinSettings() const { return skin_; }  // as load() read them
  const DataPaths& paths() const { return paths_; }
  Language language() const { return language_; }

 private:
  DataPaths paths_;
  Language language_;
  MessageSink& sink_;
  MouseConfig working_{};
  MouseConfig saved_{};
  ButtonTexts buttonTexts_;
  ButtonTexts savedTexts_;  // as last loaded or saved
  std::uint8_t firstRunFlag_ = 0;
  SkinSettings skin_;
  bool loaded_ = false;
};

}  // namespace hm

// SPDX-License-Identifier: GPL-3.0-or-later
// What the pages and panels of the main window share with it: the
// configuration session with the records they edit, the texts, the device
// link, the skin, the message sink and the window's drawing services.
// CHidMouseDlg owns every object referred to here and outlives the pages; a
// page keeps a reference to the context it was built with and never stores
// copies of what it refers to.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "core/settings/language.h"
#include "gui/dialogs/dialog_messages.h"

class QWidget;
class QImage;

namespace hm {

struct MouseConfig;
struct ButtonTexts;
struct DataPaths;
class UiTexts;
class DeviceLink;
class ConfigSession;
class SkinLibrary;
struct SkinStyle;
class CMemDC;
class MessageSink;
class ColorChooser;     // gui/dialogs/color_chooser.h
class DialogRunner;     // gui/dialogs/dialog_runner.h
class PointerSettings;  // platform/pointer_settings.h

// Values of CurrentPage.
enum PageId : int { kNoPage = 0, kBasicPage = 1, kAdvancedPage = 2 };

// The main window's services to its pages. Implemented by CHidMouseDlg.
class FrameHost {
 public:
  virtual ~FrameHost() = default;

  // CurrentPage: kNoPage before the first page and inside a forced refresh.
  virtual int currentPage() const = 0;
  // 1 while the mouse's command collection is open.
  virtual bool deviceOpen() const = 0;

  // The persistent picture of the window; nullptr when the skin has no
  // "/main.png" (then nothing is painted).
  virtual QImage* canvas() = 0;
  // Begins a (partial or full) redraw: a CMemDC over the whole client area
  // with the canvas selected. Draw through it; destroying it puts the client
  // area on screen in one copy. nullptr when there is no canvas.
  virtual std::unique_ptr<CMemDC> beginDraw() = 0;

  // The frame, drawn by every page painter after its background. The parts
  // exist separately so a page can interleave its own images and texts in
  // its documented order; drawFrame() runs the four parts in this order:
  //   drawFrameButtons  skins, minimise, close, OK, Apply, Cancel images (normal)
  //   drawPageTabs      Basic and Advanced tab images (normal)
  //   drawPageTitle     the current page's title, title font, white
  //   drawFrameTexts    the web-address link and the OK, Apply, Cancel labels
  // Drawing a frame control in its normal state clears its hover flag.
  virtual void drawFrameButtons(CMemDC&) = 0;
  virtual void drawPageTabs(CMemDC&) = 0;
  virtual void drawPageTitle(CMemDC&) = 0;
  virtual void drawFrameTexts(CMemDC&) = 0;
  virtual void drawFrame(CMemDC&) = 0;

  // The page model.
  virtual void showBasicPage() = 0;
  virtual void showAdvancedPage() = 0;
  virtual void refreshCurrentPage() = 0;
  // Hides the main window (it stays reachable from the tray; where the
  // desktop has no tray it is minimised instead).
  virtual void hideWindow() = 0;
  // Runs `work` once the window's first picture is on screen, so that a
  // file written at the start does not keep the window waiting for the
  // disk; from the event loop at once when the window is not being shown.
  // Work still waiting when the program is told to end is dropped (an exit
  // writes no file).
  virtual void afterFirstPaint(std::function<void()> work) = 0;
};

struct AppContext {
  ConfigSession& session;    // the records, the button texts, the first-run flag and action
  MouseConfig& working;      // session.working(): edited by the pages, sent by OK / Apply
  MouseConfig& saved;        // session.saved(): taken after loading and OK / Apply, restored by Cancel
  ButtonTexts& buttonTexts;  // session.buttonTexts(): display texts of the key boxes (str.ini)
  const UiTexts& ui;         // texts of the chosen language
  Language language;
  const DataPaths& paths;  // config.bin, str.ini, record.ini
  DeviceLink& device;
  SkinLibrary& skins;     // images of the current skin
  SkinStyle& style;       // fonts and skin text colour
  MessageSink& messages;  // modal message boxes owned by the main window
  FrameHost& frame;
  QWidget* mainWindow;                         // parent of every child list, edit and swatch
  ColorChooser* colorChooser = nullptr;        // set by the window; tests replace it
  DialogRunner* dialogRunner = nullptr;        // set by the window; tests replace it
  PointerSettings* pointerSettings = nullptr;  // the desktop's; set by the window; tests replace it
  // Message boxes owned by the assignment dialog that raises them; empty
  // (tests with their own sink): `messages`.
  OwnedMessageSinks dialogMessages = {};

  int currentPage() const { return frame.currentPage(); }
  bool deviceOpen() const { return frame.deviceOpen(); }
};

}  // namespace hm

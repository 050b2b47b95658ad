// SPDX-License-Identifier: GPL-3.0-or-later
// CHidMouseDlg: the main window. A frameless tool window (no taskbar button)
// showing the canvas, the frame and one of two pages; it owns the page model
// (CurrentPage, ShowBasicPage, ShowAdvancedPage, LeavePage,
// RefreshCurrentPage), the click dispatcher, window dragging, the message
// pre-filter, OK / Apply / Cancel and the tray icon. Hover highlighting is
// its HoverTracker (hover_tracker.h), the mouse with the device-change
// monitor and the notification reader its DeviceSession (device_session.h).
//
// Start-up (init) runs, in order: window icon, fonts, texts, tray icon,
// openMouse, the reader thread (let run when the mouse is open), the device
// monitor, config.bin (then the saved copy), str.ini, the skin folder and
// the window's size from "/main.png", the text colour, and the Basic page
// when the mouse is open. The picture of "/main.png" becomes the canvas when
// something shows or draws on it before a page covered it (a page whose
// opaque background covers the window hides it: it is never decoded). The
// Basic page's background decodes on a worker while the fonts are made. The window stays hidden; the tray
// shows it. Where the desktop has no tray the window is shown at start, keeps a taskbar button, and minimises
// where it would hide.
#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/model/tray_balloons.h"
#include "core/settings/button_texts.h"
#include "core/settings/data_paths.h"
#include "core/settings/language.h"
#include "core/settings/mouse_config.h"
#include "core/settings/ui_text.h"
#include "gui/app/app_context.h"
#include "gui/app/device_session.h"
#include "gui/app/frame.h"
#include "gui/app/hover_tracker.h"
#include "gui/app/page.h"
#include "gui/skin/skin_library.h"
#include "gui/skin/skin_text.h"

class QFileSystemWatcher;
class QTimer;

namespace hm {

class CMemDC;
class ConfigSession;
class StartPicture;
class HidBackend;
class Sleeper;
class PlasmaTaskbarHint;
class Tray;
class TrayIconBackend;
class ColorChooser;
class DialogRunner;
class MessageBoxSink;
class PointerSettings;
class NotificationServer;
class DesktopNotices;

inline constexpr char kWindowClassName[] = "GS_ORVEXClass";
inline constexpr char kWarningCaption[] = "Warning";

using PageFactory = std::function<std::unique_ptr<Page>(AppContext&)>;

struct DlgOptions {
  DataPaths paths;        // config.bin, str.ini, record.ini
  QString cacheFolder;    // decoded skin images and fitted font sizes kept between runs; empty: none
  QStringList skinRoots;  // folders of one subfolder per skin, the user's own first
  Language language = Language::English;
  HidBackend* backend = nullptr;                // not owned; required
  MessageSink* messages = nullptr;              // nullptr: message boxes owned by the window
  std::unique_ptr<TrayIconBackend> tray;        // nullptr: the desktop's tray
  Sleeper* sleeper = nullptr;                   // nullptr: real pauses
  ColorChooser* colorChooser = nullptr;         // nullptr: the standard colour dialog
  DialogRunner* dialogRunner = nullptr;         // nullptr: modal exec()
  PointerSettings* pointerSettings = nullptr;   // the desktop's; nullptr: kept for the run
  NotificationServer* notifications = nullptr;  // the desktop's; nullptr: the tray's balloons
  PageFactory basicPage;                        // empty: BasicPage
  PageFactory advancedPage;                     // empty: AdvancedPage
  std::function<void(int code)> exitProcess;    // empty: QCoreApplication::exit
  std::function<void(const QString&)> openUrl;  // empty: QDesktopServices
  std::function<void(const std::string&)> log;  // diagnostic lines (--verbose); may be empty
};

class CHidMouseDlg : public QWidget, public FrameHost {
  Q_OBJECT
 public:
  explicit CHidMouseDlg(DlgOptions options);
  ~CHidMouseDlg() override;

  // The start-up steps after the single-instance guard. False when an
  // initialisation step failed (the window still runs, without the later
  // steps), or when "Exit" was chosen while a start-up message was open
  // (shutDown() is then true and the event loop must not be entered).
  bool init();

  // ---- FrameHost ----
  int currentPage() const override { return currentPage_; }
  bool deviceOpen() const override;
  QImage* canvas() override;
  std::unique_ptr<CMemDC> beginDraw() override;
  void drawFrameButtons(CMemDC& dc) override;
  void drawPageTabs(CMemDC& dc) override;
  void drawPageTitle(CMemDC& dc) override;
  void drawFrameTexts(CMemDC& dc) override;
  void drawFrame(CMemDC& dc) override;
  void showBasicPage() override;
  void showAdvancedPage() override;
  void refreshCurrentPage() override;
  void hideWindow() override;
  void afterFirstPaint(std::function<void()> work) override;

  // ---- Commands ----
  void okAction();
  void applyAction();
  void cancelAction();
  // The tray's show command: warns while the mouse is missing, refreshes
  // after Cancel, paints the Basic page the first time, shows the window.
  // Nothing while the start-up is still running (inside a start-up message).
  void showFromTray();
  // A start of the program while this copy runs (or the desktop's
  // activation): show and raise the window, whether or not the mouse is
  // there; asked while init() runs, once init() is over. token: the
  // compositor's activation token, if any.
  void activate(const QString& token);
  // A tray that appeared after the start now shows the icon.
  void onTrayAppeared();
  // A device event (reader types 5, 7, 8, 9; type 15) as a balloon.
  void onDeviceEvent(int type, int value);
  // The "not detected" balloon, unless it is one more of an unplug that
  // has warned already (core/model/tray_balloons.h).
  void warnMouseMissing(MissingMouseWarnings::Source source);
  // Close button and tray "Exit": stops the reader, closes the mouse,
  // removes the tray icon, ends the process with code 0. Nothing is saved.
  void shutdown();
  // A skin chosen in the skins dialog: stores it in str.ini, switches the
  // library to its folder (by default the first of that name in the skin roots)
  // and repaints the page.
  void applySkinChoice(const QString& skinName, QColor textColour);
  // The folders the skins come from, the user's own first (a name found
  // there wins); what the skins dialog lists.
  const QStringList& skinRoots() const { return options_.skinRoots; }
  void applySkinChoice(const QString& skinName, const QString& skinFolder, QColor textColour);
  // What the skins button runs (returns after it ends); by default the skins
  // dialog through the context's dialog runner and colour chooser, which
  // applies the choice on OK.
  void setSkinsDialog(std::function<void()> run) { runSkinsDialog_ = std::move(run); }
  // The skin name in use: str.ini's "Path" as read, then the last one chosen.
  const QString& skinName() const { return skinName_; }
  // Applies the pointer settings of the record after OK / Apply; by default
  // hands them to the context's pointer settings.
  void setPointerSettingsApplier(std::function<void(const MouseConfig&)> apply) {
    applyPointerSettings_ = std::move(apply);
  }
  // Shown by the tray or --show: the first show centres the window.
  void showWindow();

  // ---- State, for the application and the tests ----
  AppContext& context() { return *ctx_; }
  Page* page(PageId id) const;
  Tray& tray() { return *tray_; }
  DeviceLink& link() { return device_->link(); }
  DeviceSession& device() { return *device_; }
  HoverTracker& hover() { return *hover_; }
  bool basicPageShown() const { return basicShown_; }
  bool refreshOnShow() const { return refreshOnShow_; }
  bool shutDown() const { return shutDown_; }
  bool dragging() const { return dragging_; }
  QPoint lastClick() const { return lastClick_; }
  ConfigSession& session() { return *session_; }
  const MouseConfig& working() const;
  MouseConfig& workingConfig();
  const MouseConfig& saved() const;
  const ButtonTexts& buttonTexts() const;
  const SkinStyle& style() const { return style_; }
  SkinLibrary& skins() { return skins_; }
  const UiTexts& texts() const { return texts_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void dispatchClick(QPoint p);
  void startDrag(QPoint globalPos);
  Page* current() const;
  void leavePage();
  void paintPage(Page& page);
  // The picture of "/main.png" as canvas, when it is still to be made.
  void makeCanvas();
  // Whether the page's paint starts with an opaque image over the whole canvas.
  bool coversCanvas(const Page& page);
  // Takes the window's device pixel ratio when it changed (another screen,
  // another scale): the picture is drawn again at the new one, so text and
  // lines stay sharp. Layout and hit tests stay in window pixels.
  void followScale();
  void openLink();
  // What the tray's show command does before showing: the refresh after
  // Cancel, or the Basic page's first paint.
  void prepareShow();
  // Reads the key names back and repaints the page shown from the record.
  void showStoredValues();
  bool isOwnWidget(QObject* watched) const;
  void runSkinsDialog();
  void logLine(const std::string& line);
  // Following the data folder: a change saved by another program is loaded
  // and shown while the window has no unsaved edits (with edits, Apply
  // merges it in). The window's own saves do not count as changes.
  void watchDataFolder();
  void dataFolderChanged();
  // The three files as they are now, and as the window last read or wrote them.
  std::string dataFiles() const;
  std::string lastDataFiles_;
  QFileSystemWatcher* folderWatcher_ = nullptr;
  QTimer* folderSettle_ = nullptr;
  // A start-up step's diagnostic line, with the time since the exec.
  void logStep(const char* what);

  DlgOptions options_;
  std::unique_ptr<MessageBoxSink> ownSink_;
  MessageSink* messages_ = nullptr;
  std::unique_ptr<Sleeper> ownSleeper_;
  std::unique_ptr<ColorChooser> ownChooser_;
  std::unique_ptr<DialogRunner> ownRunner_;
  std::unique_ptr<PointerSettings> ownPointer_;

  std::unique_ptr<ConfigSession> session_;
  UiTexts texts_;
  SkinLibrary skins_;
  SkinStyle style_;
  QImage canvas_;
  bool canvasPending_ = false;  // canvas_ is still to be made from "/main.png"

  std::unique_ptr<DeviceSession> device_;
  std::unique_ptr<Tray> tray_;
  // Under KWin's Wayland session: the window off the taskbar while it lives
  // in the tray (made at the first show).
  std::unique_ptr<PlasmaTaskbarHint> taskbarHint_;
  bool taskbarHintTried_ = false;
  std::unique_ptr<DesktopNotices> notices_;
  std::unique_ptr<AppContext> ctx_;
  std::unique_ptr<Frame> frame_;
  std::unique_ptr<HoverTracker> hover_;
  std::unique_ptr<Page> basic_;
  std::unique_ptr<Page> advanced_;

  int currentPage_ = kNoPage;
  bool basicShown_ = false;
  bool advancedShown_ = false;
  bool refreshOnShow_ = false;
  MissingMouseWarnings missingWarnings_;
  bool shownOnce_ = false;
  std::unique_ptr<FontSizeCache> fontSizes_;
  // The fonts made again from their checked sizes, before the first drawing
  // (the window's fonts are made from the kept sizes without loading them).
  void checkFonts();
  // The Basic page's picture kept between runs (start_picture.h): shown by a
  // start whose key matches, the page being drawn right after the first paint.
  std::unique_ptr<StartPicture> startPicture_;
  QByteArray startPictureKey() const;
  // The stored picture in place of the Basic page, when there is one for key.
  bool showStartPicture(const QByteArray& key);
  // The Basic page drawn over the picture shown in its place; the screen and
  // the stored picture change where the two differ. Before any input is handled.
  void drawOverStartPicture();
  bool pictureShown_ = false;  // the canvas is the stored picture
  bool startPictureTried_ = false;
  bool painted_ = false;  // the first paint was logged
  std::vector<std::function<void()>> afterFirstPaint_;
  void runAfterFirstPaint();
  bool shutDown_ = false;
  bool starting_ = false;  // init() is running
  // An activation that came while init() ran, answered once it is over.
  std::optional<QString> pendingActivation_;
  bool trayless_ = false;  // the desktop has no tray: minimise instead of hiding
  QString skinName_;
  std::function<void()> runSkinsDialog_;
  std::function<void(const MouseConfig&)> applyPointerSettings_;

  // Click and drag.
  QPoint lastClick_;
  bool lastClickStartsDrag_ = false;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace hm

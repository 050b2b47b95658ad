// SPDX-License-Identifier: GPL-3.0-or-later
#include "gui/app/hid_mouse_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QFileSystemWatcher>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>
#include <QUrl>
#include <QWindow>
#include <utility>

#include "core/device/device_link.h"
#include "core/device/sleeper.h"
#include "core/model/config_session.h"
#include "core/model/pointer_settings_logic.h"
#include "core/model/tray_balloons.h"
#include "core/settings/folder_transaction.h"
#include "core/settings/profile_file.h"
#include "core/settings/regular_file.h"
#include "core/settings/settings_ini.h"
#include "core/wire/protocol.h"
#include "gui/app/advanced_page.h"
#include "gui/app/basic_layout.h"
#include "gui/app/basic_page.h"
#include "gui/app/desktop_notifications.h"
#include "gui/app/message_box_sink.h"
#include "gui/app/plasma_taskbar.h"
#include "gui/app/pointer_buttons.h"
#include "gui/app/start_picture.h"
#include "gui/app/startup_clock.h"
#include "gui/app/tray.h"
#include "gui/dialogs/color_chooser.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/dialogs/skins_dialog.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_folder.h"
#include "gui/skin/skin_images.h"
#include "platform/pointer_settings.h"

namespace hm {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Who holds the data folder, for a program that has to wait for it.
constexpr char kProgramName[] = "hidmouse";
// How long the folder must be quiet after a change before it is looked at.
constexpr int kFolderSettleMs = 150;
// More than any settings file the window would load.
constexpr std::size_t kMaxWatchedFileBytes = std::size_t{64} << 20;
// The desktop entry's Name: notifications are sent in it.
constexpr char kDesktopEntryName[] = "Gaming Mouse Setting";

}  // namespace

CHidMouseDlg::CHidMouseDlg(DlgOptions options)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool),
      options_(std::move(options)),
      texts_(options_.language) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  // Frameless, so no caption is drawn; where a desktop lists the window by
  // name it is the program's (an empty title would show the window class).
  setWindowTitle(QString::fromLatin1(kApplicationName));

  if (options_.messages != nullptr) {
    messages_ = options_.messages;
  } else {
    ownSink_ = std::make_unique<MessageBoxSink>(this);
    messages_ = ownSink_.get();
  }
  Sleeper* sleeper = options_.sleeper;
  if (sleeper == nullptr) {
    ownSleeper_ = std::make_unique<RealSleeper>();
    sleeper = ownSleeper_.get();
  }
  ColorChooser* chooser = options_.colorChooser;
  if (chooser == nullptr) {
    ownChooser_ = std::make_unique<DialogColorChooser>();
    chooser = ownChooser_.get();
  }
  DialogRunner* runner = options_.dialogRunner;
  if (runner == nullptr) {
    ownRunner_ = std::make_unique<ModalDialogRunner>();
    runner = ownRunner_.get();
  }
  PointerSettings* pointer = options_.pointerSettings;
  if (pointer == nullptr) {
    ownPointer_ = std::make_unique<KeptPointerSettings>();
    pointer = ownPointer_.get();
  }

  style_.skins = &skins_;
  skins_.setScale(devicePixelRatioF());
  if (!options_.cacheFolder.isEmpty()) {
    skins_.setImageCache(options_.cacheFolder);
    fontSizes_ = std::make_unique<FontSizeCache>(options_.cacheFolder + QStringLiteral("/font-sizes"));
    fontSizes_->setTrusting(true);
    style_.fontSizes = fontSizes_.get();
    startPicture_ = std::make_unique<StartPicture>(options_.cacheFolder + QStringLiteral("/start-picture"));
  }
  // The Basic page's background, the one large image of the first paint,
  // decodes on another core while the fonts are made (the skin's name is read
  // ahead from str.ini for it; the settings are read in their place later).
  skins_.prefetch(skinFolderPath(options_.skinRoots,
                                 qs(profile::getString(options_.paths.strIni, kSkinsSection, kSkinPathKey))),
                  {QString::fromLatin1(basic::kBackgroundImage)});
  style_.fonts = SkinFonts::forLanguage(options_.language, style_.fontSizes);
  setFont(style_.fonts.normal);

  device_ = std::make_unique<DeviceSession>(*options_.backend, *messages_, *sleeper, options_.log);
  using Warning = MissingMouseWarnings::Source;
  device_->setHandlers({[this](int type, int value) {
                          if (type == proto::kEventMouseMissing)
                            warnMouseMissing(Warning::Mouse);
                          else
                            onDeviceEvent(type, value);
                        },
                        [this] {
                          warnMouseMissing(Warning::Removal);
                          hideWindow();
                        },
                        [this] { return basicShown_; }, [this] { missingWarnings_.mouseOpened(); }});

  session_ = std::make_unique<ConfigSession>(options_.paths, options_.language, *messages_);
  ConfigSession& cs = *session_;
  ctx_ = std::make_unique<AppContext>(AppContext{cs, cs.working(), cs.saved(), cs.buttonTexts(), texts_,
                                                 options_.language, cs.paths(), device_->link(), skins_,
                                                 style_, *messages_, *this, this, chooser, runner, pointer});
  // OK and Apply hand the record's pointer settings to the desktop, whether
  // or not the Advanced page was ever shown.
  applyPointerSettings_ = [this](const MouseConfig& c) {
    applyPointerValues(*ctx_->pointerSettings, pointerValuesFor(c), *messages_);
  };
  if (ownSink_) ctx_->dialogMessages = [](QWidget* owner) { return std::make_unique<MessageBoxSink>(owner); };
  frame_ = std::make_unique<Frame>(texts_, style_);
  hover_ = std::make_unique<HoverTracker>(*frame_, *this, [this] { return current(); });
  basic_ = options_.basicPage ? options_.basicPage(*ctx_) : std::make_unique<BasicPage>(*ctx_);
  advanced_ = options_.advancedPage ? options_.advancedPage(*ctx_) : std::make_unique<AdvancedPage>(*ctx_);

  runSkinsDialog_ = [this] { runSkinsDialog(); };

  if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
}

CHidMouseDlg::~CHidMouseDlg() {
  if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
  // The same teardown as shutdown(), without ending the process.
  device_->stop();
  if (tray_) tray_->remove();
  if (options_.notifications != nullptr) options_.notifications->closed = nullptr;
  advanced_.reset();
  basic_.reset();
}

bool CHidMouseDlg::init() {
  // The start-up messages run events; until the start is over the tray's
  // show command must not paint a page from a record not yet read.
  starting_ = true;
  struct StartOver {
    CHidMouseDlg& dlg;
    ~StartOver() {
      dlg.starting_ = false;
      // Answered from the event loop, once the caller has finished the start.
      if (dlg.pendingActivation_)
        QTimer::singleShot(0, &dlg, [&d = dlg, token = *std::exchange(dlg.pendingActivation_, std::nullopt)] {
          d.activate(token);
        });
    }
  } startOver{*this};

  // Window icon; fonts and texts are chosen at construction.
  const QIcon icon = applicationIcon();
  setWindowIcon(icon);

  // Tray icon.
  std::unique_ptr<TrayIconBackend> trayBackend =
      options_.tray ? std::move(options_.tray) : std::make_unique<SystemTrayBackend>();
  tray_ = std::make_unique<Tray>(std::move(trayBackend), qs(texts_.get(TextId::Exit)), icon);
  connect(tray_.get(), &Tray::showRequested, this, &CHidMouseDlg::showFromTray);
  connect(tray_.get(), &Tray::exitRequested, this, &CHidMouseDlg::shutdown);
  connect(tray_.get(), &Tray::appeared, this, &CHidMouseDlg::onTrayAppeared);
  tray_->add();
  logStep("tray icon");
  // The mouse's events: desktop notifications where a server answers, else
  // the tray's balloons.
  NotificationServer* server = options_.notifications;
  notices_ = std::make_unique<DesktopNotices>(
      server,
      NotificationSender{QString::fromLatin1(kDesktopEntryName), QStringLiteral(HM_DESKTOP_ID),
                         QStringLiteral(HM_DESKTOP_ID)},
      [this](const Balloon& b) {
        if (tray_) tray_->showBalloon(b);
      });
  if (server != nullptr) server->closed = [this](quint32 id) { notices_->closed(id); };
  // Without a tray nothing could bring a hidden window back: the window then
  // keeps a taskbar button and what would hide it minimises it instead.
  trayless_ = !tray_->available();
  if (trayless_) setWindowFlag(Qt::Tool, false);

  // The mouse.
  if (!device_->openMouse()) {
    // A mouse that is there but whose nodes may not be opened is named as such.
    const auto& denied = device_->link().permissionProblem();
    messages_->showMessage(denied ? *denied : texts_.get(TextId::MouseNotDetected), kWarningCaption);
  }
  // A message box runs events: the tray's "Exit" may have ended the run.
  if (shutDown_) return false;
  // The reader thread, held until the mouse is open; device arrival and removal.
  logStep("mouse opened");
  if (!device_->startReader() || !device_->startMonitor()) return false;
  logStep("reader and device monitor");

  // Settings files, read while no other program writes them.
  {
    const FolderHold hold(options_.paths, FolderAccess::Read, kProgramName);
    if (!hold.status()) logLine(hold.failureText() + "\n");
    session_->load([this](const std::string& line) { logLine(line); });
    lastDataFiles_ = dataFiles();
  }
  watchDataFolder();
  if (shutDown_) return false;
  logStep("settings files");
  const SkinSettings& skin = session_->skinSettings();

  // Skin folder, window size, text colour. The window takes the size
  // "/main.png" announces; its picture becomes the canvas when something
  // shows or draws on the canvas before a page has covered it.
  skinName_ = qs(skin.path);
  skins_.setSkinFolder(skinFolderPath(options_.skinRoots, skinName_));
  const QSize mainSize = announcedImageSize(skins_.resolve(QString::fromLatin1(skin::kMain)));
  canvasPending_ = mainSize.isValid() && !mainSize.isEmpty();
  setFixedSize(canvasPending_ ? mainSize : QSize(0, 0));
  style_.textColor = QColor(colourByteFromText(skin.rColor), colourByteFromText(skin.gColor),
                            colourByteFromText(skin.bColor));
  logStep("canvas");

  if (deviceOpen()) {
    showBasicPage();
    logStep("Basic page drawn");
  }
  return !shutDown_;
}

// ---------------------------------------------------------------- FrameHost

bool CHidMouseDlg::deviceOpen() const { return device_->deviceOpen(); }

const MouseConfig& CHidMouseDlg::working() const { return session_->working(); }
MouseConfig& CHidMouseDlg::workingConfig() { return session_->working(); }
const MouseConfig& CHidMouseDlg::saved() const { return session_->saved(); }
const ButtonTexts& CHidMouseDlg::buttonTexts() const { return session_->buttonTexts(); }

QImage* CHidMouseDlg::canvas() {
  makeCanvas();
  return canvas_.isNull() ? nullptr : &canvas_;
}

void CHidMouseDlg::makeCanvas() {
  if (!canvasPending_) return;
  canvasPending_ = false;
  canvas_ = loadCanvas(skins_, devicePixelRatioF());
  // A file whose picture cannot be decoded after all leaves no canvas.
  setFixedSize(canvas_.deviceIndependentSize().toSize());
}

bool CHidMouseDlg::coversCanvas(const Page& page) {
  const char* name = page.backgroundImage();
  const SkinImage* background = name != nullptr ? skins_.image(QString::fromLatin1(name)) : nullptr;
  return background != nullptr && !background->hasAlpha && background->logicalSize().width() >= width() &&
         background->logicalSize().height() >= height();
}

void CHidMouseDlg::followScale() {
  const qreal scale = devicePixelRatioF();
  if (scale == skins_.scale()) return;
  skins_.setScale(scale);
  // Nothing drawn yet, or no "/main.png" to draw on.
  if (canvasPending_ || canvas_.isNull()) return;
  canvasPending_ = true;
  const bool shown = currentPage_ == kBasicPage ? basicShown_ : advancedShown_;
  if (Page* page = current(); page != nullptr && shown)
    paintPage(*page);
  else
    makeCanvas();
}

std::unique_ptr<CMemDC> CHidMouseDlg::beginDraw() {
  checkFonts();
  makeCanvas();
  if (canvas_.isNull()) return nullptr;
  return std::make_unique<CMemDC>(this, canvas_);
}

void CHidMouseDlg::drawFrameButtons(CMemDC& dc) {
  frame_->drawButtons(dc);
  hover_->frameDrawnNormal({kFrameSkins, kFrameMinimise, kFrameClose, kFrameOk, kFrameApply, kFrameCancel});
}

void CHidMouseDlg::drawPageTabs(CMemDC& dc) {
  frame_->drawTabs(dc);
  hover_->frameDrawnNormal({kFrameBasicTab, kFrameAdvancedTab});
}

void CHidMouseDlg::drawPageTitle(CMemDC& dc) { frame_->drawTitle(dc, currentPage_); }

void CHidMouseDlg::drawFrameTexts(CMemDC& dc) { frame_->drawTexts(dc); }

void CHidMouseDlg::drawFrame(CMemDC& dc) {
  drawFrameButtons(dc);
  drawPageTabs(dc);
  drawPageTitle(dc);
  drawFrameTexts(dc);
}

Page* CHidMouseDlg::page(PageId id) const {
  if (id == kBasicPage) return basic_.get();
  if (id == kAdvancedPage) return advanced_.get();
  return nullptr;
}

Page* CHidMouseDlg::current() const { return page(static_cast<PageId>(currentPage_)); }

void CHidMouseDlg::leavePage() {
  // Judged by the page being entered, already stored in CurrentPage.
  hover_->pageLeft();
  if (currentPage_ == kAdvancedPage && basic_)
    basic_->leave();
  else if (currentPage_ == kBasicPage && advanced_)
    advanced_->leave();
}

void CHidMouseDlg::paintPage(Page& page) {
  pictureShown_ = false;  // drawn for real from here
  // The start's own paint of the Basic page: the stored picture when there is
  // one for this key, else the page drawn and its picture stored.
  const bool atStart =
      startPicture_ && starting_ && !painted_ && !startPictureTried_ && page.id() == kBasicPage;
  startPictureTried_ = startPictureTried_ || atStart;
  // A page's first show may make controls with the window's fonts.
  if (!atStart) checkFonts();
  bool& shown = page.id() == kBasicPage ? basicShown_ : advancedShown_;
  if (!shown) {
    shown = true;
    page.firstShow();
  }
  if (atStart && showStartPicture(startPictureKey())) return;
  // A page whose opaque background covers the whole canvas hides the
  // picture of "/main.png": it need not be decoded.
  if (canvasPending_ && coversCanvas(page)) {
    canvasPending_ = false;
    canvas_ = blankCanvas(size(), devicePixelRatioF());
  }
  if (auto dc = beginDraw()) page.paint(*dc);
  // The canvas holds the background now; no partial redraw draws it again.
  skins_.releaseLargeImages();
  // Kept for the next start once this one is on the screen, under the key
  // of what it was drawn with (the font sizes fitted while drawing included).
  if (atStart && !canvas_.isNull())
    afterFirstPaint([store = startPicture_.get(), key = startPictureKey(), picture = canvas_] {
      store->store(key, picture);
    });
}

void CHidMouseDlg::checkFonts() {
  if (!fontSizes_ || !fontSizes_->trusting()) return;
  fontSizes_->setTrusting(false);
  style_.fonts = SkinFonts::forLanguage(options_.language, fontSizes_.get());
  setFont(style_.fonts.normal);
}

QByteArray CHidMouseDlg::startPictureKey() const {
  StartPictureKey key;
  // The program and the toolkit that draw; the screen's scale and resolution.
  key.addFileStamp(QCoreApplication::applicationFilePath()).add(QString::fromLatin1(qVersion()));
  key.add(QGuiApplication::platformName()).add(static_cast<double>(devicePixelRatioF()));
  key.add(static_cast<qint64>(logicalDpiX())).add(static_cast<qint64>(logicalDpiY()));
  key.add(static_cast<qint64>(width())).add(static_cast<qint64>(height()));
  // What the page shows: language, the settings files as read, the sensor.
  key.add(static_cast<qint64>(options_.language)).add(lastDataFiles_);
  key.add(static_cast<qint64>(device_->link().activeSensorType()));
  // What it is drawn with: the skin's files and the fonts' fitted sizes.
  for (const QString& root : options_.skinRoots) key.add(root);
  key.add(skins_.skinFolder()).addFolder(skins_.skinFolder());
  key.add(fontSizes_ ? fontSizes_->contents() : QByteArray());
  return key.digest();
}

bool CHidMouseDlg::showStartPicture(const QByteArray& key) {
  std::optional<QImage> picture = startPicture_->load(key);
  if (!picture) return false;
  canvasPending_ = false;
  canvas_ = std::move(*picture);
  pictureShown_ = true;
  logLine("start picture: shown; the page is drawn after the first paint\n");
  afterFirstPaint([this] { drawOverStartPicture(); });
  return true;
}

void CHidMouseDlg::drawOverStartPicture() {
  if (!pictureShown_ || currentPage_ != kBasicPage || !basic_) return;
  const QImage shown = canvas_;
  canvasPending_ = true;  // as at a start without the picture
  paintPage(*basic_);
  logStep("Basic page drawn over its picture");
  if (canvas_ == shown) return;
  logLine("start picture: out of date; the page as drawn replaces it\n");
  update();
  startPicture_->store(startPictureKey(), canvas_);
}

void CHidMouseDlg::showBasicPage() {
  if (currentPage_ == kBasicPage) return;
  currentPage_ = kBasicPage;
  leavePage();
  if (basic_) paintPage(*basic_);
}

void CHidMouseDlg::showAdvancedPage() {
  if (currentPage_ == kAdvancedPage) return;
  currentPage_ = kAdvancedPage;
  leavePage();
  if (advanced_) paintPage(*advanced_);
}

void CHidMouseDlg::refreshCurrentPage() {
  if (currentPage_ == kBasicPage) {
    currentPage_ = kAdvancedPage;
    leavePage();
    currentPage_ = kNoPage;
    showBasicPage();
  } else if (currentPage_ == kAdvancedPage) {
    currentPage_ = kBasicPage;
    leavePage();
    currentPage_ = kNoPage;
    showAdvancedPage();
  }
}

void CHidMouseDlg::hideWindow() {
  dragging_ = false;
  if (trayless_ && isVisible())
    showMinimized();
  else
    hide();
}

// ---------------------------------------------------------------- commands

void CHidMouseDlg::applyAction() {
  // Without the settings read (a start-up that stopped early) the record is
  // empty: sending and saving it would wipe the stored configuration.
  if (!deviceOpen() || !session_->loaded()) return;
  FolderHold hold(options_.paths, FolderAccess::Write, kProgramName);
  if (!hold.status()) {
    messages_->showMessage(hold.failureText(), "");
    return;
  }
  // What another program saved since the window loaded the files is kept
  // wherever the user has not changed it.
  const MouseConfig edited = session_->working();
  const ButtonTexts editedTexts = session_->buttonTexts();
  session_->mergeFiles();
  const bool merged = session_->working() != edited || session_->buttonTexts() != editedTexts;
  const ApplyResult result = session_->applyToMouse(device_->link());
  if (result.saved())
    if (const Status committed = hold.commit(); !committed)
      messages_->showMessage(committed.error().text(), "");
  lastDataFiles_ = dataFiles();
  if (merged) refreshCurrentPage();  // shows what came from the files
  // The user sees what the window always showed; the diagnostic log says
  // what the mouse did not take.
  if (!result.mouseTookAll()) logLine("Apply: " + result.deviceFailure->text() + "\n");
  if (applyPointerSettings_) applyPointerSettings_(session_->working());
}

void CHidMouseDlg::okAction() {
  if (!deviceOpen() || !session_->loaded()) return;
  applyAction();
  hideWindow();
}

void CHidMouseDlg::cancelAction() {
  // Back to what the files hold now, which another program may have changed.
  if (const FolderHold hold(options_.paths, FolderAccess::Read, kProgramName); hold.status()) {
    session_->load();
    lastDataFiles_ = dataFiles();
  } else {
    session_->cancel();
  }
  // The page shows the restored values at once, not only when the window is
  // shown again: without a window manager it cannot be minimised and stays
  // on screen, and the values on it are those a later Apply sends. The show
  // refreshes again (key names changed in str.ini meanwhile).
  showStoredValues();
  refreshOnShow_ = true;
  hideWindow();
}

void CHidMouseDlg::showStoredValues() {
  // The key names go back to the stored ones with the record, whichever
  // page is shown: a Cancel on the Advanced page must not leave the Basic
  // page with names of assignments that were just undone.
  session_->reloadButtonTexts();
  refreshCurrentPage();
}

void CHidMouseDlg::showWindow() {
  if (!shownOnce_) {
    shownOnce_ = true;
    // Centred on the screen the first time it is shown.
    QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (s != nullptr) {
      const QRect area = s->availableGeometry();
      move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
  }
  // Under KWin's Wayland session a hint keeps the tray's window off the
  // taskbar; it attaches to the native window, made here if need be.
  if (!taskbarHintTried_) {
    taskbarHintTried_ = true;
    create();
    taskbarHint_ = PlasmaTaskbarHint::attach(windowHandle());
  }
  if (taskbarHint_) taskbarHint_->setSkipTaskbar(!trayless_);
  if (isMinimized())
    showNormal();
  else
    show();
  raise();
  activateWindow();
}

void CHidMouseDlg::showFromTray() {
  if (starting_) return;
  if (!deviceOpen()) {
    warnMouseMissing(MissingMouseWarnings::Source::User);
    return;
  }
  prepareShow();
  showWindow();
}

void CHidMouseDlg::onTrayAppeared() {
  if (!trayless_) return;
  // From now on the window lives in the tray: no taskbar button, and hiding
  // hides. A window on screen stays there (changing the flag unmaps it).
  trayless_ = false;
  const bool shown = isVisible() && !isMinimized();
  setWindowFlag(Qt::Tool, true);
  if (taskbarHint_) taskbarHint_->setSkipTaskbar(true);
  if (shown) show();
  logLine("tray icon: a tray appeared; the window now lives in it");
}

void CHidMouseDlg::activate(const QString& token) {
  if (shutDown_) return;
  // The request that had the bus start this copy can come while a start-up
  // message is open: it is answered when the start is over.
  if (starting_) {
    pendingActivation_ = token;
    return;
  }
  // Qt's Wayland window hands this token to the compositor when it asks to
  // be raised (and then drops it).
  if (!token.isEmpty()) qputenv("XDG_ACTIVATION_TOKEN", token.toUtf8());
  if (deviceOpen()) prepareShow();
  showWindow();
  logLine("activation: window shown");
}

void CHidMouseDlg::prepareShow() {
  if (refreshOnShow_) {
    refreshOnShow_ = false;
    showStoredValues();
  } else if (!basicShown_) {
    showBasicPage();
  }
}

void CHidMouseDlg::changeEvent(QEvent* event) {
  // Without a tray the window comes back from its taskbar button instead of
  // the tray's show command; it must then show what the tray would show
  // (after Cancel, the restored values).
  if (trayless_ && event->type() == QEvent::WindowStateChange && deviceOpen() && !isMinimized() &&
      (static_cast<QWindowStateChangeEvent*>(event)->oldState() & Qt::WindowMinimized))
    prepareShow();
  QWidget::changeEvent(event);
}

void CHidMouseDlg::warnMouseMissing(MissingMouseWarnings::Source source) {
  if (missingWarnings_.show(source, MissingMouseWarnings::Clock::now()))
    onDeviceEvent(proto::kEventMouseMissing, 0);
}

void CHidMouseDlg::onDeviceEvent(int type, int value) {
  const auto balloon =
      balloonForEvent(type, value, texts_, session_->working(), device_->link().activeSensorType());
  if (balloon && notices_) notices_->show(*balloon);
}

void CHidMouseDlg::shutdown() {
  if (shutDown_) return;
  afterFirstPaint_.clear();  // an exit writes nothing
  shutDown_ = true;
  device_->stop();
  if (tray_) tray_->remove();
  hide();
  if (options_.exitProcess)
    options_.exitProcess(0);
  else
    QCoreApplication::exit(0);
}

void CHidMouseDlg::runSkinsDialog() {
  std::vector<std::string> roots;
  for (const QString& root : options_.skinRoots) roots.push_back(root.toStdString());
  const DialogEnv env{skins_, *messages_, options_.language, style_.textColor, ctx_->dialogMessages};
  CSkinsDialog dialog(env, *ctx_->colorChooser, std::move(roots), skinName_, this);
  if (ctx_->dialogRunner->run(dialog) != QDialog::Accepted) return;
  applySkinChoice(dialog.skinName(), dialog.skinFolder(), dialog.textColor());
}

void CHidMouseDlg::applySkinChoice(const QString& skinName, QColor textColour) {
  applySkinChoice(skinName, skinFolderPath(options_.skinRoots, skinName), textColour);
}

void CHidMouseDlg::applySkinChoice(const QString& skinName, const QString& skinFolder, QColor textColour) {
  style_.textColor = textColour;
  // The canvas keeps the old skin's picture underneath the new page.
  makeCanvas();
  skinName_ = skinName;
  skins_.setSkinFolder(skinFolder);
  if (FolderHold hold(options_.paths, FolderAccess::Write, kProgramName); hold.status()) {
    if (saveSkinSettings(options_.paths.strIni, static_cast<std::uint8_t>(textColour.red()),
                         static_cast<std::uint8_t>(textColour.green()),
                         static_cast<std::uint8_t>(textColour.blue()), skinName.toStdString()))
      static_cast<void>(hold.commit());
    lastDataFiles_ = dataFiles();
  }
  refreshCurrentPage();
  showWindow();
}

// ---------------------------------------------------------------- the data folder

std::string CHidMouseDlg::dataFiles() const {
  std::string all;
  for (const std::string* f :
       {&options_.paths.configBin, &options_.paths.strIni, &options_.paths.recordIni}) {
    const Result<std::string> bytes = readRegularFile(*f, kMaxWatchedFileBytes);
    all += bytes ? bytes.value() : std::string();
    all += '\f';
  }
  return all;
}

void CHidMouseDlg::watchDataFolder() {
  folderWatcher_ = new QFileSystemWatcher(this);
  folderWatcher_->addPath(QString::fromStdString(options_.paths.folder));
  folderSettle_ = new QTimer(this);
  folderSettle_->setSingleShot(true);
  // A save renames three files one after the other: one look once it has
  // settled.
  folderSettle_->setInterval(kFolderSettleMs);
  connect(folderSettle_, &QTimer::timeout, this, &CHidMouseDlg::dataFolderChanged);
  connect(folderWatcher_, &QFileSystemWatcher::directoryChanged, folderSettle_, qOverload<>(&QTimer::start));
}

void CHidMouseDlg::dataFolderChanged() {
  if (shutDown_ || !session_->loaded()) return;
  const FolderHold hold(options_.paths, FolderAccess::Read, kProgramName, std::chrono::milliseconds(0));
  if (!hold.status()) {
    folderSettle_->start();  // a writer is still at work: look again later
    return;
  }
  const std::string now = dataFiles();
  if (now == lastDataFiles_) return;  // the window's own save, or the lock file
  lastDataFiles_ = now;
  if (session_->hasUnsavedEdits()) return;  // Apply merges the change in
  session_->load();
  refreshCurrentPage();
}

// ---------------------------------------------------------------- painting and input

void CHidMouseDlg::paintEvent(QPaintEvent*) {
  followScale();
  makeCanvas();
  presentCanvas(this, canvas_);
  if (!painted_) {
    painted_ = true;
    logStep("first paint");
    // After this paint has reached the screen.
    if (!afterFirstPaint_.empty()) QTimer::singleShot(0, this, &CHidMouseDlg::runAfterFirstPaint);
  }
}

void CHidMouseDlg::afterFirstPaint(std::function<void()> work) {
  afterFirstPaint_.push_back(std::move(work));
  // A window that is not being shown has no paint to wait for.
  QTimer::singleShot(0, this, [this] {
    if (painted_ || !isVisible()) runAfterFirstPaint();
  });
}

void CHidMouseDlg::runAfterFirstPaint() {
  std::vector<std::function<void()>> work;
  work.swap(afterFirstPaint_);
  for (const std::function<void()>& w : work) w();
}

void CHidMouseDlg::closeEvent(QCloseEvent* event) {
  // Closing only hides; the tray's "Exit" and the close button end the program.
  event->ignore();
  hideWindow();
}

void CHidMouseDlg::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  dispatchClick(event->position().toPoint());
  if (!shutDown_ && lastClickStartsDrag_) startDrag(event->globalPosition().toPoint());
}

void CHidMouseDlg::dispatchClick(QPoint p) {
  lastClick_ = p;
  lastClickStartsDrag_ = false;
  // Steps 1 to 3 are independent of each other and of what follows.
  if (inside(frame::kOk, p) && deviceOpen()) okAction();
  if (inside(frame::kApply, p) && deviceOpen()) applyAction();
  if (inside(frame::kSkins, p) && runSkinsDialog_) runSkinsDialog_();
  if (inside(frame::kMinimise, p)) {
    hideWindow();
    return;
  }
  if (inside(frame::kClose, p)) {
    shutdown();
    return;
  }
  if (inside(frame::kBasicTab, p)) {
    showBasicPage();
    return;
  }
  if (inside(frame::kAdvancedTab, p)) {
    showAdvancedPage();
    return;
  }
  if (inside(frame::kCancel, p)) cancelAction();  // the tests go on
  if (inside(frame::kWebLink, p)) {
    openLink();
    return;
  }
  if (Page* page = current()) {
    page->closeListsMissing(p);
    if (page->handleClick(p)) return;
  }
  lastClickStartsDrag_ = true;
}

void CHidMouseDlg::openLink() {
  const QString address = frame_->webAddress();
  if (options_.openUrl)
    options_.openUrl(address);
  else
    QDesktopServices::openUrl(QUrl::fromUserInput(address));
}

void CHidMouseDlg::startDrag(QPoint globalPos) {
  // Only while the window is shown and the button is still down (an action
  // of the click may have hidden the window or run a modal dialog, or blocked
  // until after the release, which Qt has not yet taken).
  if (!isVisible() || !leftButtonDownNow()) return;
  if (QWindow* w = windowHandle(); w != nullptr && w->startSystemMove()) return;
  // No window manager to move it: follow the pointer until the release.
  dragging_ = true;
  dragOffset_ = globalPos - pos();
}

void CHidMouseDlg::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void CHidMouseDlg::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) {
    if (event->buttons() & Qt::LeftButton) {
      move(event->globalPosition().toPoint() - dragOffset_);
      return;
    }
    dragging_ = false;  // the release happened elsewhere
  }
  hover_->mouseMoved(event->position().toPoint());
}

bool CHidMouseDlg::isOwnWidget(QObject* watched) const {
  auto* w = qobject_cast<QWidget*>(watched);
  return w != nullptr && (w == this || isAncestorOf(w));
}

bool CHidMouseDlg::eventFilter(QObject* watched, QEvent* event) {
  if (!isOwnWidget(watched)) return QWidget::eventFilter(watched, event);
  // Input is handled by the page as drawn, never by the picture in its place.
  if (pictureShown_ && event->isInputEvent()) drawOverStartPicture();
  Page* page = current();
  if (event->type() == QEvent::KeyPress) {
    if (page != nullptr && page->swallowsKeys()) return true;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) {
      hideWindow();
      return true;
    }
  }
  if (page != nullptr && page->preFilter(watched, event)) return true;
  return QWidget::eventFilter(watched, event);
}

void CHidMouseDlg::logLine(const std::string& line) {
  if (options_.log) options_.log(line);
}

void CHidMouseDlg::logStep(const char* what) {
  if (options_.log) options_.log(startupStepLine(what));
}

}  // namespace hm

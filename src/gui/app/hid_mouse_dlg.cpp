#include "gui/app/hid_mouse_dlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScreen>
#include <QSocketNotifier>
#include <QUrl>
#include <QWindow>
#include <system_error>

#include "core/device/device_change.h"
#include "core/device/device_link.h"
#include "core/device/notification_reader.h"
#include "core/device/protocol.h"
#include "core/device/sleeper.h"
#include "core/model/tray_balloons.h"
#include "core/settings/config_file.h"
#include "core/settings/settings_ini.h"
#include "gui/app/advanced_page.h"
#include "gui/app/basic_page.h"
#include "gui/app/color_chooser.h"
#include "gui/app/message_box_sink.h"
#include "gui/app/tray.h"
#include "gui/dialogs/dialog_runner.h"
#include "gui/skin/draw_skin_image.h"
#include "gui/skin/mem_dc.h"
#include "gui/skin/skin_folder.h"

namespace hm {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

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

  style_.skins = &skins_;
  style_.fonts = SkinFonts::forLanguage(options_.language);
  setFont(style_.fonts.normal);

  link_ = std::make_unique<DeviceLink>(*options_.backend, *messages_, *sleeper);
  if (options_.log) link_->setLog([this](const std::string& text) { logLine(text); });

  ctx_ = std::make_unique<AppContext>(AppContext{working_, saved_, buttonTexts_, texts_, options_.language,
                                                 options_.paths, firstRunFlag_, *link_, skins_, style_,
                                                 *messages_, *this, this, chooser, runner});
  if (ownSink_) ctx_->dialogMessages = [](QWidget* owner) { return std::make_unique<MessageBoxSink>(owner); };
  frame_ = std::make_unique<Frame>(texts_, style_);
  basic_ = options_.basicPage ? options_.basicPage(*ctx_) : std::make_unique<BasicPage>(*ctx_);
  advanced_ = options_.advancedPage ? options_.advancedPage(*ctx_) : std::make_unique<AdvancedPage>(*ctx_);

  hoverTimer_.setSingleShot(true);
  connect(&hoverTimer_, &QTimer::timeout, this, &CHidMouseDlg::onHoverTimer);
  if (auto* app = QCoreApplication::instance()) app->installEventFilter(this);
}

CHidMouseDlg::~CHidMouseDlg() {
  if (auto* app = QCoreApplication::instance()) app->removeEventFilter(this);
  // The same teardown as shutdown(), without ending the process.
  {
    std::lock_guard lock(eventMutex_);
    closing_ = true;
  }
  eventDone_.notify_all();
  if (reader_) reader_->stop();
  reader_.reset();
  delete monitorNotifier_.data();  // before the monitor closes its descriptor
  monitor_.reset();
  if (link_) link_->close();
  if (tray_) tray_->remove();
  advanced_.reset();
  basic_.reset();
}

bool CHidMouseDlg::init() {
  // The start-up messages run events; until the start is over the tray's
  // show command must not paint a page from a record not yet read.
  starting_ = true;
  struct StartOver {
    bool& flag;
    ~StartOver() { flag = false; }
  } startOver{starting_};

  // Window icon; fonts and texts are chosen at construction.
  setWindowIcon(applicationIcon());

  // Tray icon.
  std::unique_ptr<TrayIconBackend> trayBackend =
      options_.tray ? std::move(options_.tray) : std::make_unique<SystemTrayBackend>();
  tray_ = std::make_unique<Tray>(std::move(trayBackend), qs(texts_.get(TextId::Exit)));
  connect(tray_.get(), &Tray::showRequested, this, &CHidMouseDlg::showFromTray);
  connect(tray_.get(), &Tray::exitRequested, this, &CHidMouseDlg::shutdown);
  tray_->add();
  // Without a tray nothing could bring a hidden window back: the window then
  // keeps a taskbar button and what would hide it minimises it instead.
  trayless_ = !tray_->available();
  if (trayless_) setWindowFlag(Qt::Tool, false);

  // The mouse.
  if (link_->openMouse() != 1) messages_->showMessage(texts_.get(TextId::MouseNotDetected), kWarningCaption);
  // A message box runs events: the tray's "Exit" may have ended the run.
  if (shutDown_) return false;

  // The reader thread, held until the mouse is open.
  try {
    reader_ = std::make_unique<NotificationReader>(
        *link_, [this](int type, int value) { onReaderEvent(type, value); });
  } catch (const std::system_error& e) {
    logLine(std::string("std::thread: ") + e.what() + " (errno " + std::to_string(e.code().value()) + ")\n");
    messages_->showMessage(kCreateEventFailedText, "");
    return false;
  }
  if (deviceOpen()) reader_->release();

  // Device arrival and removal.
  monitor_ = options_.backend->openMonitor();
  if (!monitor_) {
    logLine("openMonitor: " + options_.backend->lastError().text() + "\n");
    messages_->showMessage(kRegisterNotificationFailedText, "");
    return false;
  }
  monitorNotifier_ = new QSocketNotifier(monitor_->fd(), QSocketNotifier::Read, this);
  connect(monitorNotifier_, &QSocketNotifier::activated, this, &CHidMouseDlg::pollDeviceMonitor);

  // Settings files.
  loadConfigFile(options_.paths.configBin, working_, firstRunFlag_, *messages_,
                 [this](const std::string& line) { logLine(line); });
  if (shutDown_) return false;
  saved_ = working_;
  settingsLoaded_ = true;
  const SettingsIni ini = loadSettingsIni(options_.paths.strIni, options_.language);
  buttonTexts_ = ini.texts;

  // Skin folder, canvas and window size, text colour.
  skins_.setSkinFolder(skinFolderPath(options_.skinsBase, qs(ini.skin.path)));
  canvas_ = loadCanvas(skins_);
  setFixedSize(canvas_.size());
  style_.textColor = QColor(colourByteFromText(ini.skin.rColor), colourByteFromText(ini.skin.gColor),
                            colourByteFromText(ini.skin.bColor));

  if (deviceOpen()) showBasicPage();
  return !shutDown_;
}

// ---------------------------------------------------------------- FrameHost

bool CHidMouseDlg::deviceOpen() const { return link_->deviceOpen.load() == 1; }

std::unique_ptr<CMemDC> CHidMouseDlg::beginDraw() {
  if (canvas_.isNull()) return nullptr;
  return std::make_unique<CMemDC>(this, canvas_);
}

void CHidMouseDlg::drawFrameButtons(CMemDC& dc) {
  frame_->drawButtons(dc);
  for (int c : {kFrameSkins, kFrameMinimise, kFrameClose, kFrameOk, kFrameApply, kFrameCancel})
    frameHover_.erase(c);
}

void CHidMouseDlg::drawPageTabs(CMemDC& dc) {
  frame_->drawTabs(dc);
  frameHover_.erase(kFrameBasicTab);
  frameHover_.erase(kFrameAdvancedTab);
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
  hoverTimer_.stop();
  pageHover_.clear();
  if (currentPage_ == kAdvancedPage && basic_)
    basic_->leave();
  else if (currentPage_ == kBasicPage && advanced_)
    advanced_->leave();
}

void CHidMouseDlg::paintPage(Page& page) {
  bool& shown = page.id() == kBasicPage ? basicShown_ : advancedShown_;
  if (!shown) {
    shown = true;
    page.firstShow();
  }
  if (auto dc = beginDraw()) page.paint(*dc);
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
  if (!deviceOpen() || !settingsLoaded_) return;
  const ApplyFiles files{options_.paths.configBin, options_.paths.strIni, options_.language, buttonTexts_,
                         *messages_};
  link_->applyToMouse(working_, files);
  saved_ = working_;
  if (applyPointerSettings_) applyPointerSettings_(working_);
}

void CHidMouseDlg::okAction() {
  if (!deviceOpen() || !settingsLoaded_) return;
  applyAction();
  hideWindow();
}

void CHidMouseDlg::cancelAction() {
  working_ = saved_;
  refreshOnShow_ = true;
  hideWindow();
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
    onDeviceEvent(proto::kEventMouseMissing, 0);
    return;
  }
  prepareShow();
  showWindow();
}

void CHidMouseDlg::prepareShow() {
  if (refreshOnShow_) {
    refreshOnShow_ = false;
    // The key names go back to the stored ones with the record, whichever
    // page is shown: a Cancel on the Advanced page must not leave the Basic
    // page with names of assignments that were just undone.
    buttonTexts_ = loadSettingsIni(options_.paths.strIni, options_.language).texts;
    refreshCurrentPage();
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

void CHidMouseDlg::onDeviceEvent(int type, int value) {
  const auto balloon = balloonForEvent(type, value, texts_, working_, link_->activeSensorType());
  if (balloon && tray_) tray_->showBalloon(*balloon);
}

void CHidMouseDlg::shutdown() {
  if (shutDown_) return;
  shutDown_ = true;
  {
    std::lock_guard lock(eventMutex_);
    closing_ = true;
  }
  eventDone_.notify_all();
  if (reader_) reader_->stop();
  if (monitorNotifier_) monitorNotifier_->setEnabled(false);
  link_->close();
  if (tray_) tray_->remove();
  hide();
  if (options_.exitProcess)
    options_.exitProcess(0);
  else
    QCoreApplication::exit(0);
}

void CHidMouseDlg::applySkinChoice(const QString& skinName, QColor textColour) {
  style_.textColor = textColour;
  skins_.setSkinFolder(skinFolderPath(options_.skinsBase, skinName));
  saveSkinSettings(options_.paths.strIni, static_cast<std::uint8_t>(textColour.red()),
                   static_cast<std::uint8_t>(textColour.green()),
                   static_cast<std::uint8_t>(textColour.blue()), skinName.toStdString());
  refreshCurrentPage();
  showWindow();
}

bool CHidMouseDlg::readerReleased() const { return reader_ && reader_->released(); }

// ---------------------------------------------------------------- device events

void CHidMouseDlg::onReaderEvent(int type, int value) {
  // Runs on the reader thread: hand the event to the UI thread and wait
  // until it has been handled, as a synchronous window message would.
  std::uint64_t seq = 0;
  {
    std::lock_guard lock(eventMutex_);
    if (closing_) return;
    seq = ++eventsPosted_;
  }
  QMetaObject::invokeMethod(
      this,
      [this, type, value, seq] {
        if (!closing_) onDeviceEvent(type, value);
        {
          std::lock_guard lock(eventMutex_);
          if (seq > eventsHandled_) eventsHandled_ = seq;
        }
        eventDone_.notify_all();
      },
      Qt::QueuedConnection);
  std::unique_lock lock(eventMutex_);
  eventDone_.wait(lock, [&] { return eventsHandled_ >= seq || closing_; });
}

void CHidMouseDlg::pollDeviceMonitor() {
  if (!monitor_ || shutDown_) return;
  for (const HidDeviceEvent& ev : monitor_->drain()) {
    const DeviceChangeAction action =
        handleDeviceChange(*link_, deviceChangeCode(ev.kind), proto::kDeviceTypeInterface, ev.path,
                           basicShown_, reader_ != nullptr && !reader_->released());
    switch (action.kind) {
      case DeviceChangeKind::Ignored: break;
      case DeviceChangeKind::WarnAndHide:
        onDeviceEvent(proto::kEventMouseMissing, 0);
        hideWindow();
        break;
      case DeviceChangeKind::Opened:
        // A reader still held runs from the first successful open on, also
        // when the Basic page was shown while the mouse was missing (it
        // would otherwise never read).
        if (reader_) reader_->release();
        break;
    }
  }
}

// ---------------------------------------------------------------- painting and input

void CHidMouseDlg::paintEvent(QPaintEvent*) { presentCanvas(this, canvas_); }

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
  // of the click may have hidden the window or run a modal dialog).
  if (!isVisible() || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
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
  const QPoint p = event->position().toPoint();
  if (overHoverable(p)) {
    hoverPoint_ = p;
    hoverTimer_.start(kHoverDelayMs);
  } else {
    hoverTimer_.stop();
    clearHover();
  }
}

bool CHidMouseDlg::overHoverable(QPoint p) const {
  for (const HoverItem& item : frame_->hoverItems())
    if (inside(item.rect, p)) return true;
  if (Page* page = current())
    for (const HoverItem& item : page->hoverItems())
      if (inside(item.rect, p)) return true;
  return false;
}

void CHidMouseDlg::clearHover() {
  if (frameHover_.empty() && pageHover_.empty()) return;
  auto dc = beginDraw();
  Page* page = current();
  if (dc) {
    for (int id : frameHover_) frame_->drawHover(*dc, id, false);
    if (page != nullptr)
      for (int id : pageHover_) page->drawHover(*dc, id, false);
  }
  frameHover_.clear();
  pageHover_.clear();
}

void CHidMouseDlg::onHoverTimer() {
  struct Entry {
    HoverItem item;
    bool frame;
  };
  std::vector<Entry> entries;
  for (const HoverItem& item : frame_->hoverItems()) entries.push_back({item, true});
  Page* page = current();
  if (page != nullptr)
    for (const HoverItem& item : page->hoverItems()) entries.push_back({item, false});

  const Entry* hit = nullptr;
  for (const Entry& e : entries)
    if (inside(e.item.rect, hoverPoint_)) {
      hit = &e;
      break;
    }
  if (hit == nullptr) return;
  std::set<int>& flags = hit->frame ? frameHover_ : pageHover_;
  if (flags.count(hit->item.id) != 0) return;

  auto dc = beginDraw();
  auto draw = [&](const Entry& e, bool on) {
    if (!dc) return;
    if (e.frame)
      frame_->drawHover(*dc, e.item.id, on);
    else if (page != nullptr)
      page->drawHover(*dc, e.item.id, on);
  };
  draw(*hit, true);
  flags.insert(hit->item.id);
  if (hit->item.group == kHoverAlone) return;
  for (const Entry& e : entries) {
    if (&e == hit || e.item.group != hit->item.group) continue;
    std::set<int>& other = e.frame ? frameHover_ : pageHover_;
    if (other.erase(e.item.id) != 0) draw(e, false);
  }
}

bool CHidMouseDlg::isOwnWidget(QObject* watched) const {
  auto* w = qobject_cast<QWidget*>(watched);
  return w != nullptr && (w == this || isAncestorOf(w));
}

bool CHidMouseDlg::eventFilter(QObject* watched, QEvent* event) {
  if (!isOwnWidget(watched)) return QWidget::eventFilter(watched, event);
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

}  // namespace hm

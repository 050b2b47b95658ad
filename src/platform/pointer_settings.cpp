#include "platform/pointer_settings.h"

#include "core/settings/message_sink.h"
#include "platform/pointer_settings_gnome.h"

namespace hm {

Status KeptPointerSettings::setPrecision(bool on) {
  values_.precision = on;
  return {};
}

Status KeptPointerSettings::setPointerSpeed(int speed) {
  values_.speed = speed;
  return {};
}

Status KeptPointerSettings::setScrollLines(std::uint32_t lines) {
  values_.scrollLines = lines;
  return {};
}

Status KeptPointerSettings::setDoubleClickTime(int ms) {
  values_.doubleClickMs = ms;
  return {};
}

std::string KeptPointerSettings::source(PointerSetting) const { return "kept for this run"; }

namespace {

template <class T>
std::optional<T> valueOrWarn(Result<T> r, const char* failedText, MessageSink& messages) {
  if (r) return r.value();
  if (failedText != nullptr) messages.showMessage(failedText, kPointerWarningCaption);
  return std::nullopt;
}

void warnIfFailed(const Status& s, const char* failedText, MessageSink& messages) {
  if (!s) messages.showMessage(failedText, kPointerWarningCaption);
}

}  // namespace

PointerReading readPointerValues(PointerSettings& desktop, MessageSink& messages) {
  PointerReading r;
  r.precision = valueOrWarn(desktop.readPrecision(), nullptr, messages);
  r.speed = valueOrWarn(desktop.readPointerSpeed(), kReadSpeedFailedText, messages);
  r.scrollLines = valueOrWarn(desktop.readScrollLines(), kReadScrollLinesFailedText, messages);
  r.doubleClickMs = valueOrWarn(desktop.readDoubleClickTime(), kReadDoubleClickFailedText, messages);
  return r;
}

void applyPointerValues(PointerSettings& desktop, const PointerValues& v, MessageSink& messages) {
  warnIfFailed(desktop.setPrecision(v.precision), kSetPrecisionFailedText, messages);
  warnIfFailed(desktop.setPointerSpeed(v.speed), kSetSpeedFailedText, messages);
  warnIfFailed(desktop.setScrollLines(v.scrollLines), kSetScrollLinesFailedText, messages);
  warnIfFailed(desktop.setDoubleClickTime(v.doubleClickMs), kSetDoubleClickFailedText, messages);
}

std::unique_ptr<PointerSettings> makeDesktopPointerSettings() {
  if (GnomePointerSettings::schemaInstalled() && GnomePointerSettings::storeWritable())
    return std::make_unique<GnomePointerSettings>();
  return std::make_unique<KeptPointerSettings>();
}

}  // namespace hm

#include "gui/app/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>

#include "core/version.h"

namespace hm {

namespace {

QString error(const QString& text) { return QStringLiteral("hidmouse: ") + text; }

}  // namespace

std::optional<Language> parseLanguageName(const QString& text) {
  QString name = text.trimmed().toLower();
  name.replace(QLatin1Char('-'), QLatin1Char('_'));
  if (name == QLatin1String("en")) return Language::English;
  if (name == QLatin1String("zh_cn")) return Language::SimplifiedChinese;
  if (name == QLatin1String("zh_tw")) return Language::TraditionalChinese;
  return std::nullopt;
}

CommandLineResult parseCommandLine(const QStringList& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Configuration tool of the programmable gaming mouse (USB 04D9:A09F)."));
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Show this help and exit."));
  const QCommandLineOption version(QStringLiteral("version"), QStringLiteral("Show the version and exit."));
  const QCommandLineOption simulate(QStringLiteral("simulate"),
                                    QStringLiteral("Use the simulated mouse instead of the real one."));
  const QCommandLineOption simSensor(
      QStringLiteral("sim-sensor"),
      QStringLiteral("Sensor answer of the simulated mouse: type, rate, option 1, option 2, "
                     "four decimal bytes 0..255."),
      QStringLiteral("T,R,O1,O2"));
  const QCommandLineOption simEvents(
      QStringLiteral("sim-events"),
      QStringLiteral("Events the simulated mouse plays after the start, 100 ms apart: TYPE:VALUE (a "
                     "notification), unplug, plug; for example 7:2,5:1,unplug,plug."),
      QStringLiteral("LIST"));
  const QCommandLineOption dataDir(
      QStringLiteral("data-dir"),
      QStringLiteral("Folder of config.bin, str.ini, record.ini and your own Skins/ (default: the "
                     "program's folder, or $XDG_CONFIG_HOME/hidmouse when that is read-only)."),
      QStringLiteral("DIR"));
  const QCommandLineOption language(QStringLiteral("language"),
                                    QStringLiteral("Interface language: en, zh_CN or zh_TW."),
                                    QStringLiteral("LANG"));
  const QCommandLineOption show(QStringLiteral("show"),
                                QStringLiteral("Show the window at start instead of only the tray icon."));
  const QCommandLineOption screenshot(
      QStringLiteral("screenshot"), QStringLiteral("Write the picture of the page to FILE as PNG and exit."),
      QStringLiteral("FILE"));
  const QCommandLineOption page(QStringLiteral("page"),
                                QStringLiteral("Page of the screenshot: basic or advanced."),
                                QStringLiteral("PAGE"));
  const QCommandLineOption verbose(QStringLiteral("verbose"),
                                   QStringLiteral("Print diagnostic lines to stderr."));
  // The platform's own options (-platform, -name, ...) are taken by
  // QApplication before this parser runs.
  parser.addOptions(
      {help, version, simulate, simSensor, simEvents, dataDir, language, show, screenshot, page, verbose});

  CommandLineResult result;
  if (!parser.parse(args)) {
    result.status = CommandLineResult::Status::Error;
    result.message = error(parser.errorText());
    return result;
  }
  if (parser.isSet(help)) {
    result.status = CommandLineResult::Status::Help;
    result.message = parser.helpText();
    return result;
  }
  if (parser.isSet(version)) {
    result.status = CommandLineResult::Status::Help;
    result.message = QStringLiteral("hidmouse ") + QLatin1String(kVersion);
    return result;
  }
  if (!parser.positionalArguments().isEmpty()) {
    result.status = CommandLineResult::Status::Error;
    result.message =
        error(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));
    return result;
  }

  CommandLine& o = result.options;
  o.simulate = parser.isSet(simulate);
  o.show = parser.isSet(show);
  o.verbose = parser.isSet(verbose);
  if (parser.isSet(simSensor)) {
    o.simSensor = parseSensorAnswer(parser.value(simSensor).toStdString());
    if (!o.simSensor) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--sim-sensor needs %1, not '%2'")
                                 .arg(QLatin1String(kSensorAnswerSyntax), parser.value(simSensor)));
      return result;
    }
    if (!o.simulate) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--sim-sensor needs --simulate"));
      return result;
    }
  }
  if (parser.isSet(simEvents)) {
    std::vector<std::string> words;
    for (const QString& w : parser.value(simEvents).split(QLatin1Char(',')))
      words.push_back(w.trimmed().toStdString());
    std::string bad;
    const auto events = parseSimEvents(words, &bad);
    if (!events) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--sim-events: \"%1\" is not %2")
                                 .arg(QString::fromStdString(bad), QString::fromLatin1(kSimEventForms)));
      return result;
    }
    if (!o.simulate) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--sim-events needs --simulate"));
      return result;
    }
    o.simEvents = *events;
  }
  if (parser.isSet(dataDir)) {
    o.dataDir = parser.value(dataDir);
    if (o.dataDir.isEmpty()) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--data-dir needs a folder"));
      return result;
    }
  }
  if (parser.isSet(language)) {
    o.language = parseLanguageName(parser.value(language));
    if (!o.language) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(
          QStringLiteral("--language must be en, zh_CN or zh_TW, not '%1'").arg(parser.value(language)));
      return result;
    }
  }
  if (parser.isSet(screenshot)) {
    o.screenshot = parser.value(screenshot);
    if (o.screenshot.isEmpty()) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--screenshot needs a file name"));
      return result;
    }
  }
  if (parser.isSet(page)) {
    const QString name = parser.value(page).trimmed().toLower();
    if (o.screenshot.isEmpty()) {
      result.status = CommandLineResult::Status::Error;
      result.message = error(QStringLiteral("--page needs --screenshot"));
      return result;
    }
    if (name == QLatin1String("basic"))
      o.screenshotPage = kBasicPage;
    else if (name == QLatin1String("advanced"))
      o.screenshotPage = kAdvancedPage;
    else {
      result.status = CommandLineResult::Status::Error;
      result.message =
          error(QStringLiteral("--page must be basic or advanced, not '%1'").arg(parser.value(page)));
      return result;
    }
  }
  return result;
}

}  // namespace hm

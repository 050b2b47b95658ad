// SPDX-License-Identifier: GPL-3.0-or-later
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

ParsedCommandLine parseCommandLine(const QStringList& args) {
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
  parser.addOptions(
      {help, version, simulate, simSensor, simEvents, dataDir, language, show, screenshot, page, verbose});
  // The toolkit's own options, which QApplication takes out of the command
  // line after this parser has run: accepted here, not shown in the help.
  for (const char* name : {"platform", "platformpluginpath", "platformtheme", "plugin", "qmljsdebugger",
                           "qwindowgeometry", "geometry", "qwindowicon", "icon", "qwindowtitle", "title",
                           "name", "session", "display", "style", "stylesheet", "visual"}) {
    QCommandLineOption o(QString::fromLatin1(name), QString(), QStringLiteral("VALUE"));
    o.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(o);
  }
  for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
    QCommandLineOption o(QString::fromLatin1(name), QString());
    o.setFlags(QCommandLineOption::HiddenFromHelp);
    parser.addOption(o);
  }

  ParsedCommandLine result;
  auto fail = [&result](const QString& text) {
    result.action = ParsedCommandLine::Action::Error;
    result.message = error(text);
    return result;
  };
  if (!parser.parse(args)) return fail(parser.errorText());
  if (parser.isSet(help)) {
    result.action = ParsedCommandLine::Action::Help;
    // Without the application object (not made yet) the parser cannot know
    // the program's name.
    result.message = parser.helpText().replace(QLatin1String("<executable_name>"), args.value(0));
    return result;
  }
  if (parser.isSet(version)) {
    result.action = ParsedCommandLine::Action::Help;
    result.message = QStringLiteral("hidmouse ") + QLatin1String(kVersion);
    return result;
  }
  if (!parser.positionalArguments().isEmpty())
    return fail(QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

  SharedOptionWords words;
  words.simulate = parser.isSet(simulate);
  words.verbose = parser.isSet(verbose);
  if (parser.isSet(simSensor)) words.simSensor = parser.value(simSensor).toStdString();
  if (parser.isSet(simEvents)) {
    words.simEvents.emplace();
    for (const QString& w : parser.value(simEvents).split(QLatin1Char(',')))
      words.simEvents->push_back(w.trimmed().toStdString());
  }
  if (parser.isSet(dataDir)) words.dataDir = parser.value(dataDir).toStdString();
  std::string problem;
  const std::optional<StartupOptions> shared = checkSharedOptions(words, problem);
  if (!shared) return fail(QString::fromStdString(problem));

  CommandLine& o = result.options;
  o.shared = *shared;
  o.show = parser.isSet(show);
  if (parser.isSet(language)) {
    o.language = parseLanguageName(parser.value(language));
    if (!o.language)
      return fail(
          QStringLiteral("--language must be en, zh_CN or zh_TW, not '%1'").arg(parser.value(language)));
  }
  if (parser.isSet(screenshot)) {
    o.screenshot = parser.value(screenshot);
    if (o.screenshot.isEmpty()) return fail(QStringLiteral("--screenshot needs a file name"));
  }
  if (parser.isSet(page)) {
    const QString name = parser.value(page).trimmed().toLower();
    if (o.screenshot.isEmpty()) return fail(QStringLiteral("--page needs --screenshot"));
    if (name == QLatin1String("basic"))
      o.screenshotPage = kBasicPage;
    else if (name == QLatin1String("advanced"))
      o.screenshotPage = kAdvancedPage;
    else
      return fail(QStringLiteral("--page must be basic or advanced, not '%1'").arg(parser.value(page)));
  }
  return result;
}

}  // namespace hm

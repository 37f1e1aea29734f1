#include "program_start.h"

#include <QApplication>
#include <QDirIterator>
#include <QLibraryInfo>
#include <QTranslator>

#include <algorithm>
#include <iterator>

#include "morvexa/nearest_word.h"
#include "morvexa/option_table.h"

namespace morvexa {

void SetUpApplication(QApplication& app) {
  QApplication::setApplicationName(QStringLiteral("Morvexa"));
  LoadQtTranslations(app);
  QApplication::setWindowIcon(ProgramIcon());
}

bool LoadQtTranslations(QApplication& app) {
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_zh_CN"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete translator;
    return false;
  }
  return QApplication::installTranslator(translator);
}

QIcon ProgramIcon() {
  QIcon icon;
  // Every size drawn, from the images built into the program.
  QDirIterator sizes(QStringLiteral(":/icons/hicolor"), {QStringLiteral("*.png")}, QDir::Files,
                     QDirIterator::Subdirectories);
  while (sizes.hasNext()) icon.addFile(sizes.next());
  return icon;
}

namespace {

// Qt's own options, which Qt takes from the same command line (given with
// one dash or two) wherever they stand: each with whether it takes the
// next word as its value; and those given with their value joined by "=".
constexpr std::pair<const char*, bool> kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"display", true},         {"name", true},
    {"visual", true},          {"geometry", true},
    {"qwindowgeometry", true}, {"title", true},
    {"qwindowtitle", true},    {"icon", true},
    {"qwindowicon", true},     {"style", true},
    {"stylesheet", true},      {"session", true},
    {"reverse", false},        {"widgetcount", false},
    {"nograb", false},         {"dograb", false},
    {"sync", false},           {"testability", false},
    {"qdevel", false},         {"qdebug", false},
};
constexpr const char* kQtJoinedOptions[] = {"style=", "stylesheet=", "qmljsdebugger="};

// The arguments without Qt's own options and their values: those the
// window reads.
QStringList LeftByQt(const QStringList& arguments) {
  QStringList left;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (i == 0 || !argument.startsWith(u'-')) {
      left.append(argument);
      continue;
    }
    const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
    const auto qt = std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                                 [&name](const auto& option) { return name == QLatin1String(option.first); });
    if (qt != std::end(kQtOptions)) {
      if (qt->second) ++i;  // and its value
      continue;
    }
    if (std::none_of(std::begin(kQtJoinedOptions), std::end(kQtJoinedOptions),
                     [&name](const char* option) { return name.startsWith(QLatin1String(option)); })) {
      left.append(argument);
    }
  }
  return left;
}

// "unrecognized option '--widht'; did you mean --width?"
QString Unrecognized(const QString& argument, const std::string& name) {
  std::vector<std::string> names;
  for (const OptionEntry& option : OptionTable()) {
    if ((option.takers & kWindow) != 0) names.push_back(std::string("--").append(option.name));
  }
  QString message = QStringLiteral("unrecognized option '%1'").arg(argument);
  if (const auto nearest = NearestWord(name, names))
    message += QStringLiteral("; did you mean %1?").arg(nearest->c_str());
  return message;
}

}  // namespace

WindowArguments ParseWindowArguments(const QStringList& given) {
  const QStringList arguments = LeftByQt(given);
  WindowArguments parsed;
  bool optionsEnded = false;
  CommandOptions asked;
  const PictureRequest& request = asked.picture;
  QString firstOption;
  const auto fail = [&parsed](const QString& error) {
    parsed.error = error;
    return parsed;
  };
  for (qsizetype i = 1; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (!optionsEnded && argument == QStringLiteral("--")) {
      optionsEnded = true;
    } else if (!optionsEnded && argument.startsWith(u'-') && argument != QStringLiteral("-")) {
      // A picture option, as morvexa-cli picture takes it.
      const std::string word = argument.toStdString();
      const std::size_t equals = word.find('=');
      const std::string name = word.substr(0, equals);
      // Of the window's options, --help and --version are answered before
      // the arguments are read.
      const OptionEntry* option = name.starts_with("--") ? FindOption(name.substr(2), kWindow) : nullptr;
      if (!option || option->letter != 0) return fail(Unrecognized(argument, name));
      std::optional<std::string> value;
      if (equals != std::string::npos) {
        if (option->value == ValueTaken::None) return fail(QStringLiteral("%1 takes no value").arg(name.c_str()));
        value = word.substr(equals + 1);
      } else if (option->value == ValueTaken::Needed) {
        if (i + 1 >= arguments.size()) {
          return fail(QString::fromStdString(name + " needs a value: " + AllowedValue(*option)));
        }
        value = arguments[++i].toStdString();
      }
      const std::string wrong = TakeOption(*option, name, value, asked);
      if (!wrong.empty()) return fail(QString::fromStdString(wrong));
      if (firstOption.isEmpty()) firstOption = QString::fromStdString(name);
    } else if (!parsed.picture.isEmpty()) {
      return fail(QStringLiteral("one picture at most: '%1' is another").arg(argument));
    } else {
      parsed.picture = argument;
    }
  }
  if (firstOption.isEmpty()) return parsed;
  if (parsed.picture.isEmpty()) return fail(QStringLiteral("%1 is for a PICTURE given with it").arg(firstOption));
  // The window keeps its art as code page 936 text.
  const DrawingChoice choice = ChooseWayOfDrawing(request.drawing, {ArtForm::Gbk, false, false});
  if (!choice.refusal.empty()) return fail(QString::fromStdString(choice.refusal));
  parsed.options = request.options;
  parsed.options->way = choice.way;
  if (request.frame > 0) parsed.frame = request.frame - 1;
  return parsed;
}

}  // namespace morvexa

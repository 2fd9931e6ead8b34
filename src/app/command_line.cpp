#include "command_line.h"

#include <QCommandLineParser>
#include <QFile>
#include <QStringList>
#include <climits>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "export/export_job.h"
#include "platform/platform.h"

namespace tolvane {

namespace {

const char* const Synopsis =
    "Usage: tolvane [FILE]\n"
    "       tolvane --export-gif OUT.gif [--scale N] [--fps N] [--section A-B] [--no-loop]\n"
    "               [--transparent] [--mount-colour RRGGBB] IN\n"
    "       tolvane --export-sheet OUT.png [--columns N] [--scale N] [--padding N] [--fps N]\n"
    "               [--section A-B] [--no-loop] [--mount-colour RRGGBB] IN\n"
    "       tolvane --help | --version\n";

const char* const Description =
    "Tolvane edits small looping sprite animations: square frames side by side in one BMP or\n"
    "PNG file (the strip). With FILE, or nothing, it opens its window. With an export option\n"
    "it writes the file and exits without a window: 0 when done, 1 when IN cannot be read or\n"
    "OUT cannot be written, 2 for bad options. It never reads or writes its settings there.";

struct Options {
  QCommandLineOption gif{"export-gif", "Write IN as an animated GIF to OUT.", "OUT"};
  QCommandLineOption sheet{"export-sheet",
                           "Write IN as a PNG sprite sheet to OUT, with a JSON file of the same "
                           "name beside it.",
                           "OUT"};
  QCommandLineOption scale{"scale", "Make each pixel an N x N block, N from 1 to 8 (default 1).",
                           "N"};
  QCommandLineOption fps{"fps", "Frames per second, 1 to 30 (default 10).", "N"};
  QCommandLineOption section{"section", "Only frames A to B, counted from 1 (default all).", "A-B"};
  QCommandLineOption no_loop{"no-loop", "Play once instead of looping."};
  QCommandLineOption transparent{"transparent",
                                 "GIF only: pixels of the mount colour become transparent "
                                 "(a PNG with its own transparency keeps its own)."};
  QCommandLineOption columns{
      "columns", "Sheet only: frames per row, 1 or more (default all in one row).", "N"};
  QCommandLineOption padding{"padding",
                             "Sheet only: pixels between cells in the mount colour, 0 to 16 "
                             "(default 0).",
                             "N"};
  QCommandLineOption mount{"mount-colour",
                           "The colour made transparent and used for padding, as hexadecimal "
                           "RRGGBB (default 000000).",
                           "RRGGBB"};
  QCommandLineOption help{QStringList{"h", "help"}, "Show this help and exit."};
  QCommandLineOption version{QStringList{"v", "version"}, "Show the version and exit."};

  QList<QCommandLineOption> All() const {
    return {gif,         sheet,   scale,   fps,   section, no_loop,
            transparent, columns, padding, mount, help,    version};
  }
};

// A bad option: its one-line message and the usage on standard error.
struct Bad_Option {
  std::string text;
};

int Number(const QCommandLineParser& parser, const QCommandLineOption& o, int fallback, int min,
           int max) {
  if (!parser.isSet(o)) return fallback;
  bool ok = false;
  const int v = parser.value(o).toInt(&ok);
  if (!ok || v < min || v > max)
    throw Bad_Option{"--" + o.names().constFirst().toStdString() + " " +
                     parser.value(o).toStdString() + ": not a whole number from " +
                     std::to_string(min) + (max == INT_MAX ? " up" : " to " + std::to_string(max))};
  return v;
}

std::string Help_Text(QCommandLineParser& parser) {
  // The parser's usage line names no program without an application object:
  // the synopsis stands in its place.
  QString text = parser.helpText();
  text = text.mid(text.indexOf('\n') + 1);
  return Synopsis + ("\n" + text.toStdString());
}

Export_Job Job_Of(const QCommandLineParser& parser, const Options& o) {
  Export_Job job;
  const bool gif = parser.isSet(o.gif), sheet = parser.isSet(o.sheet);
  if (gif == sheet) throw Bad_Option{"give one of --export-gif and --export-sheet"};
  job.What = gif ? Export_Job::Kind::Gif : Export_Job::Kind::Sheet;
  const QStringList in = parser.positionalArguments();
  if (in.size() != 1)
    throw Bad_Option{in.isEmpty() ? "no input file (IN)" : "more than one input file"};
  job.In = QFile::encodeName(in.constFirst()).toStdString();
  job.Out = QFile::encodeName(parser.value(gif ? o.gif : o.sheet)).toStdString();
  const std::vector<const QCommandLineOption*> others_only =
      gif ? std::vector{&o.columns, &o.padding} : std::vector{&o.transparent};
  for (const QCommandLineOption* only : others_only)
    if (parser.isSet(*only))
      throw Bad_Option{"--" + only->names().constFirst().toStdString() + " applies to " +
                       (gif ? "--export-sheet" : "--export-gif") + " only"};
  job.Scale = Number(parser, o.scale, 1, 1, 8);
  job.Fps = Number(parser, o.fps, 10, 1, 30);
  job.Columns = Number(parser, o.columns, 0, 1, INT_MAX);
  job.Padding = Number(parser, o.padding, 0, 0, 16);
  job.Loop = !parser.isSet(o.no_loop);
  job.Transparent = parser.isSet(o.transparent);
  if (parser.isSet(o.section)) {
    const QStringList ends = parser.value(o.section).split('-');
    bool a_ok = false, b_ok = false;
    const int a = ends.size() == 2 ? ends[0].toInt(&a_ok) : 0;
    const int b = ends.size() == 2 ? ends[1].toInt(&b_ok) : 0;
    if (!a_ok || !b_ok || a < 1 || b < a)
      throw Bad_Option{"--section " + parser.value(o.section).toStdString() +
                       ": give the first and last frame, counted from 1, as A-B"};
    job.Section = {a, b};
  }
  if (parser.isSet(o.mount)) {
    const QString text = parser.value(o.mount);
    bool ok = false;
    const uint rgb = text.toUInt(&ok, 16);
    if (!ok || text.size() != 6)
      throw Bad_Option{"--mount-colour " + text.toStdString() + ": give six hexadecimal digits"};
    job.Mount = Rgb(rgb >> 16, rgb >> 8, rgb);
  }
  return job;
}

}  // namespace

std::optional<int> Run_Command_Line(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QFile::decodeName(argv[i]);
  const Options o;
  QCommandLineParser parser;
  // "-reverse", one of Qt's own options, is no cluster of -r, -e, -v...
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(Description);
  parser.addOptions(o.All());
  parser.addPositionalArgument("IN", "The strip to export, BMP or PNG.", "IN");
  const bool parsed = parser.parse(arguments);
  bool ours = false;
  for (const QCommandLineOption& option : o.All()) ours = ours || parser.isSet(option);
  // Without any option of ours the window opens, with Qt's options as before.
  if (!ours) return std::nullopt;

  if (parser.isSet(o.help)) {
    std::cout << Help_Text(parser);
    return Exit_Done;
  }
  if (parser.isSet(o.version)) {
    std::cout << Application_Title << " (" << TOLVANE_VERSION << ")\n";
    return Exit_Done;
  }
  try {
    if (!parsed) throw Bad_Option{parser.errorText().toStdString()};
    const int status = Run_Export_Job(Job_Of(parser, o), std::cerr);
    // A section beyond IN's frames is a bad option too, known once IN is read.
    if (status == Exit_Bad_Options) std::cerr << Synopsis;
    return status;
  } catch (const Bad_Option& bad) {
    std::cerr << "tolvane: " << bad.text << "\n" << Synopsis;
    return Exit_Bad_Options;
  }
}

}  // namespace tolvane

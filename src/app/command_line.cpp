#include "command_line.h"

#include <QCommandLineParser>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "bmp/bmp.h"
#include "document/picture_file.h"
#include "document/strip_edit.h"
#include "export/export_job.h"
#include "pcx/pcx.h"

namespace tolvane {

namespace {

const char* const Synopsis =
    "Usage: tolvane [FILE]\n"
    "       tolvane --export-gif OUT.gif [--scale N] [--fps N] [--section A-B] [--no-loop]\n"
    "               [--transparent] [--no-dither] [--mount-colour RRGGBB] IN\n"
    "       tolvane --export-sheet OUT.png [--columns N] [--scale N] [--padding N] [--fps N]\n"
    "               [--section A-B] [--no-loop] [--json-frames array|hash]\n"
    "               [--mount-colour RRGGBB] IN\n"
    "       tolvane --help | --version\n";

const char* const Description =
    "Tolvane edits small looping sprite animations: square frames side by side in one BMP or\n"
    "PNG file (the strip). With FILE, or nothing, it opens its window. With an export option\n"
    "it writes the file and exits without a window: 0 when done, 1 when IN cannot be read or\n"
    "OUT cannot be written, 2 for bad options (an unknown one, OUT naming IN, OUT without\n"
    "the export's extension). IN may be BMP, PNG, GIF or PCX; an animated GIF's frames, when\n"
    "square, are its strip. A GIF frame of more than 256 colours is reduced and named on\n"
    "standard error; every other frame is exact. It never reads or writes its settings there.";

struct Options {
  QCommandLineOption gif{"export-gif", "Write IN as an animated GIF to OUT.", "OUT"};
  QCommandLineOption sheet{"export-sheet",
                           "Write IN as a PNG sprite sheet to OUT, with a JSON file of the same "
                           "name beside it.",
                           "OUT"};
  QCommandLineOption scale{"scale", "Make each pixel an N x N block, N from 1 to 8 (default 1).",
                           "N"};
  QCommandLineOption fps{
      "fps",
      "Frames per second, 1 to 30 (default 10), for the frames without a duration of "
      "their own.",
      "N"};
  QCommandLineOption section{"section", "Only frames A to B, counted from 1 (default all).", "A-B"};
  QCommandLineOption no_loop{"no-loop", "Play once instead of looping."};
  QCommandLineOption transparent{"transparent",
                                 "GIF only: pixels of the mount colour become transparent "
                                 "(a PNG with its own transparency keeps its own)."};
  QCommandLineOption no_dither{"no-dither",
                               "GIF only: reduce a frame of more than 256 colours without "
                               "dithering."};
  QCommandLineOption json_frames{"json-frames",
                                 "Sheet only: the JSON's frames as an array (the default) or a "
                                 "hash keyed by filename.",
                                 "array|hash"};
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
    return {gif,       sheet,   scale,       fps,     section, no_loop, transparent,
            no_dither, columns, json_frames, padding, mount,   help,    version};
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

// IN as the command line reads it: BMP, PNG, GIF or PCX by its first bytes,
// and refused when it is damaged or cut short, as a build must not go on
// with half a picture. A PNG or GIF keeps its transparency as its
// transparent colour, and a GIF its delays. Throws Toolkit_Error with the
// reason.
Keyed_Picture Read_Input(const std::string& path, Colour mount) {
  switch (Sniff_Picture(path)) {
    case Picture_Format::Png:
    case Picture_Format::Gif:
      return Read_Picture_Keyed(path, mount);
    case Picture_Format::Bmp: {
      Read_Notes notes;
      Keyed_Picture in = Read_Picture_Keyed(path, mount, &notes);
      if (notes.Cut_Short)
        throw Toolkit_Error("Stream read error", "the file ends before its pixels do");
      return in;
    }
    case Picture_Format::Pcx: {
      Keyed_Picture in;
      switch (Read_Pcx_File(path, in.Image)) {
        case Pcx_Verdict::Decoded:
          return in;
        case Pcx_Verdict::Too_Big:
          throw Toolkit_Error("PCX image is not valid", "too large");
        case Pcx_Verdict::Not_Valid:
          throw Toolkit_Error("PCX image is not valid", "not a PCX picture this program reads");
      }
      break;
    }
    case Picture_Format::Empty:
      throw Toolkit_Error("Not a picture", "the file is empty");
    case Picture_Format::Unknown:
      break;
  }
  throw Toolkit_Error("Not a picture", "not a BMP, PNG, GIF or PCX picture");
}

// The parser's complaint, naming an unknown option as it was typed.
std::string Parse_Error(const QCommandLineParser& parser, const QStringList& arguments) {
  const QStringList unknown = parser.unknownOptionNames();
  if (unknown.isEmpty()) return parser.errorText().toStdString();
  for (const QString& a : arguments.mid(1))
    if (a.startsWith('-') && a.section('=', 0, 0).remove(QRegularExpression("^-+")) == unknown[0])
      return "unknown option " + QFile::encodeName(a.section('=', 0, 0)).toStdString();
  return "unknown option " + unknown[0].toStdString();
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
      gif ? std::vector{&o.columns, &o.padding, &o.json_frames}
          : std::vector{&o.transparent, &o.no_dither};
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
  job.Dither = !parser.isSet(o.no_dither);
  if (parser.isSet(o.json_frames)) {
    const QString layout = parser.value(o.json_frames);
    if (layout != "array" && layout != "hash")
      throw Bad_Option{"--json-frames " + layout.toStdString() + ": give array or hash"};
    job.Frames_Hash = layout == "hash";
  }
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
  if (const std::string problem = Job_Files_Problem(job); !problem.empty())
    throw Bad_Option{problem};
  return job;
}

}  // namespace

std::optional<int> Run_Command_Line(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments << QFile::decodeName(argv[i]);
  const Options o;
  QCommandLineParser parser;
  // "-reverse" is one unknown option, not a cluster of -r, -e, -v...
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(Description);
  parser.addOptions(o.All());
  parser.addPositionalArgument("IN", "The strip to export: BMP, PNG, GIF or PCX.", "IN");
  const bool parsed = parser.parse(arguments);
  bool ours = false;
  for (const QCommandLineOption& option : o.All()) ours = ours || parser.isSet(option);
  try {
    // A mistyped option never opens the window: a build script would wait
    // on it forever.
    if (!parsed) throw Bad_Option{Parse_Error(parser, arguments)};
    if (!ours) {
      if (parser.positionalArguments().size() > 1)
        throw Bad_Option{"give one FILE to open, or an export option"};
      return std::nullopt;
    }
    if (parser.isSet(o.help)) {
      std::cout << Help_Text(parser);
      return Exit_Done;
    }
    if (parser.isSet(o.version)) {
      std::cout << "tolvane " << TOLVANE_VERSION << "\n";
      return Exit_Done;
    }
    const Export_Job job = Job_Of(parser, o);
    Keyed_Picture in;
    try {
      in = Read_Input(job.In, job.Mount);
    } catch (const Toolkit_Error& e) {
      std::cerr << "tolvane: " << Failure_Text(e, job.In, "read") << "\n";
      return Exit_Failed;
    } catch (const std::bad_alloc&) {
      std::cerr << "tolvane: cannot read " << job.In << ": out of memory\n";
      return Exit_Failed;
    }
    // The frames' own durations come from a GIF's delays or a PNG strip's
    // chunk; damaged ones are left out, and the export goes on at the speed.
    const int height = std::max(in.Image.Height(), 1);
    File_Durations durations = Durations_In(in.Text, in.Image.Width() / height);
    if (!in.Delays_Ms.empty())
      durations.Ms = Fit_Durations(in.Delays_Ms, in.Image.Width() / height);
    if (durations.Damaged)
      std::cerr << "tolvane: " << job.In << ": its frame timings are damaged and were ignored\n";
    const int status = Run_Export_Job(job, in.Image, in.Transparent, std::cerr, durations.Ms);
    // A section beyond IN's frames is a bad option too, known once IN is read.
    if (status == Exit_Bad_Options) std::cerr << Synopsis;
    return status;
  } catch (const Bad_Option& bad) {
    std::cerr << "tolvane: " << bad.text << "\n" << Synopsis;
    return Exit_Bad_Options;
  }
}

}  // namespace tolvane

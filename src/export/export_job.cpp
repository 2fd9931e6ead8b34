#include "export/export_job.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <new>

#include "document/picture_file.h"
#include "export/export_frames.h"
#include "export/sheet_file.h"
#include "gif/gif.h"
#include "image/image_error.h"

namespace tolvane {

namespace {

void Report(std::ostream& err, const std::string& text) { err << "tolvane: " << text << "\n"; }

bool Same_File(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
  std::error_code failed;
  const auto full_a = std::filesystem::weakly_canonical(a, failed);
  const auto full_b = std::filesystem::weakly_canonical(b, failed);
  return failed ? std::filesystem::path(a).lexically_normal() ==
                      std::filesystem::path(b).lexically_normal()
                : full_a == full_b;
}

bool Ends_With(const std::string& path, const std::string& ext) {
  if (path.size() <= ext.size() || path[path.size() - ext.size() - 1] == '/') return false;
  return std::equal(
      ext.begin(), ext.end(), path.end() - std::ptrdiff_t(ext.size()),
      [](char e, char c) { return e == std::tolower(static_cast<unsigned char>(c)); });
}

}  // namespace

std::string Job_Files_Problem(const Export_Job& job) {
  const bool gif = job.What == Export_Job::Kind::Gif;
  const std::string option = gif ? "--export-gif " : "--export-sheet ";
  const std::string ext = gif ? ".gif" : ".png";
  if (!Ends_With(job.Out, ext)) return option + job.Out + ": OUT must end in " + ext;
  if (Same_File(job.In, job.Out)) return option + job.Out + ": OUT would overwrite IN";
  if (!gif && Same_File(job.In, Json_Path_For(job.Out)))
    return option + job.Out + ": its JSON " + Json_Path_For(job.Out) + " would overwrite IN";
  return {};
}

std::string Failure_Text(const Toolkit_Error& e, const std::string& path, const std::string& verb) {
  const std::string text = e.what();
  const auto starts = [&](const char* s) { return text.rfind(s, 0) == 0; };
  return "cannot " +
         (starts("Cannot open")     ? "open"
          : starts("Cannot create") ? "create"
          : starts("Stream write")  ? "write"
                                    : verb) +
         " " + (e.File().empty() ? path : e.File()) + ": " +
         (e.Reason().empty() ? text : e.Reason());
}

int Run_Export_Job(const Export_Job& job, const Raster_Image& strip,
                   std::optional<Colour> transparent, std::ostream& err,
                   const std::vector<int>& durations) {
  if (strip.Width() < 1 || strip.Height() < 1 || strip.Width() % strip.Height() != 0) {
    Report(err, "cannot read " + job.In + ": not a strip of square frames (" +
                    std::to_string(strip.Width()) + " x " + std::to_string(strip.Height()) +
                    " pixels)");
    return Exit_Failed;
  }
  const int size = strip.Height(), total = strip.Width() / size;
  Frame_Span frames{0, total};
  if (job.Section) {
    const auto [a, b] = *job.Section;
    if (a < 1 || b < a || b > total) {
      Report(err, "--section " + std::to_string(a) + "-" + std::to_string(b) + ": " + job.In +
                      " has frames 1 to " + std::to_string(total));
      return Exit_Bad_Options;
    }
    frames = {a - 1, b - a + 1};
  }
  try {
    if (job.What == Export_Job::Kind::Gif) {
      Gif_Animation gif{strip, size, frames.First, frames.Last(), job.Fps, job.Loop};
      gif.Scale = job.Scale;
      gif.Dither = job.Dither;
      gif.Frame_Ms = durations;
      // As the menu's export: the file's transparent colour, else the Mount
      // colour when asked for.
      if (transparent)
        gif.Transparent = transparent;
      else if (job.Transparent)
        gif.Transparent = job.Mount;
      Gif_Written written = Write_Gif(job.Out, gif);
      for (int& frame : written.Reduced) frame += frames.First;
      if (!written.Reduced.empty())
        Report(err, job.Out + ": " + Reduced_Frames_Text(written.Reduced, job.Dither));
    } else {
      const int columns = job.Columns > 0 ? job.Columns : frames.Count;
      Write_Sheet(job.Out, {strip, size, frames, columns, job.Scale, job.Padding, job.Mount,
                            job.Fps, job.Loop, job.Frames_Hash, transparent, durations});
    }
  } catch (const Toolkit_Error& e) {
    Report(err, Failure_Text(e, job.Out, "write"));
    return Exit_Failed;
  } catch (const std::bad_alloc&) {
    Report(err, "cannot write " + job.Out + ": out of memory");
    return Exit_Failed;
  }
  return Exit_Done;
}

}  // namespace tolvane

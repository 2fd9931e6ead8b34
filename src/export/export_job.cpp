#include "export/export_job.h"

#include <new>

#include "document/picture_file.h"
#include "export/export_frames.h"
#include "export/sheet_file.h"
#include "gif/gif.h"
#include "image/image_error.h"

namespace tolvane {

namespace {

// The program's text for a toolkit error, as its error box shows it.
void Report(std::ostream& err, const std::string& text) { err << "tolvane: " << text << "\n"; }

}  // namespace

int Run_Export_Job(const Export_Job& job, std::ostream& err) {
  Raster_Image strip;
  std::optional<Colour> transparent;
  try {
    Png_Picture read = Read_Picture_Keyed(job.In, job.Mount);
    strip = std::move(read.Image);
    transparent = read.Transparent;
  } catch (const Toolkit_Error& e) {
    Report(err, e.what());
    return Exit_Failed;
  } catch (const std::bad_alloc&) {
    Report(err, "Out of memory reading " + job.In);
    return Exit_Failed;
  }
  if (strip.Width() < 1 || strip.Height() < 1 || strip.Width() % strip.Height() != 0) {
    Report(err,
           job.In + ": This is not a valid animation bitmap. It must contain only square frames.");
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
      Gif_Animation gif{strip, size, frames.First, frames.Last(), Gif_Delay(job.Fps), job.Loop};
      gif.Scale = job.Scale;
      // As the menu's export: the file's transparent colour, else the Mount
      // colour when asked for.
      if (transparent)
        gif.Transparent = transparent;
      else if (job.Transparent)
        gif.Transparent = job.Mount;
      Write_Gif(job.Out, gif);
    } else {
      const int columns = job.Columns > 0 ? job.Columns : frames.Count;
      Write_Sheet(job.Out, {strip, size, frames, columns, job.Scale, job.Padding, job.Mount,
                            job.Fps, job.Loop, transparent});
    }
  } catch (const Toolkit_Error& e) {
    Report(err, e.what());
    return Exit_Failed;
  } catch (const std::bad_alloc&) {
    Report(err, "Out of memory writing " + job.Out);
    return Exit_Failed;
  }
  return Exit_Done;
}

}  // namespace tolvane

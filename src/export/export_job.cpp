#include "export/export_job.h"

#include <new>

#include "export/export_frames.h"
#include "export/sheet_file.h"
#include "gif/gif.h"
#include "image/image_error.h"
#include "png/png_picture.h"

namespace tolvane {

namespace {

// The program's text for a toolkit error, as its error box shows it.
void Report(std::ostream& err, const std::string& text) { err << "tolvane: " << text << "\n"; }

}  // namespace

int Run_Export_Job(const Export_Job& job, std::ostream& err) {
  Raster_Image strip;
  try {
    strip = Read_Picture(job.In, job.Mount);
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
      Gif_Animation gif{strip, size, frames.First, frames.Last(), job.Fps, job.Loop};
      gif.Scale = job.Scale;
      gif.Dither = job.Dither;
      if (job.Transparent) gif.Transparent = job.Mount;
      Gif_Written written = Write_Gif(job.Out, gif);
      for (int& frame : written.Reduced) frame += frames.First;
      if (!written.Reduced.empty())
        Report(err, job.Out + ": " + Reduced_Frames_Text(written.Reduced, job.Dither));
    } else {
      const int columns = job.Columns > 0 ? job.Columns : frames.Count;
      Write_Sheet(job.Out, {strip, size, frames, columns, job.Scale, job.Padding, job.Mount,
                            job.Fps, job.Loop, job.Frames_Hash});
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

#pragma once
#include <algorithm>
#include <functional>
#include <utility>

#include "bench_platform.h"
#include "mainwindow/application.h"

namespace tolvane {

// The main window on a strip of `frames` solid frames of `size` pixels, each
// of its own colour, with a fresh history. The user answers every question
// with `answer` and plays each modal form with Play (none: closes it).
struct Bench_Program {
  struct User : Bench_Platform {
    using Bench_Platform::Bench_Platform;
    std::function<void(TForm&)> Play;
    void Run_Modal(TForm& form) override { Play ? Play(form) : form.Close(); }
  };
  User P;
  Application App{P};
  TTolvane& T;

  Bench_Program(int frames, int size, int answer = id_Yes)
      : P(answer), T((App.Create_Forms(), *App.Tolvane)) {
    Raster_Image strip(frames * size, size);
    for (int i = 0; i < frames; ++i) {
      strip.Fill_Colour = Colour(i * 2654435761u) & Colour_Mask;
      strip.FillRect({i * size, 0, (i + 1) * size, size});
    }
    T.Frame_Size = size;  // as Load sets it from the file's height
    T.Session.Install_Strip(std::move(strip));
    T.Anim_History.Start(T, true);
  }

  // Brings the strip back to `frames` frames outside the timed region.
  void Restore(int frames) {
    T.Anim_Strip.Set_Width(frames * T.Frame_Size);
    T.Frame_Total = frames;
    T.Cur_Frame = std::min(T.Cur_Frame, frames - 1);
  }
};

}  // namespace tolvane

#include <string>

#include "effects/effects.h"
#include "effects/effects_param_form.h"
#include "mainwindow/application.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

using Form = TEffects_Param_Form;

int Kind_Of(const TTolvane& t, const Menu_Item& sender) {
  if (&sender == &t.Rotate1) return Form::Rotate;
  if (&sender == &t.Squash1) return Form::Squash;
  if (&sender == &t.Spin1) return Form::Spin;
  return Form::Brightness;
}

// Hides the progress panel however the run ends.
struct Progress_Panel_Shown {
  TTolvane& t;
  Progress_Panel_Shown(TTolvane& owner, int steps) : t(owner) {
    t.Progress_Show(steps, "Applying Effect...");
  }
  ~Progress_Panel_Shown() { t.Progress_Hide(); }
};

}  // namespace

// The strip is widened once, by all the new frames, before anything is
// generated, so that a strip that cannot grow fails at once; the frames are
// built aside and written into the strip when all are done. A failure anywhere
// leaves the animation as it was, and a long sequence moves the frames after
// it once instead of once per generated frame. Frames are read and written at
// the places the step-by-step growth would use, so the results are the same.
void TTolvane::Brightness1Click(const Menu_Item& sender) {
  if (!Document_Open()) return;
  // Playback ticks while the dialog is open would move Cur_Frame under the
  // frame count it offers; a floating selection would later be laid back
  // over a generated frame. Both end here, before anything changes.
  Stop_Playback();
  Set_Tool(Cur_Tool);
  Commit_Frame();

  Form& d = *App.Effects_Param_Form;
  d.Effect_Kind = Kind_Of(*this, sender);
  d.Source_DSP.B.Width = d.Source_DSP.B.Height = Frame_Size;
  const bool prepared = Run_Command(P, [&] {
    d.Source_DSP.Picture.Set_Size(Frame_Size, Frame_Size);
    BitBlt(d.Source_DSP.Picture, -Frame_Left(Cur_Frame), 0, Anim_Strip);
  });
  if (!prepared) return;
  d.Frames_Available = Frame_Total - Cur_Frame;
  d.Effect_Accepted = false;
  // The dialog's previews need images of their own.
  if (!Run_Command(P, [&] { Show_Modal(P, d); }) || !d.Effect_Accepted) return;

  const int n = d.Effect_Frames, level = d.Effect_Level, kind = d.Effect_Kind;
  const bool insert = d.Effect_Insert, reverse = d.Effect_Reverse, vertical = d.Effect_Vertical;
  const int first = reverse ? 1 : 2, last = reverse ? n - 1 : n;
  const int count = n - 1;
  // The first frame the sequence writes; in change mode it must lie within
  // the animation together with all that follow.
  const int base = Cur_Frame + first - 1;
  if (n < 2 || (!insert && base + count > Frame_Total)) return;

  const bool done = Run_Command(P, [&] {
    Raster_Image work(Frame_Size, Frame_Size), start(Frame_Size, Frame_Size);
    BitBlt(start, -Frame_Left(Cur_Frame), 0, Anim_Strip);
    const double step = double((long double)level / (n - 1));
    // Frame by frame into `made`, position p at column p - first.
    auto generate = [&](Raster_Image& made) {
      Progress_Panel_Shown progress(*this, count);
      for (int p = first; p <= last; ++p) {
        Progress_Step(p - first + 1, count);
        const long long e = reverse ? Round_Even(level - (p - 1) * (long double)step)
                                    : Round_Even((p - 1) * (long double)step);
        if (insert)
          BitBlt(work, 0, 0, start);
        else
          BitBlt(work, -Frame_Left(Cur_Frame + p - 1), 0, Anim_Strip);
        switch (kind) {
          case Form::Brightness:
            Apply_Brightness(work, int(e));
            break;
          case Form::Rotate:
            Apply_Rotate(work, int(e), Mount_Colour);
            break;
          case Form::Squash:
            Apply_Squash(work, int(e), vertical, Mount_Colour);
            break;
          default: {
            const long long g = Round_Even(90.0L / n * p);
            Apply_Spin(work, int(reverse ? 90 - g : g), vertical, Mount_Colour);
            break;
          }
        }
        BitBlt(made, (p - first) * Frame_Size, 0, work);
      }
    };
    // Widening only appends room to the right of the frames, and taking it
    // away again cannot fail: a sequence that cannot be finished gives it
    // back and leaves the animation as it was.
    const int old_width = Anim_Strip.Width();
    if (insert) Anim_Strip.Set_Width(Frame_Left(Frame_Total + count));
    Raster_Image made;
    try {
      made.Set_Size(Frame_Size * count, Frame_Size);
      generate(made);
    } catch (...) {
      Anim_Strip.Set_Width(old_width);
      throw;
    }
    if (insert) {
      Frame_Total += count;
      Copy_Rect(Anim_Strip, {Frame_Left(base + count), 0, Anim_Strip.Width(), Frame_Size},
                Anim_Strip, {Frame_Left(base), 0, old_width, Frame_Size});
    }
    BitBlt(Anim_Strip, Frame_Left(base), 0, made);
  });
  if (!done) return;

  Section1.Enabled = true;
  Anim_Modified = true;
  Frame_Edited = false;
  // The undo copy belongs to a frame that is no longer the current one.
  Undo1.Enabled = false;
  Cur_Frame += count;
  Show_Frame();
  Section_End = Cur_Frame;
  Show_Section();
}

}  // namespace tolvane

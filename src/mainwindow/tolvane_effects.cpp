#include <string>

#include "document/strip_edit.h"
#include "effects/effect_sequence.h"
#include "effects/effects_param_form.h"
#include "mainwindow/application.h"
#include "mainwindow/progress_shown.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

using Form = TEffects_Param_Form;

int Kind_Of(const TTolvane& t, const Menu_Item& sender) {
  if (&sender == &t.Controls.Rotate1) return Form::Rotate;
  if (&sender == &t.Controls.Squash1) return Form::Squash;
  if (&sender == &t.Controls.Spin1) return Form::Spin;
  return Form::Brightness;
}

Effect_Sequence Sequence_Of(const Form& d) {
  return {d.Effect_Kind,   d.Effect_Frames,  d.Effect_Level,
          d.Effect_Insert, d.Effect_Reverse, d.Effect_Vertical};
}

}  // namespace

bool TTolvane::Ask_Effect(const Menu_Item& sender) {
  Form& d = *App.Effects_Param_Form;
  d.Effect_Kind = Kind_Of(*this, sender);
  d.Source_DSP.B.Width = d.Source_DSP.B.Height = Frame_Size;
  const bool prepared = Run_Command(P, [&] {
    d.Source_DSP.Picture.Set_Size(Frame_Size, Frame_Size);
    BitBlt(d.Source_DSP.Picture, -Frame_Left(Cur_Frame), 0, Anim_Strip);
  });
  if (!prepared) return false;
  d.Frames_Available = Frame_Total - Cur_Frame;
  d.Effect_Accepted = false;
  // The dialog's previews need images of their own.
  return Run_Command(P, [&] { Show_Modal(P, d); }) && d.Effect_Accepted;
}

// The frames are made aside and go into the strip when all are done: a
// failure anywhere leaves the animation as it was, and a long sequence moves
// the frames after it once instead of once per generated frame. Frames are
// read and written at the places the step-by-step growth would use, so the
// results are the same.
void TTolvane::Brightness1Click(const Menu_Item& sender) {
  if (!Document_Open()) return;
  // Playback ticks while the dialog is open would move Cur_Frame under the
  // frame count it offers; a floating selection would later be laid back
  // over a generated frame. Both end here, before anything changes.
  Stop_Playback();
  Drop_Selection();
  // The step takes the effect's name: the item's caption without its dots
  // and its access key's mark.
  std::string name = sender.Caption.substr(0, sender.Caption.find('.'));
  std::erase(name, '&');
  Step_Scope step(*this, name);
  Commit_Frame();
  if (!Ask_Effect(sender)) return;

  const Effect_Sequence e = Sequence_Of(*App.Effects_Param_Form);
  const int count = e.Frames - 1, base = Cur_Frame + Effect_First_Frame(e);
  // In change mode the sequence must lie within the animation.
  if (e.Frames < 2 || (!e.Insert && base + count > Frame_Total)) return;
  const bool done = Run_Command(P, [&] {
    Raster_Image made;
    {
      Progress_Shown progress(*this, count, "Applying Effect...");
      made = Make_Effect_Frames(e, Anim_Strip, Frame_Size, Cur_Frame, Mount_Colour,
                                progress.Stepper());
    }
    // The new frames hold as long as the frame they were made from.
    const std::vector<int> durations(std::size_t(made.Width() / Frame_Size),
                                     Frame_Duration(Cur_Frame));
    if (e.Insert)
      Insert_Frames(*this, base, made, durations);
    else
      Replace_Frames(*this, base, made, durations);
  });
  if (!done) return;

  Sections_Offered = true;
  Anim_Modified = true;
  Frame_Edited = false;
  // The undo copy belongs to a frame that is no longer the current one.
  Undo_Available = false;
  Cur_Frame += count;
  Show_Frame();
  Section_End = Cur_Frame;
  Show_Section();
}

}  // namespace tolvane

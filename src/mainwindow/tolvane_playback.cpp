#include <string>

#include "image/raster_image.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

namespace {

constexpr Colour Playing_Border = 0x0000FF;

// 1000 / fps to the nearest millisecond, a tie going to the even neighbour
// (16 fps: 62.5 gives 62). Integer arithmetic keeps the ties exact.
int Interval_For(int fps) {
  if (fps < 1) fps = 1;
  const int q = 1000 / fps, r = 1000 % fps;
  if (2 * r > fps || (2 * r == fps && q % 2 != 0)) return q + 1;
  return q;
}

}  // namespace

void TTolvane::Play_SpeedChange() {
  Label1.Caption = std::to_string(Play_Speed.Position) + " fps";
  Anim_Timer.Interval = Interval_For(Play_Speed.Position);
}

void TTolvane::PlayClick() {
  if (Section_Start == Section_End) {
    P.Show_Message_Box("The current section has only one frame in it", Msg_Kind::Warning, mb_OK);
    return;
  }
  Drop_Selection();
  Stop.Enabled = true;
  Play.Enabled = false;
  Commit_Frame();
  Show_Frame();
  Frame_Edited = false;
  Anim_Timer.Enabled = true;
  DSP_Panel.Color = Playing_Border;
  Undo1.Enabled = false;
}

void TTolvane::Anim_TimerTimer() {
  // A tick still queued when playback stopped must not move the frame.
  if (!Anim_Timer.Enabled) return;
  int next = Cur_Frame + 1;
  if (next > Section_End) {
    if (Repeat_Anim.Down) {
      next = Section_Start;
    } else {
      // The working frame still shows frame Cur_Frame, and what was drawn into
      // it since the last tick belongs there: keep it in that frame, as Stop
      // would, so that Stop's own commit cannot write it over the last frame.
      Commit_Frame();
      Frame_Edited = false;
      Anim_Timer.Enabled = false;
      DSP_Panel.Color = Face_Colour;
      Cur_Frame = Frame_Total - 1;
      StopClick();
      return;
    }
  }
  Cur_Frame = next;
  // One frame's worth of copying: the blit is clipped to the working frame, so
  // the cost does not depend on the strip's length.
  BitBlt(Working_Frame, -Frame_Left(Cur_Frame), 0, Anim_Strip);
  Anim_History.Rebase(*this);
}

void TTolvane::StopClick() {
  Drop_Selection();
  Anim_Timer.Enabled = false;
  DSP_Panel.Color = Face_Colour;
  Stop.Enabled = false;
  Play.Enabled = true;
  Commit_Frame();
  Show_Frame();
}

void TTolvane::Stop_Playback() {
  if (Anim_Timer.Enabled) StopClick();
}

void TTolvane::Repeat_AnimClick() { Repeat_Anim.Down = !Repeat_Anim.Down; }

void TTolvane::Show_Section() {
  if (Section_End < Section_Start) Section_End = Section_Start;
  Label3.Caption =
      "Section: " + std::to_string(Section_Start + 1) + " to " + std::to_string(Section_End + 1);
}

void TTolvane::MarkFrameAsStartOfSection1Click() {
  Section_Start = Cur_Frame;
  Show_Section();
}

void TTolvane::MarkFrameAsEndOfSection1Click() {
  Section_End = Cur_Frame;
  Show_Section();
}

void TTolvane::ResetMarks1Click() {
  Section_Start = 0;
  Section_End = Frame_Total - 1;
  Show_Section();
}

void TTolvane::Keep_Section_Whole(bool was_whole) {
  if (!was_whole || Section_End == Frame_Total - 1) return;
  Section_End = Frame_Total - 1;
  Show_Section();
}

}  // namespace tolvane

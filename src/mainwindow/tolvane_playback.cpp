#include <string>

#include "image/raster_image.h"
#include "mainwindow/tolvane.h"

namespace tolvane {

void TTolvane::Play_SpeedChange() { Player.Set_Fps(Controls.Play_Speed.Position); }

void TTolvane::PlayClick() {
  if (Section_Start == Section_End) {
    P.Show_Message_Box("The current section has only one frame in it", Msg_Kind::Warning, mb_OK);
    return;
  }
  Drop_Selection();
  Player.Start();
  Commit_Frame();
  Show_Frame();
  Frame_Edited = false;
  Undo_Available = false;
}

void TTolvane::Anim_TimerTimer() {
  // A tick still queued when playback stopped must not move the frame.
  if (!Player.Playing()) return;
  const Playback::Step step = Player.Tick(Cur_Frame, Section_Start, Section_End, Frame_Total);
  if (step.Ended) {
    // The working frame still shows frame Cur_Frame, and what was drawn into
    // it since the last tick belongs there: keep it in that frame, as Stop
    // would, so that Stop's own commit cannot write it over the last frame.
    Commit_Frame();
    Frame_Edited = false;
    Cur_Frame = step.Frame;
    StopClick();
    return;
  }
  Cur_Frame = step.Frame;
  // One frame's worth of copying: the blit is clipped to the working frame, so
  // the cost does not depend on the strip's length.
  BitBlt(Working_Frame, -Frame_Left(Cur_Frame), 0, Anim_Strip);
  Anim_History.Rebase(*this);
}

void TTolvane::StopClick() {
  Drop_Selection();
  Player.Stop();
  Commit_Frame();
  Show_Frame();
}

void TTolvane::Stop_Playback() {
  if (Player.Playing()) StopClick();
}

void TTolvane::Repeat_AnimClick() { Player.Set_Loop(!Player.Loop()); }

void TTolvane::Show_Section() {
  if (Section_End < Section_Start) Section_End = Section_Start;
  Controls.Label3.Caption =
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

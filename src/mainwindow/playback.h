#pragma once

namespace tolvane {

// Playback's own state: whether it runs, whether it loops at the section's
// end, and its speed. The window's Play, Stop, Repeat_Anim, Play_Speed and
// Anim_Timer only show it. A frame with a duration of its own holds for it
// instead of the speed's interval.
class Playback {
 public:
  static constexpr int Min_Fps = 1, Max_Fps = 30;

  bool Playing() const { return playing_; }
  bool Loop() const { return loop_; }
  int Fps() const { return fps_; }
  // The timer's interval: 1000 / fps to the nearest millisecond, a tie going
  // to the even neighbour (16 fps: 62.5 gives 62).
  int Interval() const;
  // The interval of a frame of duration `own_ms`: its own, or the speed's
  // for Follow_Speed (0).
  int Interval(int own_ms) const { return own_ms > 0 ? own_ms : Interval(); }

  void Set_Fps(int fps);  // brought into Min_Fps..Max_Fps
  void Set_Loop(bool on) { loop_ = on; }
  void Start() { playing_ = true; }
  void Stop() { playing_ = false; }

  // One tick from `frame` over the section start..end of `total` frames: the
  // frame to show next. Past the section's end it loops back to its start,
  // or, without loop, stops on the animation's last frame.
  struct Step {
    int Frame;
    bool Ended;  // playback stopped with this step
  };
  Step Tick(int frame, int start, int end, int total);

 private:
  bool playing_ = false;
  bool loop_ = true;
  int fps_ = 10;
};

}  // namespace tolvane

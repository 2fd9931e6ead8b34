#include "effects/effect_sequence.h"

#include "effects/effects.h"
#include "effects/effects_param_form.h"
#include "image/round_even.h"

namespace tolvane {

std::vector<Effect_Step> Effect_Schedule(const Effect_Sequence& e) {
  std::vector<Effect_Step> steps;
  const int n = e.Frames;
  if (n < 2) return steps;
  const int first = e.Reverse ? 1 : 2, last = e.Reverse ? n - 1 : n;
  // The step is held as a double; the products are formed in extended precision.
  const double step = double((long double)e.Level / (n - 1));
  for (int p = first; p <= last; ++p) {
    long long value;
    if (e.Kind == TEffects_Param_Form::Spin) {
      const long long g = Round_Even(90.0L / n * p);
      value = e.Reverse ? 90 - g : g;
    } else {
      value = e.Reverse ? Round_Even(e.Level - (p - 1) * (long double)step)
                        : Round_Even((p - 1) * (long double)step);
    }
    steps.push_back({p - 1, int(value)});
  }
  return steps;
}

namespace {

void Apply(const Effect_Sequence& e, Raster_Image& work, int value, Colour mount) {
  switch (e.Kind) {
    case TEffects_Param_Form::Brightness:
      Apply_Brightness(work, value);
      break;
    case TEffects_Param_Form::Rotate:
      Apply_Rotate(work, value, mount);
      break;
    case TEffects_Param_Form::Squash:
      Apply_Squash(work, value, e.Vertical, mount);
      break;
    default:
      Apply_Spin(work, value, e.Vertical, mount);
      break;
  }
}

}  // namespace

Raster_Image Make_Effect_Frames(const Effect_Sequence& e, const Raster_Image& strip, int frame_size,
                                int current, Colour mount,
                                const std::function<void(int, int)>& step) {
  const std::vector<Effect_Step> steps = Effect_Schedule(e);
  const int count = int(steps.size());
  Raster_Image work(frame_size, frame_size), start(frame_size, frame_size);
  BitBlt(start, -current * frame_size, 0, strip);
  Raster_Image made(frame_size * count, frame_size);
  for (int k = 0; k < count; ++k) {
    step(k + 1, count);
    if (e.Insert)
      BitBlt(work, 0, 0, start);
    else
      BitBlt(work, -(current + steps[k].Source) * frame_size, 0, strip);
    Apply(e, work, steps[k].Value, mount);
    BitBlt(made, k * frame_size, 0, work);
  }
  return made;
}

}  // namespace tolvane

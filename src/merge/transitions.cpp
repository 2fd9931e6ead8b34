#include "merge/transitions.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace tolvane {

namespace {

constexpr const char* Upper_Names[Trans_Kind_Count] = {"MERGE",
                                                       "SLIDE HORIZONTAL",
                                                       "SLIDE VERTICAL",
                                                       "SQUEEZE HORIZONTAL",
                                                       "SQUEEZE VERTICAL",
                                                       "WIPE HORIZONTAL",
                                                       "WIPE VERTICAL",
                                                       "SPLIT HORIZONTAL",
                                                       "SPLIT VERTICAL",
                                                       "COLLAPSE",
                                                       "CENTRE OUT"};

// Pixels of B inside q go to the same place in Out, clipped to the frame.
void Copy_From(Raster_Image& out, const Raster_Image& b, const Rect& q) {
  if (q.Right > q.Left && q.Bottom > q.Top) Copy_Rect(out, q, b, q);
}

// Round(fs / n x k) with the quotient and the product in extended precision.
int Step_Size(int fs, int n, int k) {
  return int(Round_Even(static_cast<long double>(fs) / n * k));
}

unsigned Fade_Channel(long double t, unsigned a, unsigned b) {
  return unsigned(Round_Even((1.0L - t) * a + t * b));
}

// The exact channel values of one step, each pair of values computed once:
// overlaps with ties (r + 1 = 32, say) meet the same pairs over and over.
class Exact_Channels {
 public:
  explicit Exact_Channels(long double t) : t_(t) {}
  unsigned Get(unsigned a, unsigned b) {
    if (values_.empty()) values_.assign(256 * 256, -1);
    std::int16_t& v = values_[a << 8 | b];
    if (v < 0) v = std::int16_t(Fade_Channel(t_, a, b));
    return unsigned(v);
  }

 private:
  long double t_;
  std::vector<std::int16_t> values_;  // -1: not computed yet
};

// The cross-fade in single precision: its error stays below 1e-4 of a unit
// (weights and products of values up to 255 each lose at most 2^-24 relative),
// so wherever the value lies further than Tie_Margin from a half the rounded
// result is the one the extended-precision formula gives. Near a half (ties,
// and values a rounding error could move across one) the channel is
// recomputed exactly.
//
// The exact value is ((D - s) a + s b) / D with D = r + 1. Unless it is a
// half exactly, which needs an even D, it lies at least 1 / (2D) from a half:
// for odd D up to Max_Tie_Free single precision decides every channel alone.
// Other even D go through the near-tie check.
constexpr float Tie_Margin = 1.0f / 4096;
constexpr int Max_Tie_Free = 2048;

struct Fast_Fade {
  float ka, kb;

  // Channel value plus one half: its integer part is the rounded result when
  // the value is no near-tie; near is set for a near-tie.
  unsigned Channel(unsigned a, unsigned b, int& near) const {
    const float v = ka * float(int(a)) + kb * float(int(b)) + 0.5f;
    const int i = int(v);
    const float frac = v - float(i);
    near |= int(frac < Tie_Margin) | int(frac > 1.0f - Tie_Margin);
    return unsigned(i);
  }

  unsigned Rounded(unsigned a, unsigned b) const {
    return unsigned(int(ka * float(int(a)) + kb * float(int(b)) + 0.5f));
  }

  // For D a power of two up to 2^16 the weights, products and sums are exact
  // in single precision as in extended: a tie is a tie in both, and goes to
  // the even neighbour.
  unsigned Rounded_Dyadic(unsigned a, unsigned b) const {
    const float v = ka * float(int(a)) + kb * float(int(b)) + 0.5f;
    const int i = int(v);
    return unsigned(i - int(float(i) == v && (i & 1)));
  }
};

template <unsigned (Fast_Fade::*Round)(unsigned, unsigned) const>
void Fade_Row_Decided(const Fast_Fade& fast, const Colour* a, const Colour* b, Colour* out, int n) {
  for (int x = 0; x < n; ++x) {
    const Colour pa = a[x], pb = b[x];
    out[x] = (fast.*Round)(pa & 0xFF, pb & 0xFF) |
             (fast.*Round)((pa >> 8) & 0xFF, (pb >> 8) & 0xFF) << 8 |
             (fast.*Round)((pa >> 16) & 0xFF, (pb >> 16) & 0xFF) << 16;
  }
}

// First every channel in single precision, noting the near-ties; then the
// noted channels again, exactly.
void Fade_Row(const Fast_Fade& fast, Exact_Channels& exact, const Colour* a, const Colour* b,
              Colour* out, int n) {
  thread_local std::vector<Colour> near_channels;
  near_channels.resize(std::size_t(n));
  Colour* near = near_channels.data();
  Colour any = 0;
  for (int x = 0; x < n; ++x) {
    const Colour pa = a[x], pb = b[x];
    int r = 0, g = 0, bl = 0;
    out[x] = fast.Channel(pa & 0xFF, pb & 0xFF, r) |
             fast.Channel((pa >> 8) & 0xFF, (pb >> 8) & 0xFF, g) << 8 |
             fast.Channel((pa >> 16) & 0xFF, (pb >> 16) & 0xFF, bl) << 16;
    near[x] = Colour(r) | Colour(g) << 8 | Colour(bl) << 16;
    any |= near[x];
  }
  if (!any) return;
  for (int x = 0; x < n; ++x) {
    if (!near[x]) continue;
    for (int shift : {0, 8, 16})
      if ((near[x] >> shift) & 1) {
        const unsigned ca = (a[x] >> shift) & 0xFF, cb = (b[x] >> shift) & 0xFF;
        out[x] = (out[x] & ~(0xFFu << shift)) | exact.Get(ca, cb) << shift;
      }
  }
}

}  // namespace

int Trans_Kind_Of(const std::string& name) {
  std::string upper = name;
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  for (int k = 1; k <= Trans_Kind_Count; ++k)
    if (upper == Upper_Names[k - 1]) return k;
  return No_Transition;
}

void Cross_Fade(Raster_Image& out, const Raster_Image& a, const Raster_Image& b, int s, int r) {
  const double t = double(s) / (r + 1);
  const long double tt = t;
  const Fast_Fade fast{float(1.0L - tt), float(t)};
  Exact_Channels exact(tt);
  const int w = out.Width(), h = out.Height(), d = r + 1;
  const bool tie_free = d % 2 == 1 && d <= Max_Tie_Free;
  const bool dyadic = (d & (d - 1)) == 0 && d <= 1 << 16;
  for (int y = 0; y < h; ++y) {
    if (tie_free)
      Fade_Row_Decided<&Fast_Fade::Rounded>(fast, a.Row(y), b.Row(y), out.Row(y), w);
    else if (dyadic)
      Fade_Row_Decided<&Fast_Fade::Rounded_Dyadic>(fast, a.Row(y), b.Row(y), out.Row(y), w);
    else
      Fade_Row(fast, exact, a.Row(y), b.Row(y), out.Row(y), w);
  }
}

void Build_Transition_Frame(Raster_Image& out, const Raster_Image& a, const Raster_Image& b,
                            int kind, int s, int r) {
  const int fs = out.Width();
  const int h = fs / 2, m = fs / 2;
  switch (kind) {
    case tk_Merge:
      Cross_Fade(out, a, b, s, r);
      break;
    case tk_Slide_Horizontal: {  // A leaves to the left, B comes in from the right
      const int d = Step_Size(fs, r + 1, s);
      BitBlt(out, -d, 0, a);
      BitBlt(out, fs - d, 0, b);
      break;
    }
    case tk_Slide_Vertical: {  // A leaves upwards, B comes in from below
      const int d = Step_Size(fs, r + 1, s);
      BitBlt(out, 0, -d, a);
      BitBlt(out, 0, fs - d, b);
      break;
    }
    case tk_Squeeze_Horizontal: {  // B grows from the left edge
      const int d = Step_Size(fs, r + 1, s);
      StretchBlt(out, {0, 0, d, fs}, b);
      StretchBlt(out, {d, 0, fs, fs}, a);
      break;
    }
    case tk_Squeeze_Vertical: {  // B grows from the top
      const int d = Step_Size(fs, r + 1, s);
      StretchBlt(out, {0, 0, fs, d}, b);
      StretchBlt(out, {0, d, fs, fs}, a);
      break;
    }
    case tk_Wipe_Horizontal:
      BitBlt(out, 0, 0, a);
      Copy_From(out, b, {0, 0, Step_Size(fs, r, s), fs});
      break;
    case tk_Wipe_Vertical:
      BitBlt(out, 0, 0, a);
      Copy_From(out, b, {0, 0, fs, Step_Size(fs, r, s)});
      break;
    case tk_Split_Horizontal: {  // upper half of B from the left, lower half from the right
      const int d = r == 1 ? 8 : Step_Size(fs, r - 1, s - 1);
      BitBlt(out, 0, 0, a);
      Copy_From(out, b, {0, 0, d, h});
      Copy_From(out, b, {fs - d, h, fs, fs});
      break;
    }
    case tk_Split_Vertical: {  // left half of B from the top, right half from the bottom
      const int d = r == 1 ? 8 : Step_Size(fs, r - 1, s);
      BitBlt(out, 0, 0, a);
      Copy_From(out, b, {0, 0, h, d});
      Copy_From(out, b, {h, fs - d, fs, fs});
      break;
    }
    case tk_Collapse: {
      // The square shrinks from the whole frame to nothing, so it holds the
      // outgoing A and the surround the incoming B: the run starts at A and
      // ends at B.
      const int d = r == 1 ? 8 : Step_Size(fs, r - 1, r - s) / 2;
      BitBlt(out, 0, 0, b);
      Copy_From(out, a, {m - d, m - d, m + d, m + d});
      break;
    }
    case tk_Centre_Out: {
      // The square grows from nothing to the whole frame, so it holds the
      // incoming B over the outgoing A.
      const int d = r == 1 ? 8 : Step_Size(fs, r - 1, s - 1) / 2;
      BitBlt(out, 0, 0, a);
      Copy_From(out, b, {m - d, m - d, m + d, m + d});
      break;
    }
    default:
      break;  // no kind: Out is left as it is
  }
}

}  // namespace tolvane

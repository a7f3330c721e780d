// Screen parameters: which samples of the acquisition memory the host draws
// at which pixels, for every trace group, while running, after a stop and
// after a setting changed while running; and the re-read of the timebase and
// acquisition values the instrument really applied.
//
// The waveform area is 700 pixels wide (x 0..699), 50 pixels a division, 14
// divisions across. Times are 64-bit picoseconds; every sum and product
// saturates, so no host value reaches undefined behaviour.
#include <algorithm>
#include <cmath>

#include "convert.h"
#include "frame/handlers.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "setup/block_layout.h"
#include "setup/screen_layout.h"

namespace qx {
namespace {

namespace D = layout::dso;
namespace A = layout::alt;
using i64 = std::int64_t;

// --- Re-reading the instrument's blocks --------------------------------------

struct BlockRead {
  int size;
  int usbCode;
  const char* query;
};
constexpr BlockRead kDsoRead = {D::kSize, 6, ":SETUP:DSO?"};
constexpr BlockRead kAltRead = {A::kSize, 13, ":SETUP:ALT?"};

// Over LAN the copy is taken whatever the read returned: a failed read
// leaves the previous contents. Over USB a failed read is reported.
bool Reread(const BlockRead& block, BYTE* copy) {
  if (Setup().InterfaceType == 0) return UsbBlockRead(block.size, copy, block.usbCode);
  ReadSetup(block.query, copy);
  return true;
}

void TakeAltRates(_QX_SETUP& s, const BYTE* a, int c) {
  s.AltMemDepth[c] = LoadU32(a + A::AltMemDepth[c]);
  s.AltSampleRate[c] = static_cast<float>(LoadU32(a + A::AltSampleRate[c]));  // a whole number there
  s.AltSampleRate2[c] = LoadF32(a + A::AltSampleRate2[c]);
}

void TakeMainTimebase(_QX_SETUP& s, const BYTE* d) {
  s.AcqSampleRate = LoadF32(d + D::AcqSampleRate);
  s.AcqSampleRateAtStop = LoadF32(d + D::AcqSampleRateAtStop);
  s.AcqSampleRate2 = LoadF32(d + D::AcqSampleRate2);
  s.AcqSampleRate2AtStop = LoadF32(d + D::AcqSampleRate2AtStop);
  s.AcqMemDepth = LoadU32(d + D::AcqMemDepth);
  s.AcqMemDepthAtStop = LoadU32(d + D::AcqMemDepthAtStop);
  s.TimeScale = ValidateTimeScale(LoadF32(d + D::TimeScale));
  s.TimeOffset = ValidateTimeOffset(LoadF64(d + D::TimeOffset));
  s.TimeScalePs = LoadI64(d + D::TimeScalePs);
  s.TimeOffsetPs = LoadI64(d + D::TimeOffsetPs);
  if (d[D::DelayedOn] != 1) return;
  s.DelayedScale = ValidateTimeScale(LoadF32(d + D::DelayedScale));
  s.DelayedOffset = ValidateTimeOffset(LoadF64(d + D::DelayedOffset));
  s.DelayedScalePs = LoadI64(d + D::DelayedScalePs);
  s.DelayedOffsetPs = LoadI64(d + D::DelayedOffsetPs);
  // The zoomed sweep is never slower than the main one; the seconds copy
  // follows at the next timebase change.
  if (s.TimeScalePs < s.DelayedScalePs) s.DelayedScalePs = s.TimeScalePs;
}

// Every spectrum follows the time base it is computed from.
void TakeSpectrumScales(_QX_SETUP& s) {
  for (int slot = 0; slot < 4; ++slot) {
    if (s.MathOperator[slot] != kOperatorFFT) continue;
    s.FFTTimeScale[slot] = FFTHorizScaleFor(slot);
    s.FFTTimeOffset[slot] =
        ValidateFFTHorizOffset(s.FFTTimeOffsetDiv[slot] * s.FFTTimeScale[slot], s.FFTTimeScale[slot]);
  }
}

void TakeAltTimebase(_QX_SETUP& s, const BYTE* a, int c) {
  TakeAltRates(s, a, c);
  s.AltTimeScalePs[c] = LoadI64(a + A::AltTimeScalePs[c]);
  s.AltTimeScale[c] = LoadF32(a + A::AltTimeScale[c]);
  s.AltTimeOffsetPs[c] = LoadI64(a + A::AltTimeOffsetPs[c]);
  s.AltTimeOffset[c] = LoadF64(a + A::AltTimeOffset[c]);
}

// --- Saturating picosecond arithmetic -----------------------------------------

constexpr i64 kMax = INT64_MAX;
constexpr i64 kMin = INT64_MIN;

i64 Add(i64 a, i64 b) {
  if (b > 0 && a > kMax - b) return kMax;
  if (b < 0 && a < kMin - b) return kMin;
  return a + b;
}
i64 Sub(i64 a, i64 b) {
  if (b == kMin) return a >= 0 ? kMax : a - kMin;
  return Add(a, -b);
}
// Products beyond 2^62 ps (53 days) only come from nonsense inputs; they
// saturate early so the exact product below can never overflow.
i64 Mul(i64 a, i64 b) {
  const double p = static_cast<double>(a) * static_cast<double>(b);
  if (std::fabs(p) >= 0x1p62) return p > 0 ? kMax : kMin;
  return a * b;
}

// --- The screen windows ---------------------------------------------------------

constexpr i64 kPsPerSecond = 1'000'000'000'000;
constexpr i64 kPixelsPerDivision = 50;
constexpr i64 kDivisionsAcross = 14;
constexpr i64 kLastPixel = 699;
constexpr i64 kHalfScreenFiftieths = 349;  // pixel 699 lies 349/50 divisions right of the centre
constexpr i64 kPastRight = 700;
constexpr i64 kLimitX = 7000;

i64 HoldX(i64 x) { return std::clamp(x, -kLimitX, kLimitX); }

// The pixels a span of picoseconds covers at time/div `tdiv`.
i64 Pixels(i64 ps, i64 tdiv) { return Mul(ps, kPixelsPerDivision) / tdiv; }

// Picoseconds a sample; 0 when the rate gives no whole sample period.
i64 SampleTime(double rate) {
  const i64 whole = TruncateTo<i64>(rate);
  return whole > 0 ? kPsPerSecond / whole : 0;
}

// The first sample at or after time F from the first sample, which lies
// inside the memory.
void StartInside(ScreenWindow& w, i64 F, i64 T, i64 tdiv) {
  const i64 q = F / T;
  const i64 rem = F % T;
  w.FirstPoint = Hold32(rem == 0 ? q : q + 1);
  w.FirstX = rem == 0 ? 0 : Hold32(HoldX(Pixels(T - rem, tdiv)));
  w.ClipFirstX = 0;
}

// The last sample at or before time G, which lies inside the memory.
void EndInside(ScreenWindow& w, i64 G, i64 T, i64 tdiv) {
  w.LastPoint = Hold32(G / T);
  w.LastX = Hold32(HoldX(kLastPixel - Pixels(G % T, tdiv)));
  w.ClipLastX = static_cast<std::int32_t>(kLastPixel);
}

void SetFirst(ScreenWindow& w, i64 point, i64 x) {
  w.FirstPoint = Hold32(point);
  w.FirstX = w.ClipFirstX = Hold32(x);
}
void SetLast(ScreenWindow& w, i64 point, i64 x, i64 clip) {
  w.LastPoint = Hold32(point);
  w.LastX = Hold32(x);
  w.ClipLastX = Hold32(clip);
}

// A trace of n samples T apart, the offset moved by `moved` since it was
// taken, the last `shift` samples unusable. F is the time of pixel 0 and G
// of pixel 699, both measured from the first sample.
void Fill(ScreenWindow& w, i64 moved, i64 tdiv, i64 T, i64 n, i64 shift) {
  const i64 span = Mul(n, T);
  const i64 end = Sub(span, Mul(shift, T));
  const i64 screen = Mul(kDivisionsAcross, tdiv);
  const i64 F = Add(Sub(span >> 1, screen >> 1), moved);
  if (F < -screen)
    SetFirst(w, 0, 0);
  else if (F < 0)
    SetFirst(w, 0, Sub(1, Pixels(F, tdiv)));
  else if (F <= end)
    StartInside(w, F, T, tdiv);
  else
    SetFirst(w, n - 1, kPastRight);

  const i64 G = Add(Add(span >> 1, moved), Mul(tdiv, kHalfScreenFiftieths) / kPixelsPerDivision);
  if (G <= end && G >= 0) {
    EndInside(w, G, T, tdiv);
  } else if (G <= end) {
    SetLast(w, 0, 0, -1);
  } else if (G <= Add(end, screen)) {
    const i64 x = Add(kLastPixel, Pixels(Sub(end, G), tdiv));
    SetLast(w, n - shift - 1, x, x);
  } else {
    SetLast(w, n - 1, kPastRight, kPastRight);
  }
}

// ROLLING: the newest of `shift` valid samples sits at the right edge.
void FillRolling(ScreenWindow& w, i64 moved, i64 tdiv, i64 T, i64 shift) {
  const i64 valid = Mul(shift, T);
  const i64 screen = Mul(kDivisionsAcross, tdiv);
  const i64 F = Add(Sub(moved, screen), valid);
  if (F < -screen || F > valid)
    SetFirst(w, 0, 0);
  else if (F < 0)
    SetFirst(w, 0, Sub(1, Pixels(F, tdiv)));
  else
    StartInside(w, F, T, tdiv);

  const i64 G = Add(moved, valid);
  if (G < 0) {
    SetLast(w, 0, 0, -1);
  } else if (G <= valid) {
    EndInside(w, G, T, tdiv);
  } else if (G < Add(valid, screen)) {
    const i64 x = Add(kLastPixel, Pixels(Sub(valid, G), tdiv));
    SetLast(w, shift - 1, x, x);
  } else {
    SetLast(w, shift - 1, kPastRight, kPastRight);
  }
}

// The held trace: the host's PointShift shortens the memory end. A rate
// without a whole sample period, or a time/div of 0 or less, leaves the
// entry as it was.
void StoppedWindow(ScreenWindow& w, i64 moved, i64 tdiv, double rate, i64 n) {
  const i64 T = SampleTime(rate);
  if (T == 0 || tdiv <= 0) return;
  if (Setup().TimeFormat == 2)
    FillRolling(w, moved, tdiv, T, w.PointShift);
  else
    Fill(w, moved, tdiv, T, n, w.PointShift);
}

// The running and changed-setting windows use the whole memory. With no
// offset moved this is the running window: the screen centred on the
// memory's middle.
void WholeWindow(ScreenWindow& w, i64 moved, i64 tdiv, double rate, i64 n) {
  const i64 T = SampleTime(rate);
  if (T == 0 || tdiv <= 0) return;
  Fill(w, moved, tdiv, T, n, 0);
}

// At 50 ns/div and faster the analyzer fills the zoomed window at half the
// rate into half the memory.
bool AnalyzerZoomHalved() { return Setup().TimeScale <= 5e-8; }

// How far the zoomed window sits from where the running trace was taken.
i64 DelayedRunMoved(const _QX_SETUP& s) {
  return Sub(Sub(s.DelayedOffsetPs, s.DelayedOffsetPsAtStop), s.TimeOffsetPsAtStop);
}

// A hundred samples a division: how a change is drawn while the instrument
// runs. The constant is single precision; a zero time/div gives no rate.
double HundredPerDivision(i64 tdivPs) { return tdivPs == 0 ? 0.0 : 1e14f / static_cast<float>(tdivPs); }

constexpr i64 kChangeDepth = 2048;
// ROLLING after a change: the newest 1402 samples, drawn right to left.
constexpr ScreenWindow kRollingChange = {.FirstPoint = 646,
                                         .LastPoint = 2047,
                                         .FirstX = 699,
                                         .LastX = 0,
                                         .ClipFirstX = 699,
                                         .ClipLastX = 0,
                                         .PointShift = 0};

constexpr i64 kShiftStepPs = 20;  // the held trace moves in 20 ps steps

// --- Spectra ----------------------------------------------------------------------

// Zoom code: factor, points of the spectrum drawn, width drawn in pixels.
struct ZoomRow {
  int code;
  double factor;
  i64 points;
  i64 width;
};
constexpr ZoomRow kZoomRows[] = {
    {1, 0.1, 10240, 50}, {2, 0.2, 5120, 100}, {3, 0.5, 2048, 250},  {4, 1.0, 1024, 500},
    {5, 2.0, 512, 1400}, {6, 5.0, 204, 3500}, {7, 10.0, 102, 7000},
};
constexpr int kUnzoomed = 3;  // any other code is drawn unzoomed

const ZoomRow& ZoomFor(int code) {
  for (const ZoomRow& row : kZoomRows)
    if (row.code == code) return row;
  return kZoomRows[kUnzoomed];
}

}  // namespace
}  // namespace qx

using qx::i64;

void GetAcqSaRate() {
  _QX_SETUP& s = qx::Setup();
  qx::LinkState& link = qx::Link;
  if (qx::Reread(qx::kDsoRead, link.FwDsoSetup.Bytes)) {
    const BYTE* d = link.FwDsoSetup.Bytes;
    s.AcqSampleRate = qx::LoadF32(d + qx::D::AcqSampleRate);
    s.AcqSampleRate2 = qx::LoadF32(d + qx::D::AcqSampleRate2);
    s.AcqMemDepth = qx::LoadU32(d + qx::D::AcqMemDepth);
  }
  if (s.TrigType != TRIG_ALTERNATION || !qx::Reread(qx::kAltRead, link.FwAltSetup.Bytes)) return;
  for (int c = 0; c < 2; ++c) qx::TakeAltRates(s, link.FwAltSetup.Bytes, c);
}

void GetTimeScalePara() {
  _QX_SETUP& s = qx::Setup();
  qx::LinkState& link = qx::Link;
  const BYTE* d = link.FwDsoSetup.Bytes;
  if (qx::Reread(qx::kDsoRead, link.FwDsoSetup.Bytes)) {
    qx::TakeMainTimebase(s, d);
    if (GetFFTOperator()) qx::TakeSpectrumScales(s);
  }
  if (s.TrigType == TRIG_ALTERNATION && qx::Reread(qx::kAltRead, link.FwAltSetup.Bytes))
    for (int c = 0; c < 2; ++c) qx::TakeAltTimebase(s, link.FwAltSetup.Bytes, c);
  // The channels come from the block copy even when the re-read failed.
  for (int c = 0; c < 2; ++c) {
    s.ChanProbe[c] = qx::LoadF32(d + qx::D::ChanProbe[c]);
    s.ChanScale[c] = qx::LoadF32(d + qx::D::ChanScale[c]);
    s.ChanOffset[c] = qx::LoadF32(d + qx::D::ChanOffset[c]);
  }
}

void GetRunScreenPara() {
  using namespace qx;
  const _QX_SETUP& s = Setup();
  ScreenWindow* w = Pos().Window;
  const bool realTime = s.AcqMode == 1;
  double rate = realTime ? s.AcqSampleRate : s.AcqSampleRate2;
  if (s.TrigType == TRIG_ALTERNATION) {
    for (int c = 0; c < 2; ++c)
      WholeWindow(w[POS_ALT_CH1 + c], 0, s.AltTimeScalePs[c],
                  realTime ? s.AltSampleRate[c] : s.AltSampleRate2[c], s.AltMemDepth[c]);
    rate = realTime ? s.AltSampleRate[0] : s.AltSampleRate2[0];
  }
  WholeWindow(w[POS_MAIN], 0, s.TimeScalePs, rate, s.AcqMemDepth);
  if (s.LaEnable == 1) WholeWindow(w[POS_LA], 0, s.TimeScalePs, rate, s.AcqMemDepth);
  if (s.DelayedOn != 1) return;
  const i64 moved = DelayedRunMoved(s);
  WholeWindow(w[POS_DELAYED], moved, s.DelayedScalePs, rate, s.AcqMemDepth);
  if (s.LaEnable != 1) return;
  const bool half = AnalyzerZoomHalved();
  WholeWindow(w[POS_LA_DELAYED], moved, s.DelayedScalePs, half ? rate * 0.5 : rate,
              half ? s.AcqMemDepth / 2 : s.AcqMemDepth);
}

void GetStopScreenPara(std::int16_t shift) {
  using namespace qx;
  const _QX_SETUP& s = Setup();
  ScreenWindow* w = Pos().Window;
  const bool alternation = s.TrigType == TRIG_ALTERNATION;
  const double rate = alternation ? s.AltSampleRate[0] : s.AcqSampleRateAtStop;
  const UINT depth = s.AcqMemDepthAtStop;
  if (alternation) {
    for (int c = 0; c < 2; ++c)
      StoppedWindow(w[POS_ALT_CH1 + c], Sub(s.AltTimeOffsetPs[c], s.AltTimeOffsetPsAtStop[c]),
                    s.AltTimeScalePs[c], s.AltSampleRate[c], s.AltMemDepth[c]);
  } else {
    StoppedWindow(w[POS_MAIN], Sub(Add(s.TimeOffsetPs, shift * kShiftStepPs), s.TimeOffsetPsAtStop),
                  s.TimeScalePs, rate, depth);
  }
  if (s.LaEnable == 1) {
    const bool half = rate >= 3e8;  // the analyzer samples at most at half of it
    StoppedWindow(w[POS_LA], Sub(s.TimeOffsetPs, s.TimeOffsetPsAtStop), s.TimeScalePs,
                  half ? rate * 0.5 : rate, half ? depth / 2 : depth);
  }
  if (s.DelayedOn != 1) return;
  const i64 moved = Sub(s.DelayedOffsetPs, s.TimeOffsetPsAtStop);
  StoppedWindow(w[POS_DELAYED], moved, s.DelayedScalePs, rate, depth);
  if (s.LaEnable != 1) return;
  const bool half = AnalyzerZoomHalved();
  StoppedWindow(w[POS_LA_DELAYED], moved, s.DelayedScalePs, half ? rate * 0.5 : rate,
                half ? depth / 2 : depth);
}

void GetChangeSettingScreenPara() {
  using namespace qx;
  const _QX_SETUP& s = Setup();
  ScreenWindow* w = Pos().Window;
  const bool rolled = s.RollOn == 1;
  const double rate = rolled ? s.AcqSampleRateAtStop : HundredPerDivision(s.TimeScalePsAtStop);
  const i64 depth = rolled ? s.AcqMemDepthAtStop : kChangeDepth;
  const i64 moved = Sub(s.TimeOffsetPs, s.TimeOffsetPsAtStop);
  if (s.TimeFormat == 2) {
    const std::int32_t shift = w[POS_MAIN].PointShift;
    w[POS_MAIN] = kRollingChange;
    w[POS_MAIN].PointShift = shift;
    return;
  }
  WholeWindow(w[POS_MAIN], moved, s.TimeScalePs, rate, depth);
  if (s.TrigType == TRIG_ALTERNATION)
    for (int c = 0; c < 2; ++c)
      WholeWindow(w[POS_ALT_CH1 + c], Sub(s.AltTimeOffsetPs[c], s.AltTimeOffsetPsAtStop[c]),
                  s.AltTimeScalePs[c], HundredPerDivision(s.AltTimeScalePsAtStop[c]), depth);
  if (s.LaEnable == 1) WholeWindow(w[POS_LA], moved, s.TimeScalePs, rate, depth);
  if (s.DelayedOn != 1) return;
  const double zoomRate = HundredPerDivision(s.DelayedScalePs);
  const i64 zoomMoved = DelayedRunMoved(s);
  WholeWindow(w[POS_DELAYED], zoomMoved, s.DelayedScalePs, zoomRate, depth);
  if (s.LaEnable != 1) return;
  const bool half = AnalyzerZoomHalved();
  WholeWindow(w[POS_LA_DELAYED], zoomMoved, s.DelayedScalePs, half ? zoomRate * 0.5 : zoomRate,
              half ? kChangeDepth / 2 : kChangeDepth);
}

void GetRefScreenPara(int ref) {
  using namespace qx;
  if (ref < 0 || ref > 3) return;
  _QX_SETUP& s = Setup();
  ScreenWindow& w = Pos().Window[POS_REF0 + 2 * ref];
  if (s.RefSource[ref] >= 2 && s.RefSource[ref] <= 5 && s.RefOperator[ref] == kOperatorFFT) {
    GetFFTHorizZoomScale(ref, s.RefFFTOffset[ref], &w, s.RefFFTZoomCode);
    return;
  }
  i64 offset = s.RefTimeOffsetPs[ref];
  if (s.TrigType != TRIG_ALTERNATION) offset = Add(offset, s.RefShift * kShiftStepPs);
  StoppedWindow(w, Sub(offset, s.RefTimeOffset2Ps[ref]), s.RefTimeScalePs[ref], s.RefSampleRate[ref],
                s.RefMemDepth[ref]);
}

// The spectrum's middle (offset 7 divisions) sits at pixel 0; each end is
// held to the 700-pixel screen.
void GetFFTHorizZoomScale(int slot, float offset, ScreenWindow* entry, int* zoomCodes) {
  using namespace qx;
  if (!entry || !zoomCodes || slot < 0 || slot > 3 || std::isnan(offset)) return;
  const ZoomRow& zoom = ZoomFor(zoomCodes[slot]);
  i64 first = 0;
  i64 end = 0;
  i64 firstPoint = 0;
  i64 lastPoint = 0;
  if (offset < 0) {
    first = TruncateTo<std::int32_t>(offset * -50.0f);
    end = std::min(zoom.width + first, kPastRight);
    lastPoint = (end - first) * zoom.points / 500 - 1;
  } else if (offset <= 7) {
    first = TruncateTo<std::int32_t>((7.0f - offset) * 50.0f);
    end = std::min(zoom.width + first, kPastRight);
    lastPoint = TruncateTo<i64>(static_cast<double>((end - first) * 1024) / (zoom.factor * 500)) - 1;
  } else {
    const float beyond = offset - 7.0f;
    firstPoint = TruncateTo<std::int32_t>(static_cast<double>(beyond * 1024.0f) / (zoom.factor * 10));
    end = std::min(zoom.width + TruncateTo<std::int32_t>(beyond * -50.0f), kPastRight);
    lastPoint = TruncateTo<i64>(static_cast<double>(end * 1024) / (zoom.factor * 500) +
                                static_cast<double>(firstPoint)) -
                1;
  }
  entry->FirstPoint = Hold32(firstPoint);
  entry->LastPoint = Hold32(lastPoint);
  entry->FirstX = entry->ClipFirstX = Hold32(first);
  entry->LastX = entry->ClipLastX = Hold32(end - 1);
}

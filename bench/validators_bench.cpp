// Throughput of the value validators: every validator once per iteration,
// with values that fall inside, on and beyond their bounds in turn, so the
// mix includes the message path as often as a user turning a knob past a
// limit would.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "QxMsg.h"

namespace {

struct Records {
  _QX_SETUP setup{};
  _QX_RGN_SETUP rgn{};
  _QX_POS_SETUP pos{};
};

void ValidatorMix(benchmark::State& state) {
  static Records r;
  r.setup.TimeScaleLimit = 2e-9f;
  r.setup.TimeScale = 1e-3;
  r.setup.RunState = 1;
  r.setup.AcqMemDepth = 10000;
  r.setup.AcqSampleRate2 = 1e6f;
  r.setup.RecordEndFrame = 100;
  r.setup.PlayStartFrame = 1;
  r.setup.PlayEndFrame = 100;
  QxMsgInit(nullptr, &r.setup, &r.rgn, &r.pos, nullptr);

  // Multipliers that put a nominal value well inside, on or past a bound.
  constexpr float kSpread[] = {1.0f, 0.001f, 1000.0f, -1000.0f, 0.37f, 3.7f, 25.0f, 0.02f};
  constexpr int kSpreadCount = sizeof kSpread / sizeof kSpread[0];
  int zoom[4] = {4, 4, 4, 4};
  int i = 0;
  for (auto _ : state) {
    const float k = kSpread[i];
    const double kd = k;
    const int n = static_cast<int>(k * 100.0f);
    i = (i + 1) % kSpreadCount;
    benchmark::DoNotOptimize(ValidateCHScale(0.5f * k, 10.0f));
    benchmark::DoNotOptimize(ValidateRefVertScale(0.5f * k, 1.0f));
    benchmark::DoNotOptimize(ValidateCHOffset(0.5f, 10.0f * k, 1.0f));
    benchmark::DoNotOptimize(ValidateRefVertOffset(0.5f, 10.0f * k));
    benchmark::DoNotOptimize(ValidateFilterLimit(0.1f * k));
    benchmark::DoNotOptimize(ValidateMathScalef(k));
    benchmark::DoNotOptimize(ValidateFFTVrmsScalef(k));
    benchmark::DoNotOptimize(ValidateFFTdBVrmsScale(10.0f * k));
    benchmark::DoNotOptimize(ValidateMathOffset(k, 0.5f));
    benchmark::DoNotOptimize(ValidateFFTVrmsOffset(k, 0.5f));
    benchmark::DoNotOptimize(ValidateFFTdBVrmsOffset(k, 0.5f));
    benchmark::DoNotOptimize(ValidateFFTHorizOffset(10.0f * k, 5.0f));
    benchmark::DoNotOptimize(ValidateLaUserThresholdLevel(k));
    benchmark::DoNotOptimize(ValidateMathScalen(n / 10));
    benchmark::DoNotOptimize(ValidateFFTVrmsScalen(n / 10));
    benchmark::DoNotOptimize(ValidateFFTHorizScale(1000.0f * k, i % 4, zoom));
    benchmark::DoNotOptimize(ValidateRefFFTHorizScale(1000.0f * k, 1000.0f, i % 4, zoom));
    benchmark::DoNotOptimize(ValidateWaveIntensity(0.5f * k));
    benchmark::DoNotOptimize(ValidateGridIntensity(0.5f * k));
    benchmark::DoNotOptimize(ValidatePFHorizRange(k));
    benchmark::DoNotOptimize(ValidatePFVertRange(k));
    benchmark::DoNotOptimize(ValidateTrigSensitivity(0.5f * k));
    benchmark::DoNotOptimize(ValidateTrigHoldoff(1e-3f * k));
    benchmark::DoNotOptimize(ValidateTrigLevel(k, 0.5f, 0.1f, i % 4));
    benchmark::DoNotOptimize(ValidateTrigPulseWidth(1e-6 * kd));
    benchmark::DoNotOptimize(ValidateTrigSlopeTime(1e-6 * kd));
    benchmark::DoNotOptimize(ValidateTrigDurationTime(1e-6 * kd));
    benchmark::DoNotOptimize(ValidateTrigVideoLine(n * 3, i % 2));
    benchmark::DoNotOptimize(ValidateTimeScale(1e-3 * kd));
    benchmark::DoNotOptimize(ValidateRefHorizScale(1e-3 * kd));
    benchmark::DoNotOptimize(ValidateRefHorizOffset(0.5 * kd));
    benchmark::DoNotOptimize(ValidateAltTrigHorizScale(1e-3 * kd));
    benchmark::DoNotOptimize(ValidateTimeOffset(1e-3 * kd));
    benchmark::DoNotOptimize(ValidateAltTrigHorizOffset(0.0, 1e-3 * kd));
    benchmark::DoNotOptimize(ValidateTimeScale64(static_cast<std::int64_t>(1e9 * kd)));
    benchmark::DoNotOptimize(ValidateTimeDelayedOffset64(static_cast<std::int64_t>(1e9 * kd)));
    benchmark::DoNotOptimize(ValidateAcqAvgNumber(n));
    benchmark::DoNotOptimize(ValidRecordInterval(k));
    benchmark::DoNotOptimize(ValidPlaybackInterval(k));
    benchmark::DoNotOptimize(ValidRecordEndFrame(static_cast<unsigned>(n)));
    benchmark::DoNotOptimize(ValidRecordCurFrame(n));
    benchmark::DoNotOptimize(ValidPlaybackCurFrm(n));
  }
  state.SetItemsProcessed(state.iterations() * 42);
  QxMsgInit(nullptr, nullptr, nullptr, nullptr, nullptr);
}
BENCHMARK(ValidatorMix);

}  // namespace

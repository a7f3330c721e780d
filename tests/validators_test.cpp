// Value validators: bounds, messages, bound order, rounding and the special
// rules, each called directly between commands, as a host may.
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>
#include <tuple>

#include "limits/validator_table.h"
#include "support/fakes.h"

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr int kNoCode = -1;

class Validators : public qxtest::LibraryTest {
 protected:
  // Each case starts from the same record, with no message waiting.
  void Fresh() {
    setup = {};
    setup.TimeScaleLimit = 2e-9f;
    setup.TimeScale = 0.5;  // FFT unit span 100 / (0.5 * 20) = 10 Hz
    rgn.ErrorPending = 0;
  }
  void ExpectMessage(const std::string& text) {
    EXPECT_EQ(rgn.ErrorPending, text.empty() ? 0 : 1);
    EXPECT_EQ(std::string(setup.ErrorText), text);
  }
};

const std::string kVdLo = "Volts/Div at lower limit", kVdUp = "Volts/Div at upper limit";
const std::string kPosLo = "Position at lower limit", kPosUp = "Position at upper limit";
const std::string kTpLo = "Trigger position at lower limit", kTpUp = "Trigger position at upper limit";
const std::string kTdLo = "Time/Div at lower limit", kTdUp = "Time/Div at upper limit";
const std::string kTlLo = "Trigger level at lower limit", kTlUp = "Trigger level at upper limit";
const std::string kVoLo = "Volt offset at lower limit", kVoUp = "Volt offset at upper limit";
const std::string kAvgLo = "Acquire average number at lower limit";
const std::string kAvgUp = "Acquire average number at upper limit";
const std::string kPfLo = "Playback current frame at lower limit";
const std::string kPfUp = "Playback current frame at upper limit";

// L = -(10001 / 2) / 1e6 = -0.005, H = 1.
void YtRunning(_QX_SETUP& s) { s.RunState = 1, s.AcqMemDepth = 10001, s.AcqSampleRate2 = 1e6f; }

// A validator call on the record `s`, as a row's first column.
#define V(...) [](_QX_SETUP& s) -> double { return (void)s, __VA_ARGS__; }

const struct {
  const char* label;
  double (*call)(_QX_SETUP&);
  double expected;
  std::string message;
} kCases[] = {
    // clang-format off
    {"CH scale below", V(ValidateCHScale(0.0015f, 1)), 0.002f, kVdLo},
    {"CH scale above", V(ValidateCHScale(20, 1)), 10.0f, kVdUp},
    {"CH scale on lower bound", V(ValidateCHScale(0.002f, 1)), 0.002f, ""},
    {"CH scale x10 probe", V(ValidateCHScale(0.01f, 10)), 0.02f, kVdLo},
    {"CH scale rounded", V(ValidateCHScale(0.12345f, 1)), 0.123f, ""},
    {"ref scale alias", V(ValidateRefVertScale(150, 10)), 100.0f, kVdUp},
    {"CH offset fine", V(ValidateCHOffset(0.2f, 3, 1)), 2.0f, kVoUp},
    {"CH offset on bound", V(ValidateCHOffset(0.2f, 2, 1)), 2.0f, ""},
    {"CH offset coarse", V(ValidateCHOffset(0.5f, 50, 1)), 40.0f, kVoUp},
    // With a probe the fine range reaches 0.2 V/div x probe, and the range is k x probe x probe.
    {"CH offset x10 fine", V(ValidateCHOffset(0.5f, -5000, 10)), -200.0f, kVoLo},
    {"CH offset x10 fine edge", V(ValidateCHOffset(2, 300, 10)), 200.0f, kVoUp},
    {"CH offset x10 coarse", V(ValidateCHOffset(5, -5000, 10)), -4000.0f, kVoLo},
    {"filter below", V(ValidateFilterLimit(0.001f)), 0.005f, "Filter frequency at lower limit"},
    {"filter above", V(ValidateFilterLimit(0.6f)), 0.495f, "Filter frequency at upper limit"},
    {"FFT Vrms 1-2-5", V(ValidateFFTVrmsScalef(0.3f)), 0.2f, ""},
    {"FFT dB 1-2-5", V(ValidateFFTdBVrmsScale(30)), 20.0f, ""},
    {"FFT offset alias", V(ValidateFFTdBVrmsOffset(-50, 0.5f)), -20.0f, kPosLo},
    {"ref offset fine", V(ValidateRefVertOffset(0.1f, 5)), 4.0f, kPosUp},
    {"ref offset coarse", V(ValidateRefVertOffset(0.2f, -50)), -40.0f, kPosLo},
    {"FFT position", V(ValidateFFTHorizOffset(600, 50)), 500.0f, kTpUp},
    {"LA threshold", V(ValidateLaUserThresholdLevel(-9)), -8.0f, "Threshold level at lower limit"},
    {"wave intensity", V(ValidateWaveIntensity(1.5f)), 1.0f, "Wave intensity at upper limit"},
    {"grid intensity", V(ValidateGridIntensity(-0.5f)), 0.0f, "Grid intensity at lower limit"},
    {"P/F horiz", V(ValidatePFHorizRange(0.01f)), 0.04f, "P/F Horizontal adjust at lower limit"},
    {"P/F vert", V(ValidatePFVertRange(5)), 4.0f, "P/F Vertical adjust at upper limit"},
    {"sensitivity", V(ValidateTrigSensitivity(0.05f)), 0.1f, "Trigger sensitivity at lower limit"},
    {"holdoff on bound", V(ValidateTrigHoldoff(1.5f)), 1.5f, ""},
    {"holdoff above", V(ValidateTrigHoldoff(2)), 1.5f, "Trigger holdoff at upper limit"},
    {"holdoff below", V(ValidateTrigHoldoff(1e-8f)), 1e-7f, "Trigger holdoff at lower limit"},
    {"trig level above", V(ValidateTrigLevel(5, 0.5f, 0.25f, 0)), 2.75f, kTlUp},
    {"trig level below", V(ValidateTrigLevel(-5, 0.5f, 0.25f, 1)), -3.25f, kTlLo},
    {"trig level ext/5", V(ValidateTrigLevel(7, 0.5f, 0.25f, 3)), 6.0f, kTlUp},
    {"record interval", V(ValidRecordInterval(2000)), 1000.0f, "Record interval at upper limit"},
    {"playback interval", V(ValidPlaybackInterval(0)), 0.001f, "Playback interval at lower limit"},
    {"time/div below", V(ValidateTimeScale(1e-9)), 2e-9, kTdLo},
    {"time/div above", V(ValidateTimeScale(60)), 50.0, kTdUp},
    {"time/div 1-2-5", V(ValidateTimeScale(0.3)), 0.2, ""},
    {"time/div XY", V(s.TimeFormat = 1, s.TimeScaleLimit = 1e-3f, ValidateTimeScale(2e-4)), 2e-4, ""},
    {"time/div XY below", V(s.TimeFormat = 1, ValidateTimeScale(1e-4)), 2e-4, kTdLo},
    {"time/div YT limit", V(s.TimeScaleLimit = 1e-3f, ValidateTimeScale(2e-4)), 1e-3, kTdLo},
    {"ref time/div", V(s.TimeFormat = 1, s.TimeScaleLimit = 1e-3f, ValidateRefHorizScale(2e-4)), 1e-3, kTdLo},
    {"ref position", V(ValidateRefHorizOffset(0.123456)), 0.1235, ""},
    {"pulse width", V(ValidateTrigPulseWidth(1e-8)), 2e-8, "Pulse width at lower limit"},
    {"duration alias", V(ValidateTrigDurationTime(20)), 10.0, "Slope time at upper limit"},
    {"alt time/div", V(ValidateAltTrigHorizScale(1e-9)), 5e-9, ""},
    {"alt time/div 1-2-5", V(ValidateAltTrigHorizScale(1)), 0.02, ""},
    // Time offset: roll flag, then ROLLING, then the run state.
    {"YT running above", V(YtRunning(s), ValidateTimeOffset(2)), 1.0, kTpUp},
    {"YT running below", V(YtRunning(s), ValidateTimeOffset(-1)), -0.005, kTpLo},
    {"YT running on bound", V(YtRunning(s), ValidateTimeOffset(-0.005)), -0.005, ""},
    {"YT running no rate", V(YtRunning(s), s.AcqSampleRate2 = 0, ValidateTimeOffset(-600)), -500.0, kTpLo},
    {"YT stopped", V(ValidateTimeOffset(600)), 500.0, kTpUp},
    {"roll running", V(s.RollOn = s.RunState = 1, s.TimeScale = 0.1, ValidateTimeOffset(1)), 0.6, kTpUp},
    {"roll stopped", V(s.RollOn = 1, ValidateTimeOffset(-600)), -500.0, kTpLo},
    {"roll before ROLLING", V(s.RollOn = s.RunState = 1, s.TimeFormat = 2, s.TimeScale = 0.1,
                              ValidateTimeOffset(0.3)), 0.3, ""},
    {"ROLLING running +", V(s.TimeFormat = 2, s.RunState = 1, ValidateTimeOffset(0.3)), 0.0, kTpUp},
    {"ROLLING running -", V(s.TimeFormat = 2, s.RunState = 1, ValidateTimeOffset(-0.3)), 0.0, kTpLo},
    {"ROLLING running 0", V(s.TimeFormat = 2, s.RunState = 1, ValidateTimeOffset(0)), 0.0, ""},
    {"ROLLING stopped", V(s.TimeFormat = 2, s.TimeScaleAtStop = 0.2, ValidateTimeOffset(-5)), -2.8, kTpLo},
    {"alt offset", V(s.TimeFormat = 2, s.RunState = 1, ValidateAltTrigHorizOffset(-9, 0.3)), 0.0, kTpUp},
    // Integers.
    {"math scale index", V(ValidateMathScalen(-1)), 0, kVdLo},
    {"FFT scale index", V(ValidateFFTVrmsScalen(13)), 12, kVdUp},
    {"FFT scale index 0", V(ValidateFFTVrmsScalen(0)), 1, kVdLo},
    {"average 5", V(ValidateAcqAvgNumber(5)), 4, ""},
    {"average 6", V(ValidateAcqAvgNumber(6)), 8, ""},
    {"average 362", V(ValidateAcqAvgNumber(362)), 256, ""},
    {"average 363", V(ValidateAcqAvgNumber(363)), 256, kAvgUp},
    {"average 1", V(ValidateAcqAvgNumber(1)), 2, kAvgLo},
    {"video 0 NTSC", V(ValidateTrigVideoLine(0, VIDEO_NTSC)), 1, ""},
    {"video 600 NTSC", V(ValidateTrigVideoLine(600, VIDEO_NTSC)), 525, ""},
    {"video 700 PAL", V(ValidateTrigVideoLine(700, VIDEO_PALSECAM)), 625, ""},
    {"end frame 0", V(ValidRecordEndFrame(0)), 1, "Record frames at lower limit"},
    {"end frame max", V(ValidRecordEndFrame(UINT32_MAX)), 1000, "Record frames at upper limit"},
    {"current frame", V(s.RecordEndFrame = 50, ValidRecordCurFrame(60)), 50, ""},
    {"current frame 0", V(s.RecordEndFrame = 50, ValidRecordCurFrame(0)), 1, ""},
    {"playback frame", V(s.PlayStartFrame = 5, s.PlayEndFrame = 20, ValidPlaybackCurFrm(3)), 5, kPfLo},
    {"playback frame up", V(s.PlayStartFrame = 5, s.PlayEndFrame = 20, ValidPlaybackCurFrm(25)), 20, kPfUp},
    // Picoseconds.
    {"time/div 60 s", V(ValidateTimeScale64(60'000'000'000'000)), 50'000'000'000'000, kTdUp},
    {"time/div ps below", V(ValidateTimeScale64(1000)), 2000, kTdLo},
    {"time/div ps bound", V(ValidateTimeScale64(2000)), 2000, ""},
    {"time/div ps 1 ms", V(s.TimeScaleLimit = 1e-3f, ValidateTimeScale64(1)), 1'000'000'047, kTdLo},
    {"delayed offset ps", V(ValidateTimeDelayedOffset64(-123'456'789'012)), -123'456'789'012, ""},
    // Bound order: a value clamped by the first bound is tested against the second.
    {"lower first", V(ValidateCHScale(-20, -1)), -10.0f, kVdUp},
    {"upper first", V(ValidateMathOffset(0, -1)), 40.0f, kPosLo},
    {"upper first frames", V(s.PlayStartFrame = 20, s.PlayEndFrame = 10, ValidPlaybackCurFrm(15)), 20, kPfLo},
    // NaN takes the lower bound.
    {"NaN CH scale", V(ValidateCHScale(kNaN, 1)), 0.002f, kVdLo},
    {"NaN interval", V(ValidRecordInterval(kNaN)), 0.001f, "Record interval at lower limit"},
    {"NaN time/div", V(ValidateTimeScale(kNaN)), 2e-9, kTdLo},
    {"NaN alt time/div", V(ValidateAltTrigHorizScale(kNaN)), 5e-9, ""},
    {"NaN time offset", V(ValidateTimeOffset(kNaN)), -500.0, kTpLo},
    // clang-format on
};

TEST_F(Validators, ClampRoundAndReport) {
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.label);
    Fresh();
    EXPECT_EQ(c.call(setup), c.expected);
    ExpectMessage(c.message);
  }
}

// Lower bound x = 10 above upper bound y = 5: the order decides.
TEST_F(Validators, WalkOrderAndEitherMessageEnds) {
  using namespace qx::limits;
  const Terms<double> inverted{.x = 10, .y = 5};
  for (const auto& [order, result, text] : {std::tuple{Order::Lower, 5.0, "Position at upper limit"},
                                            {Order::Upper, 10.0, "Position at lower limit"},
                                            {Order::UpperEnds, 5.0, "Position at upper limit"}}) {
    const Row row{
        0, {1, By::X, qx::Msg::PositionLower}, {1, By::Y, qx::Msg::PositionUpper}, order, kNoRounding};
    EXPECT_EQ(Walk(row, 7.0, inverted), result);
    EXPECT_STREQ(setup.ErrorText, text);
  }
}

TEST_F(Validators, FFTHorizScaleSnapsToZoomSteps) {
  const struct {
    const char* label;
    float value;
    int slot;
    bool codes, alternate;
    float expected;
    int code;  // stored in codes[slot], or kNoCode when nothing is stored
    std::string message;
  } cases[] = {
      // clang-format off
      {"r 0.1", 1, 0, true, false, 1, 7, ""},          {"r below 0.1", 0.5f, 0, true, false, 1, 7, kTdLo},
      {"r 0.15", 1.5f, 1, true, false, 2, 6, ""},      {"r 0.25", 2.5f, 0, true, false, 5, 5, ""},
      {"r 3", 30, 3, true, false, 50, 2, ""},          {"r 10", 100, 0, true, false, 100, 1, ""},
      {"r 15", 150, 0, true, false, 100, 1, kTdUp},    {"r NaN", kNaN, 0, true, false, 1, 7, kTdLo},
      {"no code array", 30, 0, false, false, 50, kNoCode, ""},
      {"alternate: CH2 at 50 ms", 300, 2, true, true, 500, 2, ""},
      {"slot 4", 30, 4, true, true, 50, kNoCode, ""},  {"slot -1", 30, -1, true, false, 50, kNoCode, ""},
      // clang-format on
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    Fresh();
    if (c.alternate) {
      setup.TrigType = TRIG_ALTERNATION;
      setup.FFTSource[2] = 1;
      setup.AltTimeScale[0] = 5;     // unit 1 Hz: the wrong channel
      setup.AltTimeScale[1] = 0.05;  // unit 100 Hz
    }
    int codes[4] = {9, 9, 9, 9};
    EXPECT_EQ(ValidateFFTHorizScale(c.value, c.slot, c.codes ? codes : nullptr), c.expected);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(codes[i], i == c.slot && c.code != kNoCode ? c.code : 9);
    ExpectMessage(c.message);
  }
}

// current = unit 10 Hz / factor of the code; 30 Hz then snaps to 50 Hz, code 2.
TEST_F(Validators, RefFFTHorizScaleRecoversTheUnitFromTheZoomCode) {
  const float currentFor[] = {10, 100, 50, 20, 10, 5, 2, 1, 10};  // codes 0..8
  for (int code = 0; code <= 8; ++code) {
    SCOPED_TRACE(code);
    Fresh();
    int codes[4] = {9, code, 9, 9};
    EXPECT_EQ(ValidateRefFFTHorizScale(30, currentFor[code], 1, codes), 50.0f);
    EXPECT_EQ(codes[1], 2);
    ExpectMessage("");
  }
  int codes[4] = {4, 4, 4, 4};
  EXPECT_EQ(ValidateRefFFTHorizScale(0.5f, 10, 0, codes), 1.0f);  // r 0.05
  EXPECT_EQ(codes[0], 7);
  ExpectMessage(kTdLo);
  EXPECT_EQ(ValidateRefFFTHorizScale(30, 7, 0, nullptr), 7.0f);
  EXPECT_EQ(ValidateRefFFTHorizScale(30, 7, 4, codes), 7.0f);
}

}  // namespace

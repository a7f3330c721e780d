// Timebase: the controls' mode rules, the picosecond model, the delayed
// window kept inside the main one, the appliers of host-edited time bases,
// and one time/div through the simulated instrument.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "frame/handlers.h"
#include "support/fakes.h"
#if QX_HAVE_SIM
#include "support/sim_link.h"
#endif

namespace {

using qxtest::Value;
using Texts = std::vector<std::string>;

class TimebaseTest : public qxtest::LibraryTest {
 protected:
  // YT, MAIN, stopped, 1 ms/div at offset 0, delayed 100 us/div.
  void SetUp() override {
    LibraryTest::SetUp();
    setup.TimeScaleLimit = 2e-9f;
    setup.TimeScalePs = setup.AltTimeScalePs[0] = setup.AltTimeScalePs[1] = 1'000'000'000;
    setup.TimeScale = setup.AltTimeScale[0] = setup.AltTimeScale[1] = 1e-3;
    setup.DelayedScalePs = 100'000'000;
    setup.DelayedScale = 1e-4;
    rgn.MainWaveRect = {16, 13, 716, 413};
  }
  Texts Lines() const { return socket.SentCommands(); }
  // Runs a control connected, for the lines it sends, then offline from the
  // same record, so a read-back of the test's empty blocks replaces nothing.
  Texts RunTwice(const _QX_SETUP& start, unsigned int ctrl, long value = 0) {
    setup = start;
    socket.sent.clear();
    Run(CMD_TIMEBASE, ctrl, value);
    const Texts lines = Lines();
    setup = start;
    setup.Connected = 0;
    Run(CMD_TIMEBASE, ctrl, value);
    return lines;
  }
};

std::int64_t MainScale(const _QX_SETUP& s) { return Value(s.TimeScalePs); }
std::int64_t MainOffset(const _QX_SETUP& s) { return Value(s.TimeOffsetPs); }
std::int64_t DelayedScale(const _QX_SETUP& s) { return Value(s.DelayedScalePs); }
std::int64_t AltOffset1(const _QX_SETUP& s) { return Value(s.AltTimeOffsetPs[0]); }
std::int64_t AltScale2(const _QX_SETUP& s) { return Value(s.AltTimeScalePs[1]); }
std::int64_t Delayed(const _QX_SETUP& s) { return s.DelayedOn; }

// Refusals that keep SendFlag still send the (empty) line.
TEST_F(TimebaseTest, ControlsFollowTheModeRules) {
  struct Case {
    const char* name;
    std::int32_t format, run, delayed, trig, record, fft;
    unsigned int ctrl;
    long value;
    double seconds;
    Texts lines;
    const char* status;
    std::int64_t (*field)(const _QX_SETUP&);
    std::int64_t want;
  } cases[] = {
      // clang-format off
      {"negative offset rounds down", 0, 0, 0, 0, 0, 0, CTL_TIMEBASE_OFFSET, 0, -1e-6, {":TIMEBASE:OFFSET -0.000001000"}, "", MainOffset, -1'000'000},
      {"alternate offset rounds up", 0, 0, 0, 4, 0, 0, CTL_ALT_TIMEOFFSET, 0, -1e-6, {":TRIGGER:ALTERNATION:CHANNEL1:TIMEOFFSET -0.000001000"}, "", AltOffset1, -999'999},
      {"alternate scale under EDGE sends the old seconds", 0, 0, 0, 0, 0, 0, CTL_ALT_TIMESCALE, 1, 0.005, {":TRIGGER:ALTERNATION:CHANNEL2:TIMESCALE 0.001000000"}, "", AltScale2, 5'000'000'000},
      {"main scale raised to the delayed", 0, 0, 1, 0, 0, 0, CTL_TIMEBASE_SCALE, 0, 5e-5, {":TIMEBASE:SCALE 0.000100000"}, "Time/Div at lower limit", MainScale, 100'000'000},
      {"rolling at exactly 500 ms", 2, 1, 0, 0, 0, 0, CTL_TIMEBASE_SCALE, 0, 0.5, {":CLEARUSB", ":TIMEBASE:SCALE 0.500000000"}, "Time/Div at lower limit", MainScale, 500'000'000'000},
      {"rolling at 1 s", 2, 1, 0, 0, 0, 0, CTL_TIMEBASE_SCALE, 0, 1.0, {":CLEARUSB", ":TIMEBASE:SCALE 1.000000000"}, "", MainScale, 1'000'000'000'000},
      {"XY running at 20 ms", 1, 1, 0, 0, 0, 0, CTL_TIMEBASE_SCALE, 0, 0.02, {":TIMEBASE:SCALE 0.020000000"}, "Time/Div at upper limit", MainScale, 20'000'000'000},
      {"XY stopped refuses the scale", 1, 0, 0, 0, 0, 0, CTL_TIMEBASE_SCALE, 0, 0.02, {}, "Function not available at XY mode", MainScale, 1'000'000'000},
      {"rolling offset while running", 2, 1, 0, 0, 0, 0, CTL_TIMEBASE_OFFSET, 0, 1e-3, {""}, "Function not available at rolling mode", MainOffset, 0},
      {"playback refuses", 0, 0, 0, 0, 2, 0, CTL_DELAYED_SCALE, 0, 1e-5, {}, "Function not available", DelayedScale, 100'000'000},
      {"mode under ALTERNATION with FFT shown", 0, 0, 0, 4, 0, 1, CTL_TIMEBASE_MODE, 0, 0, {""}, "Function not available at alternate trigger", Delayed, 0},
      {"mode with FFT shown", 1, 0, 0, 0, 0, 1, CTL_TIMEBASE_MODE, 0, 0, {""}, "Function not available at FFT", Delayed, 0},
      {"mode outside YT", 2, 0, 0, 0, 0, 0, CTL_TIMEBASE_MODE, 0, 0, {""}, "Function not available", Delayed, 0},
      {"alternate channel out of range", 0, 0, 0, 0, 0, 0, CTL_ALT_TIMESCALE, 2, 0.005, {}, "", AltScale2, 1'000'000'000},
      // clang-format on
  };
  const _QX_SETUP initial = setup;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    _QX_SETUP start = initial;
    start.TimeFormat = c.format, start.RunState = static_cast<BYTE>(c.run), start.TrigType = c.trig;
    start.DelayedOn = static_cast<BYTE>(c.delayed), start.RecordState = c.record;
    start.MathOperator[2] = 3, start.MathDisplay[2] = static_cast<BYTE>(c.fft);
    SetMsgVarDouble(c.seconds);
    EXPECT_EQ(RunTwice(start, c.ctrl, c.value), c.lines);
    EXPECT_STREQ(setup.ErrorText, c.status);
    EXPECT_EQ(c.field(setup), c.want);
  }
}

TEST_F(TimebaseTest, FormatsRebuildTheirLayouts) {
  setup.Connected = 0;
  // ROLLING keeps a slow scale without rebuilding the seconds views...
  setup.TimeScalePs = 1'000'000'000'000;
  setup.TimeOffsetPs = 3'000'000'000;
  setup.TimeOffset = 3e-3;
  setup.DelayedOn = setup.MathDisplay[1] = 1;
  setup.MathOperator[1] = 4;
  SetMsgVarInt(2);
  Run(CMD_TIMEBASE, CTL_TIMEBASE_FORMAT);
  EXPECT_EQ(std::string(qx::Command.CmdString), ":TIMEBASE:FORMAT ROLLING");
  EXPECT_EQ(Value(setup.TimeScalePs), 1'000'000'000'000);
  EXPECT_EQ(Value(setup.TimeOffsetPs), 0);
  EXPECT_EQ(Value(setup.TimeOffset), 3e-3);
  EXPECT_EQ(setup.MathDisplay[1] + setup.DelayedOn, 0);
  EXPECT_EQ(rgn.TrigMarkRef, CPoint(716, 13));
  // ...and raises a fast one to 500 ms/div with the views rebuilt.
  setup.TimeScalePs = 100'000'000'000;
  Run(CMD_TIMEBASE, CTL_TIMEBASE_FORMAT);
  EXPECT_EQ(Value(setup.TimeScalePs), 500'000'000'000);
  EXPECT_EQ(Value(setup.TimeScale), 0.5);

  // Under ALTERNATION XY is refused; YT's layout is still rebuilt.
  SetMsgVarInt(1);
  setup.TimeFormat = 0;
  setup.TrigType = TRIG_ALTERNATION;
  setup.TimeScalePs = 50'000'000'000;
  Run(CMD_TIMEBASE, CTL_TIMEBASE_FORMAT);
  EXPECT_FALSE(qx::Command.SendFlag || qx::Command.ReadBackFlag);
  EXPECT_STREQ(setup.ErrorText, "Function not available");
  EXPECT_EQ(setup.TimeFormat, 0);
  EXPECT_EQ(rgn.TrigMarkRef, CPoint(366, 13));
  EXPECT_EQ(setup.RollOn, 1);
}

TEST_F(TimebaseTest, SetTimeBaseKeepsTheDelayedWindowInside) {
  struct Case {
    std::int64_t mainScale, mainOffset, delayedScale, delayedOffset;
    bool mainChanged;
    std::int64_t wantMain, wantDelayed, wantOffset;
    const char* status;
  } cases[] = {
      // clang-format off
      {1'000'000'000, 0, 100'000'000, 7'000'000'000, false, 1'000'000'000, 100'000'000, 6'300'000'000, ""},
      {1'000'000'000, 1'000, 100'000'000, -9'000'000'000, true, 1'000'000'000, 100'000'000, -6'299'999'000, ""},
      {50'000'000, 0, 100'000'000, 0, true, 100'000'000, 100'000'000, 0, "Time/Div at lower limit"},
      {50'000'000, 0, 100'000'000, 1, false, 50'000'000, 50'000'000, 0, "Time/Div at upper limit"},
      {LLONG_MAX, LLONG_MIN, 0, LLONG_MAX, false, LLONG_MAX, 0, LLONG_MAX, ""},
      // clang-format on
  };
  for (const Case& c : cases) {
    std::int64_t mainScale = c.mainScale, delayedScale = c.delayedScale, delayedOffset = c.delayedOffset;
    SetTimeBase(mainScale, c.mainOffset, delayedScale, delayedOffset, c.mainChanged);
    EXPECT_EQ(mainScale, c.wantMain);
    EXPECT_EQ(delayedScale, c.wantDelayed);
    EXPECT_EQ(delayedOffset, c.wantOffset);
    Status(c.status);
  }
  EXPECT_EQ(GetDelayedOffset(1e-3, 0, CRect(0, 0, 701, 400), CPoint(300, 0)), ValidateTimeOffset(0.001));
  EXPECT_EQ(ConvertToLONG(1.5f, -3), 1500);
  EXPECT_EQ(ConvertToLONG(-0.25f, 2), -24);
  EXPECT_EQ(ConvertToLONG(1.0f, 400), LLONG_MAX);
}

TEST_F(TimebaseTest, AppliersSendWhatTheHostEdited) {
  // Both bits: the scale's sync rebuilds the offset from its picoseconds
  // first, so the host's offset seconds do not survive.
  setup.TimeScale = 0.002;
  setup.TimeOffset = 1e-3;
  qx::ApplyTimeBase(CTL_APPLY_SCALES, 0, 0x1100);
  EXPECT_EQ(Lines(), (Texts{":TIMEBASE:SCALE 0.002000000", ":TIMEBASE:OFFSET 0.000000000"}));
  EXPECT_EQ(Value(setup.TimeScalePs), 2'000'000'000);

  // ROLLING floors the scale and clears the instrument's samples even when stopped.
  setup.TimeFormat = 2;
  socket.sent.clear();
  qx::ApplyTimeBase(CTL_APPLY_SCALES, 0, 0x100);
  EXPECT_EQ(Lines(), (Texts{":CLEARUSB", ":TIMEBASE:SCALE 0.500000000"}));
  EXPECT_STREQ(setup.ErrorText, "Time/Div at lower limit");

  // The alternate prefix and marker follow the window, not the channel.
  setup.TimeFormat = 0;
  struct Case {
    int channel;
    std::int32_t window;
    Texts lines;
  } cases[] = {
      {0, 4, {":TRIGGER:ALTERNATION:CHANNEL2:TIMEOFFSET -0.001000000"}},
      {1, 3, {":TRIGGER:ALTERNATION:CHANNEL1:TIMEOFFSET -0.001000000"}},
      {0, 2, {":TIMEOFFSET -0.001000000"}},
      {2, 3, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.window);
    socket.sent.clear();
    rgn.TrigMarkUpper = rgn.TrigMarkLower = CPoint(0, 0);
    setup.AltTimeOffset[0] = setup.AltTimeOffset[1] = -1e-3;
    qx::ApplyAltTimeBase(CTL_APPLY_OFFSETS, c.channel, c.window, 0x1000);
    EXPECT_EQ(Lines(), c.lines);
    EXPECT_EQ(rgn.TrigMarkLower != CPoint(0, 0), c.window == 4);
    EXPECT_EQ(rgn.TrigMarkUpper != CPoint(0, 0), c.window == 3 && c.channel < 2);
  }
  EXPECT_EQ(Value(setup.AltTimeOffsetPs[0]), -999'999'999);
}

#if QX_HAVE_SIM
using qxtest::SimEndToEnd;

// The instrument's own floor of 2 ns/div comes back through the read-back,
// and DELAYED, which it refuses there, is undone with its message.
TEST_F(SimEndToEnd, InstrumentHoldsTimeDivAndRefusesDelayedAtItsFloor) {
  SetMsgVarDouble(1e-9);
  Run(CMD_TIMEBASE, CTL_TIMEBASE_SCALE);
  EXPECT_EQ(Value(setup.TimeScalePs), 2'000);
  EXPECT_EQ(Value(setup.TimeScale), static_cast<double>(2e-9f));

  SetMsgVarbool(true);
  Run(CMD_TIMEBASE, CTL_TIMEBASE_MODE);
  EXPECT_EQ(setup.DelayedOn, 0);
  EXPECT_STREQ(setup.ErrorText, "Function not available at lower limit scale");
}
#endif

}  // namespace

// The read-back reconcile: the rows whose rule is more than a copy, and the
// cases that must leave the records alone. How the mode word and the
// averages exponent read is checked with the block translation, which shares it.
#include <cmath>
#include <string>

#include "frame/handlers.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "support/fakes.h"

namespace {

BYTE* Dso(int offset) { return qx::Link.FwDsoSetup.Bytes + offset; }
BYTE* La(int offset) { return qx::Link.FwLaSetup.Bytes + offset; }
BYTE* Alt(int offset) { return qx::Link.FwAltSetup.Bytes + offset; }

class ReadBackTest : public qxtest::LibraryTest {};

using S = _QX_SETUP;
using R = _QX_RGN_SETUP;
using qxtest::Value;

// A row: the record and the block as the instrument reports it, then what
// the record must hold after the read-back of `ctrl` for channel `value`.
struct Row {
  const char* name;
  unsigned int ctrl;
  long value;
  void (*arrange)(S& s);
  void (*check)(const S& s, const R& r);
};

// clang-format off
const Row kRows[] = {
  {"scale, offset, invert of CH2 for any nonzero value", 0x465, 7,
   [](S& s) { s.TrigType = 9; qx::StoreF32(Dso(0x5C), 0.2f); qx::StoreF32(Dso(0x64), -0.4f); *Dso(0x7A) = 1; },
   [](const S& s, const R&) {
     EXPECT_EQ(s.ChanScale[1], 0.2f); EXPECT_EQ(s.ChanOffset[1], -0.4f); EXPECT_EQ(s.ChanInvert[1], 1);
     EXPECT_EQ(s.ChanScale[0], 0.0f); }},
  {"channel command refreshes the edge level", 0x46F, 0, [](S&) { qx::StoreF32(Dso(0x228), 1.25f); },
   [](const S& s, const R&) { EXPECT_EQ(s.TrigEdgeLevel, 1.25f); }},
  {"probe command refreshes both slope levels only", 0x47B, 0,
   [](S& s) { s.TrigType = 2; s.ChanScale[0] = 3.0f;
     qx::StoreF32(Dso(0x268), 0.5f); qx::StoreF32(Dso(0x270), -0.5f); qx::StoreF32(Dso(0x10), 9.0f); },
   [](const S& s, const R&) {
     EXPECT_EQ(s.TrigSlopeLevelA, 0.5f); EXPECT_EQ(s.TrigSlopeLevelB, -0.5f); EXPECT_EQ(s.ChanScale[0], 3.0f); }},
  {"coupling row takes impedance too", 0x47F, 0, [](S&) { qx::StoreI32(Dso(0x20), 1); qx::StoreI32(Dso(0x24), 1); },
   [](const S& s, const R&) { EXPECT_EQ(s.ChanCoupling[0], 1); EXPECT_EQ(s.ChanImpedance[0], 1); }},
  {"CH2 display byte at 0x5A", 0x47C, 1, [](S&) { *Dso(0x5A) = 1; },
   [](const S& s, const R&) { EXPECT_EQ(s.ChanDisplay[1], 1); }},
  {"time scale widened with its picoseconds", 0x66D, 0,
   [](S& s) { s.TimeScale = 1e-3; qx::StoreF32(Dso(0x138), 2e-3f); qx::StoreI64(Dso(0x13C), 2000000000); },
   [](const S& s, const R&) {
     EXPECT_EQ(Value(s.TimeScale), static_cast<double>(2e-3f)); EXPECT_EQ(Value(s.TimeScalePs), 2000000000); }},
  {"time scale equal as a float keeps the record's double and picoseconds", 0x66D, 0,
   [](S& s) { s.TimeScale = 1e-3; s.TimeScalePs = 1000000000; qx::StoreF32(Dso(0x138), 1e-3f); },
   [](const S& s, const R&) { EXPECT_EQ(Value(s.TimeScale), 1e-3); EXPECT_EQ(Value(s.TimeScalePs), 1000000000); }},
  {"delayed scale change moves the delayed span", 0x681, 0,
   [](S& s) { s.TimeScale = 1e-3; s.DelayedScale = 1e-3; qx::StoreF32(Dso(0x154), 1e-4f); },
   [](const S& s, const R& r) {
     EXPECT_EQ(Value(s.DelayedScale), static_cast<double>(1e-4f)); EXPECT_EQ(r.RedrawScreen, 1);
     EXPECT_EQ(r.DelayedRect, CRect(366 - 35, 100, 366 + 35, 200)); }},
  {"delayed scale unchanged leaves the region alone", 0x681, 0,
   [](S& s) { s.DelayedScale = static_cast<double>(1e-4f); qx::StoreF32(Dso(0x154), 1e-4f); },
   [](const S&, const R& r) { EXPECT_EQ(r.RedrawScreen, 0); EXPECT_EQ(r.DelayedRect, CRect(0, 0, 0, 0)); }},
  {"pulse level at the probe tip, probe chosen by the edge source", 0x75D, 0,
   [](S& s) { s.TrigEdgeSource = 1; s.ChanProbe[0] = 10; s.ChanProbe[1] = 100; s.TrigPulseLevel = 50;
     qx::StoreF32(Dso(0x23C), 0.25f); },
   [](const S& s, const R&) { EXPECT_EQ(s.TrigPulseLevel, 25.0f); }},
  {"pulse level already matching the block is kept", 0x75D, 0,
   [](S& s) { s.ChanProbe[0] = 10; s.TrigPulseLevel = 2.5f; qx::StoreF32(Dso(0x23C), 0.25f); },
   [](const S& s, const R&) { EXPECT_EQ(s.TrigPulseLevel, 2.5f); }},
  {"video level from an external source uses probe 1", 0x77B, 0,
   [](S& s) { s.TrigVideoSource = 2; s.ChanProbe[0] = 10; qx::StoreF32(Dso(0x258), 0.75f); },
   [](const S& s, const R&) { EXPECT_EQ(s.TrigVideoLevel, 0.75f); }},
  {"slope level B by the slope source", 0x7A3, 0, [](S& s) { s.ChanProbe[0] = 10; qx::StoreF32(Dso(0x270), -0.5f); },
   [](const S& s, const R&) { EXPECT_EQ(s.TrigSlopeLevelB, -5.0f); }},
  {"duration time from the LA block", 0x7CB, 0, [](S&) { qx::StoreF64(La(0xF0), 3.5e-6); },
   [](const S& s, const R&) { EXPECT_EQ(Value(s.TrigDurationTime), 3.5e-6); }},
  {"user threshold follows a changed threshold in USER mode", 0x60A, 0,
   [](S& s) { s.LaThresholdType = 3; qx::StoreF32(La(0x3C), 1.5f); },
   [](const S& s, const R&) { EXPECT_EQ(s.LaThreshold, 1.5f); EXPECT_EQ(s.LaUserThreshold, 1.5f); }},
  {"user threshold kept outside USER mode", 0x60A, 0, [](S&) { qx::StoreF32(La(0x3C), 1.5f); },
   [](const S& s, const R&) { EXPECT_EQ(s.LaUserThreshold, 0.0f); }},
  {"alternate CH2 fields lie 0xC4 after CH1", 0x7F3, 1,
   [](S&) { qx::StoreI32(Alt(0x5C), 1); qx::StoreI32(Alt(0x5C + 0xC4), 2); },
   [](const S& s, const R&) { EXPECT_EQ(s.AltEdgeSlope[0], 0); EXPECT_EQ(s.AltEdgeSlope[1], 2); }},
  {"alternate rows ignore channels beyond CH2", 0x7F3, 2, [](S&) { qx::StoreI32(Alt(0x5C + 0xC4), 2); },
   [](const S& s, const R&) { EXPECT_EQ(s.AltEdgeSlope[1], 0); }},
  {"alternate edge level times the channel's probe", 0x7FD, 1,
   [](S& s) { s.ChanProbe[1] = 10; qx::StoreF32(Alt(0x118), 0.3f); },
   [](const S& s, const R&) { EXPECT_FLOAT_EQ(s.AltEdgeLevel[1], 3.0f); }},
  {"alternate sensitivity from the sub-block of the channel's type", 0x7D9, 0,
   [](S& s) { s.AltTrigType[0] = 2; qx::StoreF32(Alt(0x60), 0.1f); qx::StoreF32(Alt(0xC0), 0.7f); },
   [](const S& s, const R&) { EXPECT_EQ(s.AltSensitivity[0], 0.7f); }},
  {"alternate holdoff of an unknown type from the edge sub-block", 0x7DA, 1,
   [](S& s) { s.AltTrigType[1] = 9; qx::StoreF32(Alt(0x58 + 0xC4), 0.5f); },
   [](const S& s, const R&) { EXPECT_EQ(Value(s.AltHoldoff[1]), 0.5); }},
  {"alternate offset in picoseconds from the 64-bit field", 0x7E9, 1,
   [](S&) { qx::StoreI64(Alt(0xDC), -123456789012LL); qx::StoreF64(Alt(0xE4), 9.0); },
   [](const S& s, const R&) { EXPECT_EQ(Value(s.AltTimeOffsetPs[1]), -123456789012LL); }},
  {"a control without a row reconciles nothing", 0x6E5, 0,
   [](S& s) { s.AcqSampleRate = 5.0f; qx::StoreF32(Dso(0x160), 9.0f); },
   [](const S& s, const R&) { EXPECT_EQ(s.AcqSampleRate, 5.0f); }},
};
// clang-format on

TEST_F(ReadBackTest, RowsTakeOverWhatTheInstrumentApplied) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.name);
    setup = _QX_SETUP{};
    rgn = _QX_RGN_SETUP{};
    rgn.UpperWaveRect = CRect(0, 100, 700, 200);
    rgn.TrigMarkRef = CPoint(366, 13);
    QxMsgInit(&main, &setup, &rgn, &pos, &socket);
    row.arrange(setup);
    qx::ReadBackReconcile(row.ctrl, row.value);
    row.check(setup, rgn);
  }
}

TEST_F(ReadBackTest, DelayedTimebaseSwitchedOffByTheInstrumentIsReported) {
  setup.DelayedOn = 1;
  *Dso(0x120) = 0;
  qx::ReadBackReconcile(0x659, 0);
  EXPECT_EQ(setup.DelayedOn, 0);
  EXPECT_STREQ(setup.ErrorText, "Function not available at lower limit scale");
  rgn.ErrorPending = 0;
  qx::ReadBackReconcile(0x659, 0);  // unchanged now: nothing raised
  EXPECT_EQ(rgn.ErrorPending, 0);
}

// The memory-depth rule, applied only while running and when the memory
// mode agrees with the instrument's.
TEST_F(ReadBackTest, MemoryDepthRule) {
  struct Case {
    BYTE run, full, ch1, ch2;
    std::uint32_t blockFull;
    double timeScale;
    UINT expected;
  } cases[] = {
      {1, 1, 1, 0, 1, 2e-8, 1048576}, {1, 1, 1, 1, 1, 2e-8, 524288},    {1, 1, 0, 0, 1, 2e-8, 524288},
      {1, 1, 1, 0, 1, 1e-6, 524288},  {1, 1, 1, 0, 1, 5.1e-8, 1048576}, {1, 0, 0, 1, 0, 5.1e-8, 8192},
      {1, 0, 1, 1, 0, 5e-9, 4096},    {1, 0, 1, 0, 0, 1e-3, 4096},      {0, 1, 1, 0, 1, 2e-8, 777},
      {1, 1, 1, 0, 0, 2e-8, 777},     {1, 0, 1, 0, 5, 2e-8, 777},
  };
  for (const Case& c : cases) {
    setup.RunState = c.run;
    setup.AcqMemFull = c.full;
    setup.ChanDisplay[0] = c.ch1;
    setup.ChanDisplay[1] = c.ch2;
    setup.TimeScale = c.timeScale;
    setup.AcqMemDepth = 777;
    qx::StoreU32(Dso(0x1D4), c.blockFull);
    qx::ReadBackReconcile(CTL_ACQ_MEMORY, 0);
    EXPECT_EQ(setup.AcqMemDepth, c.expected)
        << int(c.run) << int(c.full) << int(c.ch1) << int(c.ch2) << " " << c.timeScale;
  }
}

// A read-back that did not bring every block whole is not taken over: the
// instrument's 64 averages stay unknown rather than an older 16 coming back.
TEST_F(ReadBackTest, IncompleteReadBackIsNotTakenOver) {
  qx::StoreU32(dso.Bytes + 0x1C8, 4);  // 16 averages in the stale DSO block
  for (const auto& [laBytes, averages] : {std::pair{260, 16u}, {200, 64u}}) {  // the LA block whole, short
    socket.Reply(qxtest::LanReply(dso.Bytes, sizeof dso.Bytes));
    socket.Reply(qxtest::LanReply(la.Bytes, laBytes));
    socket.Reply(qxtest::LanReply(alt.Bytes, sizeof alt.Bytes));
    RunInt(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 64);
    EXPECT_EQ(setup.AcqAverages, averages) << laBytes;
  }
}

}  // namespace

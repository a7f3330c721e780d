// Screen parameters: which memory samples land on which pixels, worked out
// by hand from the rate, depth and time/div; and the re-read of what the
// instrument applied, over both links and against the simulated instrument.
#include <vector>

#include "le_bytes.h"
#include "support/fakes.h"
#if QX_HAVE_SIM
#include "support/sim_link.h"
#endif

namespace {

using qxtest::Value;

// (FirstPoint, LastPoint, FirstX, LastX, ClipFirstX, ClipLastX)
std::vector<int> Drawn(const ScreenWindow& w) {
  return {w.FirstPoint, w.LastPoint, w.FirstX, w.LastX, w.ClipFirstX, w.ClipLastX};
}

class ScreenParamsTest : public qxtest::LibraryTest {
 protected:
  // A held trace of 1000 samples at 1 GSa/s, 100 ns a division: 1 us of
  // memory in the middle of a 1.4 us screen.
  void SetUp() override {
    LibraryTest::SetUp();
    setup.AcqSampleRateAtStop = setup.AcqSampleRate = 1e9f;
    setup.AcqMemDepthAtStop = setup.AcqMemDepth = 1000;
    setup.AcqMode = 1;
    setup.TimeScalePs = setup.DelayedScalePs = 100'000;
    setup.TimeScale = 1e-7;
  }
};

TEST_F(ScreenParamsTest, StoppedWindows) {
  const struct {
    const char* name;
    std::int64_t offsetPs;
    std::int16_t shift;
    std::vector<int> main;
    std::vector<int> la;
  } cases[] = {
      {"offset unchanged", 0, 0, {0, 999, 101, 600, 101, 600}, {0, 499, 101, 600, 101, 600}},
      {"moved ten divisions", 1'000'000, 0, {800, 999, 0, 100, 0, 100}, {400, 499, 0, 100, 0, 100}},
      {"held trace shifted one division", 0, 5000, {0, 999, 51, 550, 51, 550}, {0, 499, 101, 600, 101, 600}},
  };
  setup.LaEnable = 1;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    setup.TimeOffsetPs = c.offsetPs;
    GetStopScreenPara(c.shift);
    EXPECT_EQ(Drawn(pos.Window[POS_MAIN]), c.main);
    // The analyzer takes half of 1 GSa/s into half the memory; the shift
    // moves the main trace only.
    EXPECT_EQ(Drawn(pos.Window[POS_LA]), c.la);
  }
}

TEST_F(ScreenParamsTest, RollingHeldTraceEndsAtTheRightEdge) {
  setup.TimeFormat = 2;
  pos.Window[POS_MAIN].PointShift = 500;  // valid samples: 0.5 us, starting 9 divisions in
  GetStopScreenPara(0);
  EXPECT_EQ(Drawn(pos.Window[POS_MAIN]), (std::vector<int>{0, 500, 451, 699, 451, 699}));
}

TEST_F(ScreenParamsTest, NoRateOrNoTimeDivLeavesTheEntry) {
  const ScreenWindow before = {1, 2, 3, 4, 5, 6, 0};
  pos.Window[POS_MAIN] = before;
  setup.AcqSampleRateAtStop = 0.9f;
  GetStopScreenPara(0);
  setup.AcqSampleRateAtStop = 1e9f;
  setup.TimeScalePs = -1;
  GetStopScreenPara(0);
  setup.TimeScalePs = 100'000;
  setup.TimeScalePsAtStop = 0;  // no rate for a change
  GetChangeSettingScreenPara();
  EXPECT_EQ(Drawn(pos.Window[POS_MAIN]), Drawn(before));
}

TEST_F(ScreenParamsTest, ZoomedAnalyzerAtFiftyNanosecondsTakesHalfRateAndDepth) {
  setup.DelayedOn = setup.LaEnable = 1;
  for (const double timeScale : {1e-7, 5e-8}) {
    setup.TimeScale = timeScale;
    GetRunScreenPara();
    EXPECT_EQ(Drawn(pos.Window[POS_DELAYED]), (std::vector<int>{0, 999, 101, 600, 101, 600}));
    EXPECT_EQ(pos.Window[POS_LA_DELAYED].LastPoint, timeScale > 5e-8 ? 999 : 499) << timeScale;
  }
}

TEST_F(ScreenParamsTest, RollingAfterAChangeIsTheFixedWindow) {
  setup.TimeFormat = 2;
  setup.TimeScalePsAtStop = 100'000;
  pos.Window[POS_MAIN].PointShift = 9;
  setup.LaEnable = 1;
  GetChangeSettingScreenPara();
  EXPECT_EQ(Drawn(pos.Window[POS_MAIN]), (std::vector<int>{646, 2047, 699, 0, 699, 0}));
  EXPECT_EQ(pos.Window[POS_MAIN].PointShift, 9);
  EXPECT_EQ(Drawn(pos.Window[POS_LA]), std::vector<int>(6, 0));  // nothing else
}

TEST_F(ScreenParamsTest, SpectrumWindows) {
  int codes[4] = {4, 0, 1, 7};
  const struct {
    int slot;
    float offset;
    std::vector<int> drawn;
  } cases[] = {
      {0, 7.0f, {0, 1023, 0, 499, 0, 499}},    {0, 0.0f, {0, 715, 350, 699, 350, 699}},
      {0, -1.0f, {0, 1023, 50, 549, 50, 549}}, {0, 8.0f, {102, 1022, 0, 449, 0, 449}},
      {3, 7.0f, {0, 142, 0, 699, 0, 699}},
  };
  for (const auto& c : cases) {
    ScreenWindow w{};
    GetFFTHorizZoomScale(c.slot, c.offset, &w, codes);
    EXPECT_EQ(Drawn(w), c.drawn) << c.slot << " " << c.offset;
  }
  setup.RefSource[1] = 2;  // a reference saved from a spectrum, zoom code 0
  setup.RefOperator[1] = 3;
  setup.RefFFTOffset[1] = 7.0f;
  GetRefScreenPara(1);
  EXPECT_EQ(Drawn(pos.Window[POS_REF0 + 2]), (std::vector<int>{0, 1023, 0, 499, 0, 499}));
}

TEST_F(ScreenParamsTest, TimebaseRereadOverLan) {
  qx::StoreF32(dso.Bytes + 0x160, 5e8f);
  qx::StoreU32(dso.Bytes + 0x1CC, 8192);
  qx::StoreF32(dso.Bytes + 0x138, 1e-3f);
  qx::StoreI64(dso.Bytes + 0x13C, 1'000'000'000);
  dso.Bytes[0x120] = 1;
  qx::StoreF32(dso.Bytes + 0x154, 2e-3f);  // a zoomed sweep slower than the main one
  qx::StoreI64(dso.Bytes + 0x158, 2'000'000'000);
  qx::StoreF32(dso.Bytes + 0x10, 0.5f);
  socket.Reply(qxtest::LanReply(dso.Bytes, sizeof dso.Bytes));
  GetTimeScalePara();
  EXPECT_EQ(socket.SentTexts(), std::vector<std::string>{":SETUP:DSO?"});
  EXPECT_EQ(setup.AcqSampleRate, 5e8f);
  EXPECT_EQ(setup.AcqMemDepth, 8192u);
  EXPECT_EQ(Value(setup.DelayedScalePs), 1'000'000'000);  // only the picoseconds are clamped
  EXPECT_NEAR(Value(setup.DelayedScale), 2e-3, 1e-9);
  EXPECT_EQ(setup.ChanScale[0], 0.5f);
}

TEST_F(ScreenParamsTest, UsbRereadFailuresSkipTheirSteps) {
  UseUsb();
  setup.TrigType = TRIG_ALTERNATION;
  usb.requestResult = [](int code) { return code == 13 ? 1 : 0; };
  usb.blockRead = [](int size, BYTE* b) {
    if (size == 396) qx::StoreU32(b + 0x108, 2'000'000);  // CH2's rate, a whole number
    return true;
  };
  GetAcqSaRate();
  EXPECT_EQ(usb.calls, (std::vector<std::string>{"request 6 0 0", "request 13 0 0", "block-read 396"}));
  EXPECT_EQ(setup.AcqSampleRate, 1e9f);  // the failed DSO read took nothing
  EXPECT_EQ(setup.AltSampleRate[1], 2e6f);
}

#if QX_HAVE_SIM
using qxtest::SimEndToEnd;

// Over loopback TCP: the rates the instrument applied at 1 ms/div, and the
// running window they give.
TEST_F(SimEndToEnd, ScreenRatesFromTheInstrument) {
  ASSERT_GT(WriteCommand(":TIMEBASE:SCALE 0.001"), 0);
  GetAcqSaRate();
  ASSERT_EQ(setup.AcqSampleRate, 2e5f);  // 4096 points over 14 ms, floored to 1-2-5
  ASSERT_EQ(setup.AcqMemDepth, 4096u);

  // 5 us a sample, 20.48 ms of memory centred on the screen: pixel 0 at
  // 3.24 ms (sample 648), pixel 699 at 17.22 ms (sample 3444).
  setup.TimeScalePs = 1'000'000'000;
  GetRunScreenPara();
  EXPECT_EQ(Drawn(pos.Window[POS_MAIN]), (std::vector<int>{648, 3444, 0, 699, 0, 699}));
}
#endif

}  // namespace

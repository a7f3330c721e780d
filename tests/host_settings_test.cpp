// Settings kept on the host side: the measurement list, the pass/fail test
// and the display. None of them reaches the instrument.
#include <cmath>
#include <cstdint>
#include <vector>

#include "support/fakes.h"

namespace {

class HostSettingsTest : public qxtest::LibraryTest {
 protected:
  void Status(const char* text) {
    EXPECT_STREQ(setup.ErrorText, text);
    setup.ErrorText[0] = '\0';
  }
  // (source, type) of each listed measurement, newest first.
  std::vector<std::int32_t> List() const {
    std::vector<std::int32_t> list;
    for (int k = 0; k < setup.MeasureCount; ++k)
      list.insert(list.end(), {setup.MeasureSource[k], setup.MeasureType[k]});
    return list;
  }
};

TEST_F(HostSettingsTest, MeasurementListKeepsTheNewestThree) {
  const struct {
    unsigned int ctrl;
    int type;
    long source;
    std::vector<std::int32_t> list;
    std::int32_t selected;
    const char* status;
  } rows[] = {
      {CTL_MEASURE_ADD, 19, 0, {0, 19}, 0, ""},
      {CTL_MEASURE_ADD, 19, 1, {0, 19}, 0, "Measurement already selected"},
      {CTL_MEASURE_ADD, 3, 0, {0, 3, 0, 19}, 0, ""},
      {CTL_MEASURE_ADD, 3, 1, {1, 3, 0, 3, 0, 19}, 0, ""},
      {CTL_MEASURE_ADD, 19, 1, {1, 3, 0, 3, 0, 19}, 2, "Measurement already selected"},
      {CTL_MEASURE_ADD, 5, 0, {0, 5, 1, 3, 0, 3}, 0, ""},
      {CTL_MEASURE_CLEAR, 0, 0, {}, 0, ""},
      {CTL_MEASURE_ADD, 7, 1, {1, 7}, 0, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.type);
    rgn.RedrawMeasure = 0;
    RunInt(CMD_MEASURE, r.ctrl, r.type, r.source);
    EXPECT_EQ(List(), r.list);
    EXPECT_EQ(setup.MeasureSelected, r.selected);
    EXPECT_EQ(rgn.RedrawMeasure, r.ctrl == CTL_MEASURE_ADD);
    Status(r.status);
  }
  EXPECT_EQ(setup.MeasureOn, 1);

  // A count the host broke indexes nothing past the list.
  setup.MeasureCount = 99;
  RunInt(CMD_MEASURE, CTL_MEASURE_ADD, 8, 0);
  EXPECT_EQ(setup.MeasureCount, 3);

  setup.TimeFormat = 1;
  RunInt(CMD_MEASURE, CTL_MEASURE_ALL, 1);
  EXPECT_EQ(setup.MeasureAll, 0);
  Status("Function not available at XY mode");
  setup.TimeFormat = 0;
  RunInt(CMD_MEASURE, CTL_MEASURE_ALL, 1);
  EXPECT_EQ(setup.MeasureAll, 1);
  EXPECT_EQ(setup.MeasureCount, 0);
  EXPECT_EQ(setup.MeasureSource[0], 1);
}

TEST_F(HostSettingsTest, PassFailRefusedOnlyWhenEnablingOrShowing) {
  const struct {
    unsigned int ctrl;
    int v;
    BYTE delayed, on, runState;
    BYTE onAfter, display;
    bool countsReset, redraw, refresh;
    const char* status;
  } rows[] = {
      {CTL_PF_ENABLE, 1, 1, 0, 1, 0, 0, false, false, false, "Function not available"},
      {CTL_PF_ENABLE, 0, 1, 1, 1, 0, 0, true, true, false, ""},
      {CTL_PF_ENABLE, 1, 0, 0, 0, 1, 0, true, true, true, ""},
      {CTL_PF_RUN, 0, 0, 1, 1, 1, 0, false, false, false, ""},
      {CTL_PF_RUN, 1, 0, 1, 1, 1, 0, true, false, false, ""},
      {CTL_PF_DISPLAY, 1, 1, 1, 0, 1, 0, false, false, false, "Function not available"},
      {CTL_PF_DISPLAY, 1, 0, 0, 0, 0, 1, false, false, false, ""},
      {CTL_PF_DISPLAY, 1, 0, 1, 0, 1, 1, false, true, true, ""},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.ctrl);
    setup.DelayedOn = r.delayed;
    setup.PassFailOn = r.on;
    setup.RunState = r.runState;
    setup.PassFailDisplay = 0;
    setup.PassFailCount[0] = setup.PassFailCount[2] = 9;
    rgn.RedrawScreen = rgn.RefreshWave = 0;
    RunInt(CMD_PASS_FAIL, r.ctrl, r.v);
    EXPECT_EQ(setup.PassFailOn, r.onAfter);
    EXPECT_EQ(setup.PassFailDisplay, r.display);
    EXPECT_EQ(setup.PassFailCount[0] == 0 && setup.PassFailCount[2] == 0, r.countsReset);
    EXPECT_EQ(rgn.RedrawScreen, r.redraw);
    EXPECT_EQ(rgn.RefreshWave, r.refresh);
    Status(r.status);
  }
  RunFloat(CMD_PASS_FAIL, CTL_PF_HORIZ_RANGE, 5.0f);
  EXPECT_EQ(setup.PassFailHorizRange, 4.0f);
  Status("P/F Horizontal adjust at upper limit");
}

TEST_F(HostSettingsTest, Display) {
  for (const auto& [intensity, colour] : {std::pair{0.5f, 0x7F7F7Fu}, {1.0f, 0xFFFFFFu}, {0.0f, 0u}}) {
    RunFloat(CMD_DISPLAY, CTL_DISP_GRID_INTENSITY, intensity);
    EXPECT_EQ(setup.DispGridColor, colour);
  }
  RunInt(CMD_DISPLAY, CTL_DISP_TYPE, 1);
  EXPECT_EQ(setup.DispTypeSaved, 1);

  // Refusals store nothing and ask for no wave refresh.
  setup.RefreshFlag = 1;
  setup.DispLock = 1;
  setup.DispWaveIntensity = 0.3f;
  rgn.RefreshWave = 0;
  RunFloat(CMD_DISPLAY, CTL_DISP_WAVE_INTENSITY, 0.8f);
  EXPECT_EQ(setup.DispWaveIntensity, 0.3f);
  Status("Function not available");
  setup.TrigType = TRIG_ALTERNATION;
  setup.TimeFormat = 1;
  RunInt(CMD_DISPLAY, CTL_DISP_LOCK, 0);
  Status("Function not available at alternate trigger");
  setup.TrigType = TRIG_EDGE;
  RunInt(CMD_DISPLAY, CTL_DISP_LOCK, 0);
  Status("Function not available at XY mode");
  EXPECT_EQ(setup.DispLock, 1);
  EXPECT_EQ(rgn.RefreshWave, 0);

  setup.DispLock = 0;
  RunFloat(CMD_DISPLAY, CTL_DISP_WAVE_INTENSITY, 1.2f);
  EXPECT_EQ(setup.DispWaveIntensity, 1.0f);
  Status("Wave intensity at upper limit");
  EXPECT_EQ(rgn.RefreshWave, 1);
}

}  // namespace

// Settings kept on the host side: the measurement list, the pass/fail test
// and the display. None of them reaches the instrument.
#include <cstdint>
#include <utility>
#include <vector>

#include "frame/control_ids.h"
#include "support/fakes.h"

namespace {

using HostSettingsTest = qxtest::LibraryTest;

TEST_F(HostSettingsTest, MeasurementListKeepsTheNewestThree) {
  const struct {
    int type;
    long source;
    std::vector<std::int32_t> list;  // (source, type) newest first, then the highlighted entry
    const char* status;
  } rows[] = {
      {19, 0, {0, 19, 0}, ""},
      {19, 1, {0, 19, 0}, "Measurement already selected"},
      {3, 0, {0, 3, 0, 19, 0}, ""},
      {3, 1, {1, 3, 0, 3, 0, 19, 0}, ""},
      {19, 1, {1, 3, 0, 3, 0, 19, 2}, "Measurement already selected"},
      {5, 0, {0, 5, 1, 3, 0, 3, 0}, ""},
  };
  for (const auto& r : rows) {
    RunInt(CMD_MEASURE, CTL_MEASURE_ADD, r.type, r.source);
    std::vector<std::int32_t> list;
    for (int k = 0; k < setup.MeasureCount; ++k)
      list.insert(list.end(), {setup.MeasureSource[k], setup.MeasureType[k]});
    list.push_back(setup.MeasureSelected);
    EXPECT_EQ(list, r.list);
    Status(r.status);
  }
  setup.MeasureCount = 99;  // broken by the host: nothing indexed past the list
  RunInt(CMD_MEASURE, CTL_MEASURE_ADD, 8, 0);
  EXPECT_EQ(setup.MeasureCount, 3);
}

// Redraws set RefreshWave directly when stopped, whatever the host's
// refresh rule (RefreshFlag 0) says.
TEST_F(HostSettingsTest, PassFailRefusesOnlyEnablingAndShowing) {
  const struct {
    unsigned int ctrl;
    int v;
    BYTE delayed, on, runState;
    std::vector<int> after;  // PassFailOn, PassFailDisplay, counters reset, RedrawScreen, RefreshWave
    const char* status;
  } rows[] = {
      {CTL_PF_ENABLE, 1, 1, 0, 0, {0, 0, 0, 0, 0}, "Function not available"},
      {CTL_PF_ENABLE, 0, 1, 1, 1, {0, 0, 1, 1, 0}, ""},
      {CTL_PF_DISPLAY, 1, 1, 1, 0, {1, 0, 0, 0, 0}, "Function not available"},
      {CTL_PF_DISPLAY, 1, 0, 1, 0, {1, 1, 0, 1, 1}, ""},
  };
  for (const auto& r : rows) {
    setup.DelayedOn = r.delayed;
    setup.PassFailOn = r.on;
    setup.RunState = r.runState;
    setup.PassFailDisplay = 0;
    setup.PassFailCount[2] = 9;
    rgn.RedrawScreen = rgn.RefreshWave = 0;
    RunInt(CMD_PASS_FAIL, r.ctrl, r.v);
    EXPECT_EQ((std::vector<int>{setup.PassFailOn, setup.PassFailDisplay, setup.PassFailCount[2] == 0,
                                rgn.RedrawScreen, rgn.RefreshWave}),
              r.after);
    Status(r.status);
  }
}

TEST_F(HostSettingsTest, DisplayGridColourAndRefusals) {
  for (const auto& [intensity, colour] : {std::pair{0.5f, 0x7F7F7Fu}, {1.0f, 0xFFFFFFu}}) {
    RunFloat(CMD_DISPLAY, CTL_DISP_GRID_INTENSITY, intensity);
    EXPECT_EQ(setup.DispGridColor, colour);
  }
  // Refusals store nothing and ask for no wave refresh.
  setup.RefreshFlag = 1;
  setup.DispLock = 1;
  RunFloat(CMD_DISPLAY, CTL_DISP_WAVE_INTENSITY, 0.8f);
  Status("Function not available");
  setup.TrigType = TRIG_ALTERNATION;
  setup.TimeFormat = 1;
  RunInt(CMD_DISPLAY, CTL_DISP_LOCK, 0);
  Status("Function not available at alternate trigger");
  setup.TrigType = TRIG_EDGE;
  RunInt(CMD_DISPLAY, CTL_DISP_LOCK, 0);
  Status("Function not available at XY mode");
  EXPECT_EQ(setup.DispLock, 1);
  EXPECT_EQ(setup.DispWaveIntensity, 0.0f);
  EXPECT_EQ(rgn.RefreshWave, 0);
}

}  // namespace

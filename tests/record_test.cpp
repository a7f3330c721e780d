// The recorder: stopping into the record file, playback
// guards, and the settings posted back into the queue on leaving playback.
#include <unistd.h>

#include <bit>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/control_ids.h"
#include "frame/state.h"
#include "support/fakes.h"

namespace {

namespace fs = std::filesystem;

using RecordTest = qxtest::LibraryTest;

// The file keeps the record as it stood while recording.
TEST_F(RecordTest, StopWritesTheFileOrBreaksOff) {
  const fs::path dir = fs::temp_directory_path() / ("qx_record_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::strcpy(setup.RecordFilePath, (dir / "rec.bin").c_str());
  const BYTE frames[6] = {};
  const QxRecordData data{2, 3, frames};
  const struct {
    int frames;
    const QxRecordData* data;
    const char* status;
    std::int32_t playEnd;
    bool file;
  } rows[] = {
      {0, &data, "Record waveforms break off", -7, false},
      {4, nullptr, "Record waveforms completed ", 40, false},
      {4, &data, "Record waveforms completed ", 40, true},
  };
  for (const auto& r : rows) {
    setup.RecordEndFrame = 40;
    setup.PlayEndFrame = -7;
    Run(CMD_RECORD, CTL_REC_START);
    setup.RecordCurFrame = r.frames;
    Run(CMD_RECORD, CTL_REC_STOP, reinterpret_cast<long>(r.data));
    Status(r.status);
    EXPECT_EQ(
        (std::vector<int>{setup.RecordState, setup.Recording, setup.RecordDataValid, setup.PlayEndFrame}),
        (std::vector<int>{0, 0, 1, r.playEnd}));
    EXPECT_EQ(fs::exists(dir / "rec.bin"), r.file);
  }
  std::ifstream in(dir / "rec.bin", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes.size(), 24 + sizeof(_QX_SETUP) + 6);
  EXPECT_EQ(bytes[24 + offsetof(_QX_SETUP, RecordState)], 1);
  fs::remove_all(dir);
}

TEST_F(RecordTest, PlaybackGuards) {
  setup.ChanDisplay[1] = 1;
  const struct {
    unsigned int ctrl;
    long value;
    std::int32_t state;
    BYTE valid;
    std::int32_t start;
    std::vector<int> after;  // RecordState, PlayRunning, PlayContinue, CH2 held
    const char* status;
  } rows[] = {
      {CTL_PLAY_REPLAY, CTL_PLAY_CONTINUE, 2, 1, 5, {2, 1, 1, 1}, ""},
      {CTL_PLAY_REPLAY, 0, 2, 0, 1, {2, 0, 0, 0}, "Not available record data"},
      {CTL_PLAY_RESUME, 0, 3, 1, 5, {3, 0, 0, 0}, "Function not available"},
      {CTL_PLAY_RESUME, 0, 3, 1, 4, {2, 1, 0, 1}, ""},
  };
  for (const auto& r : rows) {
    setup.RecordState = r.state;
    setup.RecordDataValid = r.valid;
    setup.PlayStartFrame = r.start;
    setup.PlayEndFrame = 5;
    setup.PlayRunning = setup.PlayContinue = setup.ChanStopWave[1] = 0;
    Run(CMD_RECORD, r.ctrl, r.value);
    EXPECT_EQ(
        (std::vector<int>{setup.RecordState, setup.PlayRunning, setup.PlayContinue, setup.ChanStopWave[1]}),
        r.after);
    Status(r.status);
  }
  setup.PlayCurFrame = 1;
  Run(CMD_RECORD, CTL_PLAY_STEP_BACK);
  EXPECT_EQ(setup.PlayCurFrame, 1);
  EXPECT_EQ(setup.RecordState, 3);
}

TEST_F(RecordTest, LeavingPlaybackPostsWhatDiffersFromTheUndoCopy) {
  setup.TimeScale = 1e-3;
  setup.TimeOffset = 2e-6;
  setup.ChanScale[0] = 0.5f, setup.ChanOffset[0] = 0.1f;
  setup.ChanScale[1] = 2.0f, setup.ChanOffset[1] = -0.3f;
  setup.AltTimeScale[0] = setup.AltTimeScale[1] = 5e-6;
  setup.DelayedScale = 1e-6;
  SaveUndoSetup();

  // cmd, ctrl, value, and the message variable: a time's double, a
  // channel's float bits in the low word.
  using Post = std::vector<std::uint64_t>;
  const auto time = [](double d) { return std::bit_cast<std::uint64_t>(d); };
  const auto volts = [](float f) { return std::uint64_t{std::bit_cast<std::uint32_t>(f)}; };
  const struct {
    void (*change)(_QX_SETUP&);
    std::vector<Post> posts;
  } rows[] = {
      {[](_QX_SETUP&) {}, {}},
      {[](_QX_SETUP& s) { s.TimeScale = 5e-3, s.ChanOffset[1] = 1; },
       {{CMD_TIMEBASE, CTL_TIMEBASE_SCALE, 0, time(1e-3)}, {CMD_CHANNEL, CTL_CH_OFFSET, 1, volts(-0.3f)}}},
  };
  for (const auto& r : rows) {
    const _QX_SETUP saved = setup;
    r.change(setup);
    setup.RecordState = 2;
    Run(CMD_RECORD, CTL_PLAY_LEAVE);
    EXPECT_EQ(setup.RecordState, 0);
    std::vector<Post> posts;
    while (GetIOCmd() != 0) {
      const IOCmdSlot& p = qx::Frame.Queue[qx::Frame.ReadIndex];
      const std::uint64_t high = p.CmdId == CMD_TIMEBASE ? std::uint64_t{p.MsgVarHigh} << 32 : 0;
      posts.push_back({p.CmdId, p.CtrlId, static_cast<std::uint64_t>(p.Value), high | p.MsgVarLow});
      EXPECT_FALSE(p.Wnd1 || p.Wnd2 || p.Wnd3);
    }
    EXPECT_EQ(posts, r.posts);
    setup = saved;
  }

  // The alternate pairs come straight from the undo copy, the delayed pair
  // only without the alternate trigger.
  for (const std::int32_t type : {TRIG_ALTERNATION, TRIG_EDGE}) {
    setup.TrigType = type;
    setup.DelayedOn = 1;
    setup.AltTimeScale[0] = setup.AltTimeScale[1] = setup.DelayedScale = 7;
    Run(CMD_RECORD, CTL_PLAY_LEAVE);
    const bool alt = type == TRIG_ALTERNATION;
    EXPECT_EQ((std::vector<double>{setup.AltTimeScale[0], setup.AltTimeScale[1], setup.DelayedScale}),
              (alt ? std::vector<double>{5e-6, 5e-6, 7} : std::vector<double>{7, 7, 1e-6}));
    EXPECT_EQ(GetIOCmd(), 0);
  }
}

}  // namespace

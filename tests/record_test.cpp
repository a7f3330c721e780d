// The recorder: its source rules, stopping into the record file, playback
// guards, and the settings posted back into the queue on leaving playback.
#include <unistd.h>

#include <bit>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "frame/state.h"
#include "support/fakes.h"

namespace {

namespace fs = std::filesystem;

class RecordTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    setup.Connected = 0;
  }
  // The commands waiting in the queue, oldest first.
  std::vector<IOCmdSlot> Pending() const {
    std::vector<IOCmdSlot> slots;
    for (unsigned i = qx::Frame.ReadIndex; i != qx::Frame.WriteIndex;) {
      i = (i + 1) & qx::kQueueMask;
      slots.push_back(qx::Frame.Queue[i]);
    }
    return slots;
  }
  void Status(const char* text) {
    EXPECT_STREQ(setup.ErrorText, text);
    setup.ErrorText[0] = '\0';
  }
};

TEST_F(RecordTest, SourceNeedsItsChannelShown) {
  const struct {
    std::int32_t state, passFailSource, wanted;
    BYTE passFailOn, shown[2];
    int source;
    const char* status;
  } rows[] = {
      {0, 0, 1, 0, {1, 1}, 1, ""},
      {0, 0, 0, 0, {1, 0}, 1, "Channel selected not enabled"},
      {1, 0, 0, 0, {1, 1}, 1, "Function not available"},
      {0, 1, 2, 1, {0, 1}, 2, ""},
      {0, 1, 0, 0, {1, 1}, 2, "Channel selected not enabled"},
      {0, 5, 0, 1, {1, 1}, 2, "Channel selected not enabled"},
      {0, 0, 0, 0, {1, 1}, 3, ""},
  };
  for (const auto& r : rows) {
    setup.RecordSource = 0;
    setup.RecordState = r.state;
    setup.PassFailOn = r.passFailOn;
    setup.PassFailSource = r.passFailSource;
    std::memcpy(setup.ChanDisplay, r.shown, 2);
    RunInt(CMD_RECORD, CTL_REC_SOURCE, r.source);
    EXPECT_EQ(setup.RecordSource, r.wanted) << r.source;
    Status(r.status);
  }
}

TEST_F(RecordTest, FramesToRecordAreUnsignedAndPullTheCurrentFrameDown) {
  setup.RecordCurFrame = 500;
  RunInt(CMD_RECORD, CTL_REC_END_FRAME, -1);
  EXPECT_EQ(setup.RecordEndFrame, 1000u);
  Status("Record frames at upper limit");
  RunInt(CMD_RECORD, CTL_REC_END_FRAME, 20);
  EXPECT_EQ(setup.RecordCurFrame, 20);
  Status("");
}

// The file keeps the record as it stood while recording; a path without its
// NUL ends at the field's end ("/./" pads it to exactly the field's size).
TEST_F(RecordTest, StoppingWritesTheFileOrBreaksOff) {
  const fs::path dir = fs::temp_directory_path() / ("qx_record_" + std::to_string(::getpid()));
  fs::create_directories(dir);
  std::string path = dir.string();
  while (path.size() + 9 < sizeof setup.RecordFilePath) path += "/.";
  if (path.size() + 8 < sizeof setup.RecordFilePath) path += "/";
  path += "/rec.bin";
  ASSERT_EQ(path.size(), sizeof setup.RecordFilePath);
  std::memcpy(setup.RecordFilePath, path.data(), path.size());
  setup.SelfCalEnable = 'x';

  const BYTE frames[6] = {1, 2, 3, 4, 5, 6};
  const QxRecordData data{2, 3, frames};
  const struct {
    int frames;
    const QxRecordData* data;
    bool file;
    const char* status;
    std::int32_t playEnd;
  } rows[] = {
      {0, &data, false, "Record waveforms break off", -7},
      {4, nullptr, false, "Record waveforms completed ", 40},
      {4, &data, true, "Record waveforms completed ", 40},
  };
  for (const auto& r : rows) {
    fs::remove(dir / "rec.bin");
    setup.RecordEndFrame = 40;
    setup.PlayEndFrame = -7;
    Run(CMD_RECORD, CTL_REC_START);
    setup.RecordCurFrame = r.frames;
    Run(CMD_RECORD, CTL_REC_STOP, reinterpret_cast<long>(r.data));
    Status(r.status);
    EXPECT_EQ(setup.RecordState, 0);
    EXPECT_EQ(setup.Recording, 0);
    EXPECT_EQ(setup.RecordDataValid, 1);
    EXPECT_EQ(setup.PlayEndFrame, r.playEnd);
    EXPECT_EQ(fs::exists(dir / "rec.bin"), r.file);
  }
  std::ifstream in(dir / "rec.bin", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  ASSERT_EQ(bytes.size(), 24 + sizeof(_QX_SETUP) + 6);
  _QX_SETUP saved;
  std::memcpy(&saved, bytes.data() + 24, sizeof saved);
  EXPECT_EQ(saved.RecordState, 1);
  EXPECT_EQ(saved.Recording, 1);
  EXPECT_EQ(bytes.substr(24 + sizeof saved), std::string("\1\2\3\4\5\6"));
  fs::remove_all(dir);
}

TEST_F(RecordTest, PlaybackGuards) {
  const struct {
    unsigned int ctrl;
    long value;
    std::int32_t state;
    BYTE valid;
    std::int32_t start, end;
    std::int32_t stateAfter;
    BYTE running, cont, heldShown;
    const char* status;
  } rows[] = {
      {CTL_PLAY_REPLAY, CTL_PLAY_CONTINUE, 2, 1, 5, 5, 2, 1, 1, 1, ""},
      {CTL_PLAY_REPLAY, 0, 2, 1, 6, 5, 2, 0, 0, 0, "Function not available"},
      {CTL_PLAY_REPLAY, 0, 2, 0, 1, 5, 2, 0, 0, 0, "Not available record data"},
      {CTL_PLAY_RESUME, CTL_PLAY_CONTINUE, 3, 1, 5, 5, 3, 0, 0, 0, "Function not available"},
      {CTL_PLAY_RESUME, 0, 3, 1, 4, 5, 2, 1, 0, 1, ""},
      {CTL_PLAY_RESUME, CTL_PLAY_CONTINUE, 3, 1, 4, 5, 2, 1, 1, 1, ""},
      {CTL_PLAY_FRAME, 0, 2, 1, 4, 5, 2, 0, 0, 0, "Function not available"},
      {CTL_REC_REFUSED, 0, 0, 1, 1, 5, 0, 0, 0, 0, "Function not available"},
  };
  setup.ChanDisplay[1] = 1;
  for (const auto& r : rows) {
    setup.RecordState = r.state;
    setup.RecordDataValid = r.valid;
    setup.PlayStartFrame = r.start;
    setup.PlayEndFrame = r.end;
    setup.PlayRunning = setup.PlayContinue = setup.ChanStopWave[1] = 0;
    Run(CMD_RECORD, r.ctrl, r.value);
    SCOPED_TRACE(r.ctrl);
    EXPECT_EQ(setup.RecordState, r.stateAfter);
    EXPECT_EQ(setup.PlayRunning, r.running);
    EXPECT_EQ(setup.PlayContinue, r.cont);
    EXPECT_EQ(setup.ChanStopWave[1], r.heldShown);
    Status(r.status);
  }
  EXPECT_EQ(setup.PlayCurFrame, 1);
  RunInt(CMD_RECORD, CTL_PLAY_STEP_BACK, 0);
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

  // A time travels as its double; a channel's volts as its float's bits in
  // the low word.
  struct Post {
    UINT cmd, ctrl;
    long value;
    std::uint64_t bits;
  };
  const auto time = [](double d) { return std::bit_cast<std::uint64_t>(d); };
  const auto volts = [](float f) { return std::uint64_t{std::bit_cast<std::uint32_t>(f)}; };
  const struct {
    const char* name;
    void (*change)(_QX_SETUP&);
    std::vector<Post> posts;
  } rows[] = {
      {"nothing differs", [](_QX_SETUP&) {}, {}},
      {"time scale and CH2 offset",
       [](_QX_SETUP& s) {
         s.TimeScale = 5e-3;
         s.ChanOffset[1] = 1.0f;
       },
       {{CMD_TIMEBASE, 0x66D, 0, time(1e-3)}, {CMD_CHANNEL, 0x46F, 1, volts(-0.3f)}}},
      {"every setting",
       [](_QX_SETUP& s) {
         s.TimeScale = s.TimeOffset = 9;
         s.ChanScale[0] = s.ChanOffset[0] = s.ChanScale[1] = s.ChanOffset[1] = 9;
       },
       {{CMD_TIMEBASE, 0x66D, 0, time(1e-3)},
        {CMD_TIMEBASE, 0x663, 0, time(2e-6)},
        {CMD_CHANNEL, 0x465, 0, volts(0.5f)},
        {CMD_CHANNEL, 0x46F, 0, volts(0.1f)},
        {CMD_CHANNEL, 0x465, 1, volts(2.0f)},
        {CMD_CHANNEL, 0x46F, 1, volts(-0.3f)}}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    const _QX_SETUP saved = setup;
    r.change(setup);
    setup.RecordState = 2;
    setup.PlayRunning = 1;
    Run(CMD_RECORD, CTL_PLAY_LEAVE);
    EXPECT_EQ(setup.RecordState, 0);
    EXPECT_EQ(setup.PlayRunning, 0);
    const std::vector<IOCmdSlot> pending = Pending();
    ASSERT_EQ(pending.size(), r.posts.size());
    for (std::size_t i = 0; i < pending.size(); ++i) {
      const IOCmdSlot& p = pending[i];
      const Post& w = r.posts[i];
      const bool wide = w.cmd == CMD_TIMEBASE;
      const std::uint64_t bits = (wide ? std::uint64_t{p.MsgVarHigh} << 32 : 0) | p.MsgVarLow;
      EXPECT_EQ((std::vector<std::uint64_t>{p.CmdId, p.CtrlId, static_cast<std::uint64_t>(p.Value), bits}),
                (std::vector<std::uint64_t>{w.cmd, w.ctrl, static_cast<std::uint64_t>(w.value), w.bits}));
      EXPECT_FALSE(p.Wnd1 || p.Wnd2 || p.Wnd3);
    }
    qx::Frame.ReadIndex = qx::Frame.WriteIndex;
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
    EXPECT_EQ(qxtest::Value(setup.AltTimeScale[0]), alt ? 5e-6 : 7);
    EXPECT_EQ(qxtest::Value(setup.AltTimeScale[1]), alt ? 5e-6 : 7);
    EXPECT_EQ(qxtest::Value(setup.DelayedScale), alt ? 7 : 1e-6);
    EXPECT_TRUE(Pending().empty());
  }
}

}  // namespace

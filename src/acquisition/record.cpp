// Waveform recorder and playback. The host acquires, stores and replays the
// frames; the library keeps the recorder's state and settings, hands a
// finished recording to the record file, and on leaving playback puts the
// time and volts settings back as they were when the undo copy was taken.
// Nothing here talks to the instrument: what must reach it is posted as
// ordinary timebase and channel commands that run after this one.
#include <cstring>

#include "frame/handlers.h"

namespace qx {
namespace {

enum RecordStateCode : std::int32_t { kIdle = 0, kRecording = 1, kPlaying = 2, kPaused = 3 };

// --- Choosing the source ------------------------------------------------------

constexpr std::int32_t kPassFailSourceCode = 2;

// A channel counts as shown only when it is CH1 or CH2 and displayed.
bool ChannelShown(std::int32_t channel) {
  return (channel == 0 || channel == 1) && Setup().ChanDisplay[channel] == 1;
}

Msg WhileRecording(const Control&) { return Setup().RecordState == kRecording ? Msg::NotAvailable : Allowed; }

void ChooseSource(Control& c) {
  _QX_SETUP& s = Setup();
  bool shown = false;
  if (c.i == 0 || c.i == 1)
    shown = ChannelShown(c.i);
  else if (c.i == kPassFailSourceCode)
    shown = s.PassFailOn == 1 && ChannelShown(s.PassFailSource);
  else
    return;
  if (shown)
    s.RecordSource = c.i;
  else
    c.Refuse(Msg::ChannelNotEnabled);
}

// --- Recording ----------------------------------------------------------------

void SetEndFrame(Control& c) {
  _QX_SETUP& s = Setup();
  s.RecordEndFrame = ValidRecordEndFrame(c.u);
  s.RecordCurFrame = ValidRecordCurFrame(s.RecordCurFrame);
}

void StartRecording(Control&) {
  _QX_SETUP& s = Setup();
  s.RecordState = kRecording;
  s.RecordCurFrame = 0;
  s.Recording = 1;
  s.RecordDataValid = 0;
}

// The file holds the record as it stood while recording. A path the host
// left without its NUL is cut at the end of the field.
void WriteRecordFile(long data) {
  const _QX_SETUP& s = Setup();
  char path[sizeof s.RecordFilePath + 1];
  const std::size_t length = strnlen(s.RecordFilePath, sizeof s.RecordFilePath);
  std::memcpy(path, s.RecordFilePath, length);
  path[length] = '\0';
  // Whether the file could be written is not the recorder's concern.
  (void)SaveRecFile(path, &s, reinterpret_cast<const QxRecordData*>(data));
}

// The command's value is the address of the host's recorded frames. Stopping
// before the first frame breaks the recording off; either way it is then
// available for playback.
void StopRecording(Control& c) {
  _QX_SETUP& s = Setup();
  if (s.RecordState != kRecording) return;
  const bool anyFrame = s.RecordCurFrame > 0;
  if (anyFrame) WriteRecordFile(c.value);
  s.Recording = 0;
  RaiseStatus(anyFrame ? Msg::RecordCompleted : Msg::RecordBreakOff);
  s.RecordState = kIdle;
  if (anyFrame) {
    s.PlayEndFrame = static_cast<std::int32_t>(s.RecordEndFrame);
    s.PlaySource = s.RecordSource;
    s.PlayStartFrame = 0;
  }
  s.RecordDataValid = 1;
}

// --- Playback -----------------------------------------------------------------

Msg NotPaused(const Control&) {
  const _QX_SETUP& s = Setup();
  return s.RecordState == kPaused && s.RecordDataValid == 1 ? Allowed : Msg::NotAvailable;
}

Msg CannotReplay(const Control&) {
  const _QX_SETUP& s = Setup();
  if (s.RecordDataValid == 0) return Msg::NoRecordData;
  return s.RecordState == kPlaying && s.PlayStartFrame <= s.PlayEndFrame ? Allowed : Msg::NotAvailable;
}

Msg CannotResume(const Control&) {
  const _QX_SETUP& s = Setup();
  if (s.RecordDataValid == 0) return Msg::NoRecordData;
  return s.RecordState == kPaused && s.PlayStartFrame < s.PlayEndFrame ? Allowed : Msg::NotAvailable;
}

// Playback started from the play key keeps going; from elsewhere it keeps
// whatever it had.
void NoteContinue(const Control& c) {
  if (c.value == static_cast<long>(CTL_PLAY_CONTINUE)) Setup().PlayContinue = 1;
}

void ShowHeldTraces(const Control&) { SetChanEnabledStop(true); }

void ShowFrame(Control& c) {
  _QX_SETUP& s = Setup();
  s.PlayCurFrame = ValidPlaybackCurFrm(c.i);
  s.PlayRunning = 1;
  s.PlayContinue = 0;
}

void Replay(Control&) {
  _QX_SETUP& s = Setup();
  s.PlayCurFrame = 1;
  s.PlayStartFrame = 1;
  s.PlayRunning = 1;
}

void Resume(Control&) {
  _QX_SETUP& s = Setup();
  s.RecordState = kPlaying;
  s.PlayRunning = 1;
}

void StepBack(Control&) {
  _QX_SETUP& s = Setup();
  s.PlayCurFrame = s.PlayCurFrame > 1 ? s.PlayCurFrame - 1 : 1;
  s.PlayRunning = 0;
  s.RecordState = kPaused;
}

// --- Leaving playback ---------------------------------------------------------

// A setting the undo copy holds that is put back through its own command.
// Times travel as doubles, channel volts as the bits of their float.
struct RestoreRow {
  unsigned long cmdId;
  unsigned int ctrlId;
  long value;
  double (*now)(const _QX_SETUP&);
  double (*saved)(const _QX_SETUP&);
  bool asFloat;
};

// In the order the commands are posted (value: the channel).
constexpr RestoreRow kRestoreRows[] = {
    {CMD_TIMEBASE, CTL_TIMEBASE_SCALE, 0, [](const _QX_SETUP& s) { return s.TimeScale; },
     [](const _QX_SETUP& s) { return s.UndoTimeScale[0]; }, false},
    {CMD_TIMEBASE, CTL_TIMEBASE_OFFSET, 0, [](const _QX_SETUP& s) { return s.TimeOffset; },
     [](const _QX_SETUP& s) { return s.UndoTimeOffset[0]; }, false},
    {CMD_CHANNEL, CTL_CH_SCALE, 0, [](const _QX_SETUP& s) { return double{s.ChanScale[0]}; },
     [](const _QX_SETUP& s) { return double{s.UndoChan[0].Scale[0]}; }, true},
    {CMD_CHANNEL, CTL_CH_OFFSET, 0, [](const _QX_SETUP& s) { return double{s.ChanOffset[0]}; },
     [](const _QX_SETUP& s) { return double{s.UndoChan[0].Offset[0]}; }, true},
    {CMD_CHANNEL, CTL_CH_SCALE, 1, [](const _QX_SETUP& s) { return double{s.ChanScale[1]}; },
     [](const _QX_SETUP& s) { return double{s.UndoChan[1].Scale[0]}; }, true},
    {CMD_CHANNEL, CTL_CH_OFFSET, 1, [](const _QX_SETUP& s) { return double{s.ChanOffset[1]}; },
     [](const _QX_SETUP& s) { return double{s.UndoChan[1].Offset[0]}; }, true},
};

void PostRestore(const RestoreRow& row, double saved) {
  if (row.asFloat) {
    const float volts = static_cast<float>(saved);
    std::uint32_t bits;
    std::memcpy(&bits, &volts, sizeof bits);
    SetMsgVarInt(static_cast<int>(bits));
  } else {
    SetMsgVarDouble(saved);
  }
  QxPostIOCmd(row.cmdId, row.ctrlId, row.value, nullptr, nullptr, nullptr);
}

// The alternate or delayed time bases are only shown, so they are put back
// directly; the main time base and the channels reach the instrument through
// their own commands, which run past the playback guards as the state is
// already idle.
void RestoreUndoSettings() {
  _QX_SETUP& s = Setup();
  if (s.TrigType == TRIG_ALTERNATION) {
    for (int c = 0; c < 2; ++c) {
      s.AltTimeOffset[c] = s.UndoAltTimeOffset[0][c];
      s.AltTimeScale[c] = s.UndoAltTimeScale[0][c];
    }
  } else if (s.DelayedOn == 1) {
    s.DelayedOffset = s.UndoDelayedOffset[0];
    s.DelayedScale = s.UndoDelayedScale[0];
  }
  for (const RestoreRow& row : kRestoreRows) {
    const double saved = row.saved(s);
    if (row.now(s) != saved) PostRestore(row, saved);
  }
}

void LeavePlayback(Control&) {
  _QX_SETUP& s = Setup();
  s.PlayRunning = 0;
  s.RecordState = kIdle;
  RestoreUndoSettings();
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_REC_SOURCE,
     .reads = Var::Int,
     .guard = WhileRecording,
     .action = ChooseSource,
     .leave = Leave::Host},
    {.ctrl = CTL_REC_INTERVAL,
     .reads = Var::Float,
     .action = [](Control& c) { Setup().RecordInterval = ValidRecordInterval(c.f); },
     .leave = Leave::Host},
    {.ctrl = CTL_REC_END_FRAME, .reads = Var::Uint, .action = SetEndFrame, .leave = Leave::Host},
    {.ctrl = CTL_REC_START, .action = StartRecording, .leave = Leave::Host},
    {.ctrl = CTL_REC_STOP, .action = StopRecording, .leave = Leave::Host},
    {.ctrl = CTL_REC_REFUSED,
     .guard = [](const Control&) { return Msg::NotAvailable; },
     .leave = Leave::Host},
    {.ctrl = CTL_PLAY_INTERVAL,
     .reads = Var::Float,
     .action = [](Control& c) { Setup().PlayInterval = ValidPlaybackInterval(c.f); },
     .leave = Leave::Host},
    {.ctrl = CTL_PLAY_FRAME,
     .reads = Var::Int,
     .guard = NotPaused,
     .action = ShowFrame,
     .after = {step::RefreshWave},
     .leave = Leave::Host},
    {.ctrl = CTL_PLAY_MODE,
     .reads = Var::Int,
     .action = [](Control& c) { Setup().PlayMode = c.i; },
     .leave = Leave::Host},
    {.ctrl = CTL_PLAY_REPLAY,
     .guard = CannotReplay,
     .action = Replay,
     .after = {NoteContinue, ShowHeldTraces},
     .leave = Leave::Host},
    {.ctrl = CTL_PLAY_LEAVE, .action = LeavePlayback, .leave = Leave::Host},
    {.ctrl = CTL_PLAY_STEP_BACK, .action = StepBack, .leave = Leave::Host},
    {.ctrl = CTL_PLAY_RESUME,
     .guard = CannotResume,
     .action = Resume,
     .after = {NoteContinue, ShowHeldTraces},
     .leave = Leave::Host},
};

}  // namespace

const ControlTable kRecordTable = {.cmdId = CMD_RECORD, .rows = kRows};

void RecordHandler(unsigned int ctrlId, long value, MsgVar var) {
  RunControl(kRecordTable, ctrlId, value, var);
}

}  // namespace qx

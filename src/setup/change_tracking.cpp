// Change tracking, the at-stop snapshot, and the undo and redo slots, all
// kept inside the settings record.
#include "frame/state.h"
#include "link/handler_link.h"

void SetChangeSetting() {
  _QX_SETUP& s = qx::Setup();
  _QX_RGN_SETUP& r = qx::Rgn();
  // During playback and while the display rolls the drawn trace is not the
  // acquisition's, so there is nothing to announce.
  if (s.RecordState == 2 || s.RollOn == 1) return;
  if (s.RunState != 1) {
    SetRefreshWave(false);
    return;
  }
  // Running: the host is told once that the trace no longer matches the
  // settings; the timer restarts with every change.
  if (s.ChangeSettingPending == 0) {
    s.ChangeSettingPending = 1;
    if (qx::Frame.MainWnd) qx::Frame.MainWnd->SendMessage(QX_MSG_NOTIFY, CTL_SETTING_CHANGED, 0);
  }
  if (r.ClearUsbPending) qx::SendLine(":CLEARUSB");
  if (qx::Frame.MainWnd) qx::Frame.MainWnd->SetTimer(QX_TIMER_CHANGE, QX_TIMER_CHANGE_MS, nullptr);
  r.ClearUsbPending = 0;
}

bool GetChangeSetting() { return qx::Setup().ChangeSettingPending != 0; }

void SaveChangeSetting() {
  _QX_SETUP& s = qx::Setup();
  for (int c = 0; c < 2; ++c) {
    s.ChanScaleAtStop[c] = s.ChanScale[c];
    s.ChanOffsetAtStop[c] = s.ChanOffset[c];
    s.ChanInvertAtStop[c] = s.ChanInvert[c];
    s.AltTimeScalePsAtStop[c] = s.AltTimeScalePs[c];
    s.AltTimeOffsetPsAtStop[c] = s.AltTimeOffsetPs[c];
    s.AltSampleRateAtStop[c] = s.AltSampleRate[c];
    s.AltSampleRate2AtStop[c] = s.AltSampleRate2[c];
    s.AltTimeOffsetAtStop[c] = s.AltTimeOffset[c];
    s.AltTimeScaleAtStop[c] = s.AltTimeScale[c];
  }
  for (int i = 0; i < 4; ++i) s.MathDisplayAtStop[i] = s.MathDisplay[i];
  s.TimeScaleAtStop = s.TimeScale;
  s.TimeOffsetAtStop = s.TimeOffset;
  s.DelayedOffsetAtStop = s.DelayedOffset;
  s.DelayedScaleAtStop = s.DelayedScale;
  s.TimeScalePsAtStop = s.TimeScalePs;
  s.TimeOffsetPsAtStop = s.TimeOffsetPs;
  s.DelayedOffsetPsAtStop = s.DelayedOffsetPs;
  s.DelayedScalePsAtStop = s.DelayedScalePs;
  s.RollOnAtStop = s.RollOn;
  s.AcqMemDepthAtStop = s.AcqMemDepth;
  s.AcqSampleRateAtStop = s.AcqSampleRate;
  s.LaEnableAtStop = s.LaEnable;
}

namespace {
// Slot 0 is the undo copy, slot 1 the redo copy.
void SaveScalesAndOffsets(int slot) {
  _QX_SETUP& s = qx::Setup();
  for (int c = 0; c < 2; ++c) {
    s.UndoChan[c].Scale[slot] = s.ChanScale[c];
    s.UndoChan[c].Offset[slot] = s.ChanOffset[c];
    s.UndoAltTimeOffset[slot][c] = s.AltTimeOffset[c];
    s.UndoAltTimeScale[slot][c] = s.AltTimeScale[c];
  }
  s.UndoTimeScale[slot] = s.TimeScale;
  s.UndoTimeOffset[slot] = s.TimeOffset;
  s.UndoDelayedScale[slot] = s.DelayedScale;
  s.UndoDelayedOffset[slot] = s.DelayedOffset;
}
}  // namespace

void SaveUndoSetup() {
  qx::Setup().UndoUsed = 0;
  SaveScalesAndOffsets(0);
}

void SaveRedoSetup() { SaveScalesAndOffsets(1); }

// Every status message the user can see, by name. Handlers and validators
// raise them with RaiseStatus(Msg::...); no text is typed anywhere else.
#pragma once

namespace qx {

enum class Msg : int {
  // Limits reached (a quantity, then "at lower limit" / "at upper limit")
  VoltsDivLower,
  VoltsDivUpper,
  VoltOffsetLower,
  VoltOffsetUpper,
  PositionLower,
  PositionUpper,
  FilterFrequencyLower,
  FilterFrequencyUpper,
  TriggerPositionLower,
  TriggerPositionUpper,
  ThresholdLevelLower,
  ThresholdLevelUpper,
  WaveIntensityLower,
  WaveIntensityUpper,
  GridIntensityLower,
  GridIntensityUpper,
  PfHorizontalLower,
  PfHorizontalUpper,
  PfVerticalLower,
  PfVerticalUpper,
  TriggerSensitivityLower,
  TriggerSensitivityUpper,
  TriggerHoldoffLower,
  TriggerHoldoffUpper,
  TriggerLevelLower,
  TriggerLevelUpper,
  RecordIntervalLower,
  RecordIntervalUpper,
  PlaybackIntervalLower,
  PlaybackIntervalUpper,
  TimeDivLower,
  TimeDivUpper,
  PulseWidthLower,
  PulseWidthUpper,
  SlopeTimeLower,
  SlopeTimeUpper,
  AcquireAverageLower,
  AcquireAverageUpper,
  RecordFramesLower,
  RecordFramesUpper,
  PlaybackFrameLower,
  PlaybackFrameUpper,
  CursorPositionLower,
  CursorPositionUpper,
  // Refused controls
  NotAvailable,
  NotAvailableXY,
  NotAvailableAltTrigger,
  NotAvailableRolling,
  NotAvailableFFT,
  NotAvailableLowerLimitScale,
  // Other notices
  MeasurementSelected,
  ChannelNotEnabled,
  NoRecordData,
  RecordBreakOff,
  RecordCompleted,
  UsbSelected,
  LanSelected,
  Count
};

// The exact text of a message.
const char* MessageText(Msg message);

// SetSystemError with the message's text.
void RaiseStatus(Msg message);

}  // namespace qx

// Status messages: the one table of texts the user sees, and the hand-over
// of the last message to the host through ErrorText and ErrorPending.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "frame/messages.h"
#include "frame/state.h"

namespace qx {
namespace {

struct MessageRow {
  Msg id;
  const char* text;
};

constexpr MessageRow kMessages[] = {
    {Msg::VoltsDivLower, "Volts/Div at lower limit"},
    {Msg::VoltsDivUpper, "Volts/Div at upper limit"},
    {Msg::VoltOffsetLower, "Volt offset at lower limit"},
    {Msg::VoltOffsetUpper, "Volt offset at upper limit"},
    {Msg::PositionLower, "Position at lower limit"},
    {Msg::PositionUpper, "Position at upper limit"},
    {Msg::FilterFrequencyLower, "Filter frequency at lower limit"},
    {Msg::FilterFrequencyUpper, "Filter frequency at upper limit"},
    {Msg::TriggerPositionLower, "Trigger position at lower limit"},
    {Msg::TriggerPositionUpper, "Trigger position at upper limit"},
    {Msg::ThresholdLevelLower, "Threshold level at lower limit"},
    {Msg::ThresholdLevelUpper, "Threshold level at upper limit"},
    {Msg::WaveIntensityLower, "Wave intensity at lower limit"},
    {Msg::WaveIntensityUpper, "Wave intensity at upper limit"},
    {Msg::GridIntensityLower, "Grid intensity at lower limit"},
    {Msg::GridIntensityUpper, "Grid intensity at upper limit"},
    {Msg::PfHorizontalLower, "P/F Horizontal adjust at lower limit"},
    {Msg::PfHorizontalUpper, "P/F Horizontal adjust at upper limit"},
    {Msg::PfVerticalLower, "P/F Vertical adjust at lower limit"},
    {Msg::PfVerticalUpper, "P/F Vertical adjust at upper limit"},
    {Msg::TriggerSensitivityLower, "Trigger sensitivity at lower limit"},
    {Msg::TriggerSensitivityUpper, "Trigger sensitivity at upper limit"},
    {Msg::TriggerHoldoffLower, "Trigger holdoff at lower limit"},
    {Msg::TriggerHoldoffUpper, "Trigger holdoff at upper limit"},
    {Msg::TriggerLevelLower, "Trigger level at lower limit"},
    {Msg::TriggerLevelUpper, "Trigger level at upper limit"},
    {Msg::RecordIntervalLower, "Record interval at lower limit"},
    {Msg::RecordIntervalUpper, "Record interval at upper limit"},
    {Msg::PlaybackIntervalLower, "Playback interval at lower limit"},
    {Msg::PlaybackIntervalUpper, "Playback interval at upper limit"},
    {Msg::TimeDivLower, "Time/Div at lower limit"},
    {Msg::TimeDivUpper, "Time/Div at upper limit"},
    {Msg::PulseWidthLower, "Pulse width at lower limit"},
    {Msg::PulseWidthUpper, "Pulse width at upper limit"},
    {Msg::SlopeTimeLower, "Slope time at lower limit"},
    {Msg::SlopeTimeUpper, "Slope time at upper limit"},
    {Msg::AcquireAverageLower, "Acquire average number at lower limit"},
    {Msg::AcquireAverageUpper, "Acquire average number at upper limit"},
    {Msg::RecordFramesLower, "Record frames at lower limit"},
    {Msg::RecordFramesUpper, "Record frames at upper limit"},
    {Msg::PlaybackFrameLower, "Playback current frame at lower limit"},
    {Msg::PlaybackFrameUpper, "Playback current frame at upper limit"},
    {Msg::CursorPositionLower, "Cursor position at lower limit"},
    {Msg::CursorPositionUpper, "Cursor position at upper limit"},
    {Msg::NotAvailable, "Function not available"},
    {Msg::NotAvailableXY, "Function not available at XY mode"},
    {Msg::NotAvailableAltTrigger, "Function not available at alternate trigger"},
    {Msg::NotAvailableRolling, "Function not available at rolling mode"},
    {Msg::NotAvailableFFT, "Function not available at FFT"},
    {Msg::NotAvailableLowerLimitScale, "Function not available at lower limit scale"},
    {Msg::MeasurementSelected, "Measurement already selected"},
    {Msg::ChannelNotEnabled, "Channel selected not enabled"},
    {Msg::NoRecordData, "Not available record data"},
    {Msg::RecordBreakOff, "Record waveforms break off"},
    {Msg::RecordCompleted, "Record waveforms completed "},  // ends with a blank
    {Msg::UsbSelected, "USB is already selected"},
    {Msg::LanSelected, "LAN is already selected"},
};

// The table is indexed by Msg: each row sits at its own id.
constexpr bool RowsInOrder() {
  for (std::size_t i = 0; i < std::size(kMessages); ++i)
    if (static_cast<std::size_t>(kMessages[i].id) != i) return false;
  return std::size(kMessages) == static_cast<std::size_t>(Msg::Count);
}
static_assert(RowsInOrder(), "one row per message, in the order of Msg");

constexpr std::size_t LongestMessage() {
  std::size_t longest = 0;
  for (const MessageRow& row : kMessages) {
    std::size_t n = 0;
    while (row.text[n]) ++n;
    longest = std::max(longest, n);
  }
  return longest;
}
static_assert(LongestMessage() < sizeof(_QX_SETUP::ErrorText), "ErrorText holds every message");

}  // namespace

const char* MessageText(Msg message) {
  const auto i = static_cast<std::size_t>(message);
  return i < std::size(kMessages) ? kMessages[i].text : "";
}

void RaiseStatus(Msg message) { SetSystemError(MessageText(message)); }

}  // namespace qx

void SetSystemError(CString message) {
  _QX_SETUP& setup = qx::Setup();
  // Exactly the message's bytes and a NUL; a text longer than the field
  // (none of the library's own is) is cut rather than written past it.
  const std::size_t n =
      std::min<std::size_t>(static_cast<std::size_t>(message.GetLength()), sizeof setup.ErrorText - 1);
  std::memcpy(setup.ErrorText, message.GetString(), n);
  setup.ErrorText[n] = '\0';
  qx::Rgn().ErrorPending = 1;
}

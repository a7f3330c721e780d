// The records and the setup blocks described field by field for hosts. The
// record rows take offsets and types from the declarations themselves; the
// block rows are built from the layout tables the translation uses, so
// neither is a copy that could drift.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "QxMsg.h"
#include "link/link_state.h"
#include "setup/block_layout.h"

namespace {

// ---------------------------------------------------------------------------
// Names of coded values, code 0 first
// ---------------------------------------------------------------------------
constexpr const char* kActiveChannel[] = {"CH1",   "CH2",   nullptr, nullptr, "LA",
                                          "MATH1", "MATH2", "MATH3", "MATH4", "NONE"};
constexpr const char* kInterface[] = {"USB", "LAN"};
constexpr const char* kChannel[] = {"CH1", "CH2"};
constexpr const char* kCoupling[] = {"DC", "AC"};
constexpr const char* kImpedance[] = {"1MOHM", "50OHM"};
constexpr const char* kUnit[] = {"V", "A", "W", "dBV", "dBA", "dBW", "KEEP", "U"};
constexpr const char* kMathOperator[] = {"ADD", "SUBTRACT", "MULTIPLE", "FFT", "FILTER"};
constexpr const char* kFilterType[] = {"LOWPASS", "HIGHPASS", "BANDPASS", "BANDREJECT"};
constexpr const char* kFftUnit[] = {"VRMS", "DBVRMS"};
constexpr const char* kRefSource[] = {"CH1", "CH2", "MATH1", "MATH2", "MATH3", "MATH4"};
constexpr const char* kTimeFormat[] = {"YT", "XY", "ROLLING"};
constexpr const char* kCursorMode[] = {"OFF", "MANUAL", "TRACK", "MODE3"};
constexpr const char* kCursorSource[] = {"CH1", "CH2", "MATH1", "MATH2", "MATH3", "MATH4", "LA"};
constexpr const char* kAcqType[] = {"NORMAL", "AVERAGE", "PEAKDETECT"};
constexpr const char* kAcqMode[] = {"ETIME", "RTIME"};
constexpr const char* kMemory[] = {"NORMAL", "FULL"};
constexpr const char* kDispType[] = {"VECTORS", "DOTS"};
constexpr const char* kDispGrid[] = {"NONE", "FULL"};
constexpr const char* kTrigType[] = {"EDGE", "PULSE", "SLOPE", "VIDEO", "ALTERNATION", "PATTERN", "DURATION"};
constexpr const char* kTrigStatus[] = {"RUN", "STOP", nullptr, nullptr, "AUTO"};
constexpr const char* kTrigSource[] = {
    "CHANNEL1",  "CHANNEL2",  "EXT",       "EXT5",      nullptr,     "ACLINE",   "DIGITAL0", "DIGITAL1",
    "DIGITAL2",  "DIGITAL3",  "DIGITAL4",  "DIGITAL5",  "DIGITAL6",  "DIGITAL7", "DIGITAL8", "DIGITAL9",
    "DIGITAL10", "DIGITAL11", "DIGITAL12", "DIGITAL13", "DIGITAL14", "DIGITAL15"};
constexpr const char* kVideoStandard[] = {"NTSC", "PALSECAM"};
constexpr const char* kAltTrigType[] = {"EDGE", "PULSE", "SLOPE", "VIDEO"};
constexpr const char* kRecordState[] = {"IDLE", "RECORDING", "PLAYING", "PAUSED"};
constexpr const char* kRecordSource[] = {"CH1", "CH2", "PASSFAIL"};

constexpr QxFieldUnit S = QX_UNIT_SECOND;
constexpr QxFieldUnit V = QX_UNIT_VOLT;
constexpr QxFieldUnit SaPerS = QX_UNIT_SAMPLES_PER_SECOND;
constexpr QxFieldUnit Ps = QX_UNIT_PICOSECOND;

// ---------------------------------------------------------------------------
// Record rows from the declarations
// ---------------------------------------------------------------------------
template <typename T>
constexpr QxFieldType TypeOf() {
  if constexpr (std::is_same_v<T, char>)
    return QX_FIELD_TEXT;
  else if constexpr (std::is_same_v<T, std::uint8_t>)
    return QX_FIELD_U8;
  else if constexpr (std::is_same_v<T, std::int16_t>)
    return QX_FIELD_I16;
  else if constexpr (std::is_same_v<T, std::uint16_t>)
    return QX_FIELD_U16;
  else if constexpr (std::is_same_v<T, std::int32_t>)
    return QX_FIELD_I32;
  else if constexpr (std::is_same_v<T, std::uint32_t>)
    return QX_FIELD_U32;
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return QX_FIELD_I64;
  else if constexpr (std::is_same_v<T, float>)
    return QX_FIELD_F32;
  else if constexpr (std::is_same_v<T, double>)
    return QX_FIELD_F64;
  else if constexpr (std::is_same_v<T, CPoint>)
    return QX_FIELD_POINT;
  else if constexpr (std::is_same_v<T, CRect>)
    return QX_FIELD_RECT;
  else {
    static_assert(std::is_same_v<T, ScreenWindow>, "a record field of a type the descriptions do not know");
    return QX_FIELD_WINDOW;
  }
}

// T is the member's declared type: char[n] is one text, char[m][n] m texts.
template <typename T>
constexpr QxField Describe(const char* name, const char* group, std::size_t offset,
                           QxFieldUnit unit = QX_UNIT_NONE, std::span<const char* const> words = {}) {
  using Entry = std::remove_all_extents_t<T>;
  unsigned count = sizeof(T) / sizeof(Entry);
  if constexpr (std::is_same_v<Entry, char>) count = std::rank_v<T> == 2 ? std::extent_v<T, 0> : 1;
  const unsigned size = sizeof(T) / count;
  return {name, group, static_cast<unsigned>(offset), TypeOf<Entry>(), size, count, size, unit, words};
}

#define QX_SETUP(group, field, ...) \
  Describe<decltype(_QX_SETUP::field)>(#field, group, offsetof(_QX_SETUP, field) __VA_OPT__(, ) __VA_ARGS__)
#define QX_RGN(field) \
  Describe<decltype(_QX_RGN_SETUP::field)>(#field, "screen", offsetof(_QX_RGN_SETUP, field))

// Sub-records: one row per member array, named as a host writes it.
constexpr std::size_t kUndoChan = offsetof(_QX_SETUP, UndoChan);
constexpr std::size_t kUndoScale = offsetof(QxUndoChan, Scale);
constexpr std::size_t kUndoOffset = offsetof(QxUndoChan, Offset);
constexpr std::size_t kAltOffsetRow = offsetof(_QX_SETUP, UndoAltTimeOffset);
constexpr std::size_t kAltScaleRow = offsetof(_QX_SETUP, UndoAltTimeScale);
constexpr std::size_t kUndoPair = sizeof(double[2]);

constexpr QxField kSetupFields[] = {
    QX_SETUP("status", RunState),
    QX_SETUP("status", ActiveChannel, QX_UNIT_NONE, kActiveChannel),
    QX_SETUP("interface", InterfaceType, QX_UNIT_NONE, kInterface),
    QX_SETUP("timebase", TimeScaleLimit, S),
    QX_SETUP("status", ChangeSettingPending),
    QX_SETUP("status", HoldMarkers),
    QX_SETUP("status", RefreshFlag),
    QX_SETUP("interface", Connected),
    QX_SETUP("interface", UsbDevice),
    QX_SETUP("status", AutoFlag0),
    QX_SETUP("status", AutoFlag1),

    QX_SETUP("channels", ChanDisplay),
    QX_SETUP("channels", ChanScale, V),
    QX_SETUP("channels", ChanOffset, V),
    QX_SETUP("channels", ChanCoupling, QX_UNIT_NONE, kCoupling),
    QX_SETUP("channels", ChanProbe),
    QX_SETUP("channels", ChanBWLimit),
    QX_SETUP("channels", ChanUnit, QX_UNIT_NONE, kUnit),
    QX_SETUP("channels", ChanUnitText),
    QX_SETUP("channels", ChanInvert),
    QX_SETUP("channels", ChanImpedance, QX_UNIT_NONE, kImpedance),
    QX_SETUP("channels", ChanStopWave),
    QX_SETUP("channels", ChanScaleAtStop, V),
    QX_SETUP("channels", ChanOffsetAtStop, V),
    QX_SETUP("channels", ChanInvertAtStop),

    QX_SETUP("math", MathDisplay),
    QX_SETUP("math", MathIndex),
    QX_SETUP("math", MathOperator, QX_UNIT_NONE, kMathOperator),
    QX_SETUP("math", MathSourceA, QX_UNIT_NONE, kChannel),
    QX_SETUP("math", MathSourceB, QX_UNIT_NONE, kChannel),
    QX_SETUP("math", MathOffset),
    QX_SETUP("math", MathScale),
    QX_SETUP("math", MathScaleIndex),
    QX_SETUP("math", MathInvert),
    QX_SETUP("math", MathUnitText),
    QX_SETUP("math", MathDisplayAtStop),
    QX_SETUP("channels", ChanFilter),
    QX_SETUP("channels", ChanFilterType, QX_UNIT_NONE, kFilterType),
    QX_SETUP("channels", ChanFilterUpper),
    QX_SETUP("channels", ChanFilterLower),
    QX_SETUP("math", MathFilterSource, QX_UNIT_NONE, kChannel),
    QX_SETUP("math", MathFilterSourcePrev, QX_UNIT_NONE, kChannel),
    QX_SETUP("math", FFTSource, QX_UNIT_NONE, kChannel),
    QX_SETUP("math", FFTWindow),
    QX_SETUP("math", FFTVertUnit, QX_UNIT_NONE, kFftUnit),
    QX_SETUP("math", FFTZoomCode),
    QX_SETUP("math", FFTVrmsOffset),
    QX_SETUP("math", FFTVrmsScale),
    QX_SETUP("math", FFTVrmsScaleIndex),
    QX_SETUP("math", FFTDbOffset),
    QX_SETUP("math", FFTDbScale),
    QX_SETUP("math", FFTTimeOffset),
    QX_SETUP("math", FFTTimeScale),
    QX_SETUP("math", FFTTimeOffsetDiv),
    QX_SETUP("math", FFTFullScreen),

    QX_SETUP("ref", RefDisplay),
    QX_SETUP("ref", RefSource, QX_UNIT_NONE, kRefSource),
    QX_SETUP("ref", RefOption),
    QX_SETUP("ref", RefOperator, QX_UNIT_NONE, kMathOperator),
    QX_SETUP("ref", RefFFTVertUnit, QX_UNIT_NONE, kFftUnit),
    QX_SETUP("ref", RefFFTZoomCode),
    QX_SETUP("ref", RefFFTOffset),
    QX_SETUP("ref", RefMemDepth),
    QX_SETUP("ref", RefSampleRate, SaPerS),
    QX_SETUP("ref", RefOffset),
    QX_SETUP("ref", RefScale),
    QX_SETUP("ref", RefTimeOffset, S),
    QX_SETUP("ref", RefTimeScale, S),
    QX_SETUP("ref", RefTimeOffset2, S),
    QX_SETUP("ref", RefTimeScale2, S),
    QX_SETUP("ref", RefTimeOffsetPs, Ps),
    QX_SETUP("ref", RefTimeScalePs, Ps),
    QX_SETUP("ref", RefTimeOffset2Ps, Ps),
    QX_SETUP("ref", RefTimeScale2Ps, Ps),
    QX_SETUP("ref", RefSaved),
    QX_SETUP("ref", RefShift),

    QX_SETUP("la", LaEnable),
    QX_SETUP("la", LaChanDisplay),
    QX_SETUP("la", LaThresholdType),
    QX_SETUP("la", LaThreshold, V),
    QX_SETUP("la", LaUserThreshold, V),
    QX_SETUP("la", LaGroup1),
    QX_SETUP("la", LaGroup2),
    QX_SETUP("la", LaSize),
    QX_SETUP("la", LaTraceSpan),
    QX_SETUP("la", LaTraceSpanInner),
    QX_SETUP("la", LaChanPos),
    QX_SETUP("la", LaEnableAtStop),

    QX_SETUP("timebase", DelayedOn),
    QX_SETUP("timebase", RollOn),
    QX_SETUP("timebase", RollOnAtStop),
    QX_SETUP("timebase", TimeFormat, QX_UNIT_NONE, kTimeFormat),
    QX_SETUP("timebase", TimeOffset, S),
    QX_SETUP("timebase", TimeScale, S),
    QX_SETUP("timebase", DelayedOffset, S),
    QX_SETUP("timebase", DelayedScale, S),
    QX_SETUP("timebase", TimeOffsetAtStop, S),
    QX_SETUP("timebase", TimeScaleAtStop, S),
    QX_SETUP("timebase", DelayedOffsetAtStop, S),
    QX_SETUP("timebase", DelayedScaleAtStop, S),
    QX_SETUP("timebase", TimeOffsetPs, Ps),
    QX_SETUP("timebase", TimeScalePs, Ps),
    QX_SETUP("timebase", DelayedOffsetPs, Ps),
    QX_SETUP("timebase", DelayedScalePs, Ps),
    QX_SETUP("timebase", TimeOffsetPsAtStop, Ps),
    QX_SETUP("timebase", TimeScalePsAtStop, Ps),
    QX_SETUP("timebase", DelayedOffsetPsAtStop, Ps),
    QX_SETUP("timebase", DelayedScalePsAtStop, Ps),

    QX_SETUP("cursor", CursorMode, QX_UNIT_NONE, kCursorMode),
    QX_SETUP("cursor", CursorXSource, QX_UNIT_NONE, kCursorSource),
    QX_SETUP("cursor", CursorYSource, QX_UNIT_NONE, kCursorSource),
    QX_SETUP("cursor", CursorXA),
    QX_SETUP("cursor", CursorXB),
    QX_SETUP("cursor", CursorYA),
    QX_SETUP("cursor", CursorYB),
    QX_SETUP("cursor", TrackSourceA, QX_UNIT_NONE, kChannel),
    QX_SETUP("cursor", TrackSourceB, QX_UNIT_NONE, kChannel),
    QX_SETUP("cursor", TrackXA),
    QX_SETUP("cursor", TrackXB),
    QX_SETUP("cursor", CursorXOn),
    QX_SETUP("cursor", CursorYOn),
    QX_SETUP("cursor", TrackAOn),
    QX_SETUP("cursor", TrackBOn),

    QX_SETUP("acquire", AcqType, QX_UNIT_NONE, kAcqType),
    QX_SETUP("acquire", AcqMode, QX_UNIT_NONE, kAcqMode),
    QX_SETUP("acquire", AcqAverages),
    QX_SETUP("acquire", AcqMemFull, QX_UNIT_NONE, kMemory),
    QX_SETUP("acquire", AcqMemDepth),
    QX_SETUP("acquire", AcqSampleRate, SaPerS),
    QX_SETUP("acquire", AcqSampleRate2, SaPerS),
    QX_SETUP("acquire", AcqSampleRateAtStop, SaPerS),
    QX_SETUP("acquire", AcqSampleRate2AtStop, SaPerS),
    QX_SETUP("acquire", AcqMemDepthAtStop),

    QX_SETUP("measure", MeasureAll),
    QX_SETUP("measure", MeasureOn),
    QX_SETUP("measure", MeasureSource),
    QX_SETUP("measure", MeasureType),
    QX_SETUP("measure", MeasureCount),
    QX_SETUP("measure", MeasureSelected),

    QX_SETUP("display", DispType, QX_UNIT_NONE, kDispType),
    QX_SETUP("display", DispTypeSaved, QX_UNIT_NONE, kDispType),
    QX_SETUP("display", DispGrid, QX_UNIT_NONE, kDispGrid),
    QX_SETUP("display", DispFlag),
    QX_SETUP("display", DispWaveIntensity),
    QX_SETUP("display", DispGridIntensity),
    QX_SETUP("display", DispGridColor),
    QX_SETUP("display", DispLock),

    QX_SETUP("trigger", TrigType, QX_UNIT_NONE, kTrigType),
    QX_SETUP("trigger", TrigStatus, QX_UNIT_NONE, kTrigStatus),
    QX_SETUP("trigger", TrigHoldoff, S),
    QX_SETUP("trigger", TrigSweep),
    QX_SETUP("trigger", TrigSensitivity),
    QX_SETUP("trigger", TrigCoupling),
    QX_SETUP("trigger", TrigLevelShown),
    QX_SETUP("trigger", TrigEdgeSlope),
    QX_SETUP("trigger", TrigEdgeSource, QX_UNIT_NONE, kTrigSource),
    QX_SETUP("trigger", TrigEdgeLevel, V),
    QX_SETUP("trigger", TrigPulseWhen),
    QX_SETUP("trigger", TrigPulseWidth, S),
    QX_SETUP("trigger", TrigPulseSource, QX_UNIT_NONE, kTrigSource),
    QX_SETUP("trigger", TrigPulseLevel, V),
    QX_SETUP("trigger", TrigVideoPolarity),
    QX_SETUP("trigger", TrigVideoSource, QX_UNIT_NONE, kTrigSource),
    QX_SETUP("trigger", TrigVideoSync),
    QX_SETUP("trigger", TrigVideoStandard, QX_UNIT_NONE, kVideoStandard),
    QX_SETUP("trigger", TrigVideoLine),
    QX_SETUP("trigger", TrigVideoLevel, V),
    QX_SETUP("trigger", TrigSlopeWhen),
    QX_SETUP("trigger", TrigSlopeSource, QX_UNIT_NONE, kTrigSource),
    QX_SETUP("trigger", TrigSlopeTime, S),
    QX_SETUP("trigger", TrigSlopeLevelA, V),
    QX_SETUP("trigger", TrigSlopeLevelB, V),
    QX_SETUP("trigger", TrigPattern),
    QX_SETUP("trigger", TrigDuration),
    QX_SETUP("trigger", TrigDurationQualifier),
    QX_SETUP("trigger", TrigDurationTime, S),

    QX_SETUP("alternate", AltSource, QX_UNIT_NONE, kTrigSource),
    QX_SETUP("alternate", AltTrigType, QX_UNIT_NONE, kAltTrigType),
    QX_SETUP("alternate", AltHoldoff, S),
    QX_SETUP("alternate", AltSensitivity),
    QX_SETUP("alternate", AltCoupling),
    QX_SETUP("alternate", AltMemDepth),
    QX_SETUP("alternate", AltTimeScale, S),
    QX_SETUP("alternate", AltTimeOffset, S),
    QX_SETUP("alternate", AltTimeScalePs, Ps),
    QX_SETUP("alternate", AltTimeOffsetPs, Ps),
    QX_SETUP("alternate", AltSampleRate, SaPerS),
    QX_SETUP("alternate", AltSampleRate2, SaPerS),
    QX_SETUP("alternate", AltTimeScaleAtStop, S),
    QX_SETUP("alternate", AltTimeOffsetAtStop, S),
    QX_SETUP("alternate", AltTimeScalePsAtStop, Ps),
    QX_SETUP("alternate", AltTimeOffsetPsAtStop, Ps),
    QX_SETUP("alternate", AltSampleRateAtStop, SaPerS),
    QX_SETUP("alternate", AltSampleRate2AtStop, SaPerS),
    QX_SETUP("alternate", AltEdgeLevel, V),
    QX_SETUP("alternate", AltEdgeSlope),
    QX_SETUP("alternate", AltPulseLevel, V),
    QX_SETUP("alternate", AltPulseWhen),
    QX_SETUP("alternate", AltPulseWidth, S),
    QX_SETUP("alternate", AltVideoPolarity),
    QX_SETUP("alternate", AltVideoSync),
    QX_SETUP("alternate", AltVideoStandard, QX_UNIT_NONE, kVideoStandard),
    QX_SETUP("alternate", AltVideoLevel, V),
    QX_SETUP("alternate", AltVideoLine),
    QX_SETUP("alternate", AltSlopeWhen),
    QX_SETUP("alternate", AltSlopeTime, S),
    QX_SETUP("alternate", AltSlopeLevelA, V),
    QX_SETUP("alternate", AltSlopeLevelB, V),

    QX_SETUP("passfail", PassFailOn),
    QX_SETUP("passfail", PassFailSource, QX_UNIT_NONE, kChannel),
    QX_SETUP("passfail", PassFailRun),
    QX_SETUP("passfail", PassFailFlag2),
    QX_SETUP("passfail", PassFailCount),
    QX_SETUP("passfail", PassFailOption),
    QX_SETUP("passfail", PassFailFlag1),
    QX_SETUP("passfail", PassFailHorizRange),
    QX_SETUP("passfail", PassFailVertRange),
    QX_SETUP("passfail", PassFailDisplay),

    QX_SETUP("record", RecordState, QX_UNIT_NONE, kRecordState),
    QX_SETUP("record", RecordSource, QX_UNIT_NONE, kRecordSource),
    QX_SETUP("record", RecordInterval),
    QX_SETUP("record", RecordCurFrame),
    QX_SETUP("record", RecordEndFrame),
    QX_SETUP("record", Recording),
    QX_SETUP("record", RecordDataValid),
    QX_SETUP("record", PlaySource, QX_UNIT_NONE, kRecordSource),
    QX_SETUP("record", PlayRunning),
    QX_SETUP("record", PlayContinue),
    QX_SETUP("record", PlayInterval),
    QX_SETUP("record", PlayStartFrame),
    QX_SETUP("record", PlayEndFrame),
    QX_SETUP("record", PlayCurFrame),
    QX_SETUP("record", PlayMode),
    QX_SETUP("record", RecordFilePath),

    QX_SETUP("status", SelfCalEnable),
    QX_SETUP("undo", UndoUsed),
    Describe<float[2]>("UndoChan[0].Scale", "undo", kUndoChan + kUndoScale, V),
    Describe<float[2]>("UndoChan[0].Offset", "undo", kUndoChan + kUndoOffset, V),
    Describe<float[2]>("UndoChan[1].Scale", "undo", kUndoChan + sizeof(QxUndoChan) + kUndoScale, V),
    Describe<float[2]>("UndoChan[1].Offset", "undo", kUndoChan + sizeof(QxUndoChan) + kUndoOffset, V),
    QX_SETUP("undo", UndoTimeScale, S),
    QX_SETUP("undo", UndoTimeOffset, S),
    QX_SETUP("undo", UndoDelayedScale, S),
    QX_SETUP("undo", UndoDelayedOffset, S),
    Describe<double[2]>("UndoAltTimeOffset[0]", "undo", kAltOffsetRow, S),
    Describe<double[2]>("UndoAltTimeOffset[1]", "undo", kAltOffsetRow + kUndoPair, S),
    Describe<double[2]>("UndoAltTimeScale[0]", "undo", kAltScaleRow, S),
    Describe<double[2]>("UndoAltTimeScale[1]", "undo", kAltScaleRow + kUndoPair, S),

    QX_SETUP("interface", LanDhcp),
    QX_SETUP("interface", LanPort),
    QX_SETUP("interface", LanIp),
    QX_SETUP("interface", LanGateway),
    QX_SETUP("interface", LanNetmask),
    QX_SETUP("interface", LanMac),
    QX_SETUP("interface", LanIpAtStart),
    QX_SETUP("interface", LanPortAtStart),
    QX_SETUP("status", ErrorText),
};

constexpr QxField kRgnFields[] = {
    QX_RGN(RedrawScreen),      QX_RGN(RedrawFlag1),       QX_RGN(RedrawFlag2),      QX_RGN(RedrawFlag3),
    QX_RGN(RedrawFlag4),       QX_RGN(RefreshWave),       QX_RGN(TrigLevelLineOn),  QX_RGN(CursorShown),
    QX_RGN(RedrawMeasure),     QX_RGN(ErrorShown),        QX_RGN(ErrorPending),     QX_RGN(ClearUsbPending),
    QX_RGN(CmdBusy),           QX_RGN(ActiveWindow),

    QX_RGN(ChanOffsetPtMain),  QX_RGN(MathOffsetPtMain),  QX_RGN(RefOffsetPtMain),  QX_RGN(LaOffsetPtMain),
    QX_RGN(TrigLevelPtMain),   QX_RGN(TrigMarkMain),      QX_RGN(HostPtMain),       QX_RGN(CursorXAPtMain),
    QX_RGN(CursorXBPtMain),    QX_RGN(CursorYAPtMain),    QX_RGN(CursorYBPtMain),   QX_RGN(TrackAPtMain),
    QX_RGN(TrackBPtMain),

    QX_RGN(ChanOffsetPtUpper), QX_RGN(MathOffsetPtUpper), QX_RGN(RefOffsetPtUpper), QX_RGN(LaOffsetPtUpper),
    QX_RGN(TrigLevelPtUpper),  QX_RGN(TrigMarkUpper),     QX_RGN(HostPtUpper),      QX_RGN(CursorXAPtUpper),
    QX_RGN(CursorXBPtUpper),   QX_RGN(CursorYAPtUpper),   QX_RGN(CursorYBPtUpper),  QX_RGN(TrackAPtUpper),
    QX_RGN(TrackBPtUpper),

    QX_RGN(ChanOffsetPtLower), QX_RGN(MathOffsetPtLower), QX_RGN(RefOffsetPtLower), QX_RGN(LaOffsetPtLower),
    QX_RGN(TrigLevelPtLower),  QX_RGN(TrigMarkLower),     QX_RGN(HostPtLower),      QX_RGN(CursorXAPtLower),
    QX_RGN(CursorXBPtLower),   QX_RGN(CursorYAPtLower),   QX_RGN(CursorYBPtLower),  QX_RGN(TrackAPtLower),
    QX_RGN(TrackBPtLower),

    QX_RGN(TrigMarkRef),       QX_RGN(TrigMarkRef2),      QX_RGN(UpperHeightRatio), QX_RGN(LowerHeightRatio),
    QX_RGN(DelayedRect),       QX_RGN(MainWaveRect),      QX_RGN(UpperWaveRect),    QX_RGN(LowerWaveRect),
};

constexpr QxField kPosFields[] = {
    Describe<decltype(_QX_POS_SETUP::Window)>("Window", "windows", offsetof(_QX_POS_SETUP, Window)),
};

#undef QX_SETUP
#undef QX_RGN

// ---------------------------------------------------------------------------
// Block rows from the layout tables
// ---------------------------------------------------------------------------
namespace L = qx::layout;

constexpr QxFieldType TypeOf(const L::FieldRow& row) {
  // The interface addresses are 32-bit words that read as dotted addresses.
  if (row.offset == L::dso::LanIp || row.offset == L::dso::LanNetmask || row.offset == L::dso::LanGateway)
    return QX_FIELD_IPV4;
  switch (row.type) {
    case L::FieldType::U8: return QX_FIELD_U8;
    case L::FieldType::U16: return QX_FIELD_U16;
    case L::FieldType::I16: return QX_FIELD_I16;
    case L::FieldType::I32: return QX_FIELD_I32;
    case L::FieldType::U32: return QX_FIELD_U32;
    case L::FieldType::I64: return QX_FIELD_I64;
    case L::FieldType::F32: return QX_FIELD_F32;
    case L::FieldType::F64: return QX_FIELD_F64;
    case L::FieldType::U8x3: return QX_FIELD_BYTES;
  }
  return QX_FIELD_BYTES;
}

template <std::size_t N>
struct BlockFields {
  QxField fields[N];
};

// `channels` 2: each row is CH1's, with CH2's entry `stride` bytes later.
template <std::size_t N>
constexpr BlockFields<N> FromLayout(const L::FieldRow (&rows)[N], unsigned channels, int stride) {
  BlockFields<N> out{};
  for (std::size_t i = 0; i < N; ++i) {
    const unsigned width = static_cast<unsigned>(L::Width(rows[i].type));
    out.fields[i] = {rows[i].name,
                     nullptr,
                     static_cast<unsigned>(rows[i].offset),
                     TypeOf(rows[i]),
                     width,
                     channels,
                     channels > 1 ? static_cast<unsigned>(stride) : width,
                     QX_UNIT_NONE,
                     {}};
  }
  return out;
}

constexpr auto kDsoFields = FromLayout(L::dso::kRows, 1, 0);
constexpr auto kLaFields = FromLayout(L::la::kRows, 1, 0);
constexpr auto kAltFields = FromLayout(L::alt::kRows, 2, L::alt::kChannelStride);

}  // namespace

template <>
std::span<const QxField> QxFieldsOf<_QX_SETUP>() {
  return kSetupFields;
}
template <>
std::span<const QxField> QxFieldsOf<_QX_RGN_SETUP>() {
  return kRgnFields;
}
template <>
std::span<const QxField> QxFieldsOf<_QX_POS_SETUP>() {
  return kPosFields;
}
template <>
std::span<const QxField> QxFieldsOf<DSO_SETUP>() {
  return kDsoFields.fields;
}
template <>
std::span<const QxField> QxFieldsOf<_QX_LA_SETUP>() {
  return kLaFields.fields;
}
template <>
std::span<const QxField> QxFieldsOf<DSO_ALT_SETUP>() {
  return kAltFields.fields;
}

void QxGetFirmwareBlocks(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt) {
  if (dso) std::memcpy(dso, &qx::Link.FwDsoSetup, sizeof *dso);
  if (la) std::memcpy(la, &qx::Link.FwLaSetup, sizeof *la);
  if (alt) std::memcpy(alt, &qx::Link.FwAltSetup, sizeof *alt);
}

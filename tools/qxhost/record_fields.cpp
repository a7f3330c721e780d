#include "record_fields.h"

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "frame/state.h"

namespace qxhost {
namespace {

template <typename T>
constexpr Kind KindOf() {
  if constexpr (std::is_same_v<T, char>)
    return Kind::Text;
  else if constexpr (std::is_same_v<T, std::uint8_t>)
    return Kind::U8;
  else if constexpr (std::is_same_v<T, std::int16_t>)
    return Kind::I16;
  else if constexpr (std::is_same_v<T, std::uint16_t>)
    return Kind::U16;
  else if constexpr (std::is_same_v<T, std::int32_t>)
    return Kind::I32;
  else if constexpr (std::is_same_v<T, std::uint32_t>)
    return Kind::U32;
  else if constexpr (std::is_same_v<T, std::int64_t>)
    return Kind::I64;
  else if constexpr (std::is_same_v<T, float>)
    return Kind::F32;
  else {
    static_assert(std::is_same_v<T, double>, "a record field of an unexpected type");
    return Kind::F64;
  }
}

template <typename T>
RecordField Describe(const char* group, const char* name, std::size_t offset) {
  using Element = std::remove_all_extents_t<T>;
  if constexpr (std::is_same_v<Element, char>) {
    // char[n] is one text; char[m][n] is m texts of n bytes.
    constexpr std::size_t texts = std::rank_v<T> == 2 ? std::extent_v<T, 0> : 1;
    return {group, name, offset, Kind::Text, texts, sizeof(T) / texts};
  } else {
    return {group, name, offset, KindOf<Element>(), sizeof(T) / sizeof(Element), sizeof(Element)};
  }
}

#define QX_FIELD(group, name) Describe<decltype(_QX_SETUP::name)>(group, #name, offsetof(_QX_SETUP, name))

}  // namespace

const std::vector<RecordField>& SetupFields() {
  static const std::vector<RecordField> fields = {
      QX_FIELD("status", RunState),
      QX_FIELD("status", ActiveChannel),
      QX_FIELD("interface", InterfaceType),
      QX_FIELD("timebase", TimeScaleLimit),
      QX_FIELD("status", ChangeSettingPending),
      QX_FIELD("status", HoldMarkers),
      QX_FIELD("status", RefreshFlag),
      QX_FIELD("interface", Connected),
      QX_FIELD("interface", UsbDevice),
      QX_FIELD("status", AutoFlag0),
      QX_FIELD("status", AutoFlag1),

      QX_FIELD("channels", ChanDisplay),
      QX_FIELD("channels", ChanScale),
      QX_FIELD("channels", ChanOffset),
      QX_FIELD("channels", ChanCoupling),
      QX_FIELD("channels", ChanProbe),
      QX_FIELD("channels", ChanBWLimit),
      QX_FIELD("channels", ChanUnit),
      QX_FIELD("channels", ChanUnitText),
      QX_FIELD("channels", ChanInvert),
      QX_FIELD("channels", ChanImpedance),
      QX_FIELD("channels", ChanStopWave),
      QX_FIELD("channels", ChanScaleAtStop),
      QX_FIELD("channels", ChanOffsetAtStop),
      QX_FIELD("channels", ChanInvertAtStop),

      QX_FIELD("math", MathDisplay),
      QX_FIELD("math", MathIndex),
      QX_FIELD("math", MathOperator),
      QX_FIELD("math", MathSourceA),
      QX_FIELD("math", MathSourceB),
      QX_FIELD("math", MathOffset),
      QX_FIELD("math", MathScale),
      QX_FIELD("math", MathScaleIndex),
      QX_FIELD("math", MathInvert),
      QX_FIELD("math", MathUnitText),
      QX_FIELD("math", MathDisplayAtStop),
      QX_FIELD("channels", ChanFilter),
      QX_FIELD("channels", ChanFilterType),
      QX_FIELD("channels", ChanFilterUpper),
      QX_FIELD("channels", ChanFilterLower),
      QX_FIELD("math", MathFilterSource),
      QX_FIELD("math", MathFilterSourcePrev),
      QX_FIELD("math", FFTSource),
      QX_FIELD("math", FFTWindow),
      QX_FIELD("math", FFTVertUnit),
      QX_FIELD("math", FFTZoomCode),
      QX_FIELD("math", FFTVrmsOffset),
      QX_FIELD("math", FFTVrmsScale),
      QX_FIELD("math", FFTVrmsScaleIndex),
      QX_FIELD("math", FFTDbOffset),
      QX_FIELD("math", FFTDbScale),
      QX_FIELD("math", FFTTimeOffset),
      QX_FIELD("math", FFTTimeScale),
      QX_FIELD("math", FFTTimeOffsetDiv),
      QX_FIELD("math", FFTFullScreen),

      QX_FIELD("ref", RefDisplay),
      QX_FIELD("ref", RefSource),
      QX_FIELD("ref", RefOption),
      QX_FIELD("ref", RefOperator),
      QX_FIELD("ref", RefFFTVertUnit),
      QX_FIELD("ref", RefFFTZoomCode),
      QX_FIELD("ref", RefFFTOffset),
      QX_FIELD("ref", RefMemDepth),
      QX_FIELD("ref", RefSampleRate),
      QX_FIELD("ref", RefOffset),
      QX_FIELD("ref", RefScale),
      QX_FIELD("ref", RefTimeOffset),
      QX_FIELD("ref", RefTimeScale),
      QX_FIELD("ref", RefTimeOffset2),
      QX_FIELD("ref", RefTimeScale2),
      QX_FIELD("ref", RefTimeOffsetPs),
      QX_FIELD("ref", RefTimeScalePs),
      QX_FIELD("ref", RefTimeOffset2Ps),
      QX_FIELD("ref", RefTimeScale2Ps),
      QX_FIELD("ref", RefSaved),
      QX_FIELD("ref", RefShift),

      QX_FIELD("la", LaEnable),
      QX_FIELD("la", LaChanDisplay),
      QX_FIELD("la", LaThresholdType),
      QX_FIELD("la", LaThreshold),
      QX_FIELD("la", LaUserThreshold),
      QX_FIELD("la", LaGroup1),
      QX_FIELD("la", LaGroup2),
      QX_FIELD("la", LaSize),
      QX_FIELD("la", LaTraceSpan),
      QX_FIELD("la", LaTraceSpanInner),
      QX_FIELD("la", LaChanPos),
      QX_FIELD("la", LaEnableAtStop),

      QX_FIELD("timebase", DelayedOn),
      QX_FIELD("timebase", RollOn),
      QX_FIELD("timebase", RollOnAtStop),
      QX_FIELD("timebase", TimeFormat),
      QX_FIELD("timebase", TimeOffset),
      QX_FIELD("timebase", TimeScale),
      QX_FIELD("timebase", DelayedOffset),
      QX_FIELD("timebase", DelayedScale),
      QX_FIELD("timebase", TimeOffsetAtStop),
      QX_FIELD("timebase", TimeScaleAtStop),
      QX_FIELD("timebase", DelayedOffsetAtStop),
      QX_FIELD("timebase", DelayedScaleAtStop),
      QX_FIELD("timebase", TimeOffsetPs),
      QX_FIELD("timebase", TimeScalePs),
      QX_FIELD("timebase", DelayedOffsetPs),
      QX_FIELD("timebase", DelayedScalePs),
      QX_FIELD("timebase", TimeOffsetPsAtStop),
      QX_FIELD("timebase", TimeScalePsAtStop),
      QX_FIELD("timebase", DelayedOffsetPsAtStop),
      QX_FIELD("timebase", DelayedScalePsAtStop),

      QX_FIELD("cursor", CursorMode),
      QX_FIELD("cursor", CursorXSource),
      QX_FIELD("cursor", CursorYSource),
      QX_FIELD("cursor", CursorXA),
      QX_FIELD("cursor", CursorXB),
      QX_FIELD("cursor", CursorYA),
      QX_FIELD("cursor", CursorYB),
      QX_FIELD("cursor", TrackSourceA),
      QX_FIELD("cursor", TrackSourceB),
      QX_FIELD("cursor", TrackXA),
      QX_FIELD("cursor", TrackXB),
      QX_FIELD("cursor", CursorXOn),
      QX_FIELD("cursor", CursorYOn),
      QX_FIELD("cursor", TrackAOn),
      QX_FIELD("cursor", TrackBOn),

      QX_FIELD("acquire", AcqType),
      QX_FIELD("acquire", AcqMode),
      QX_FIELD("acquire", AcqAverages),
      QX_FIELD("acquire", AcqMemFull),
      QX_FIELD("acquire", AcqMemDepth),
      QX_FIELD("acquire", AcqSampleRate),
      QX_FIELD("acquire", AcqSampleRate2),
      QX_FIELD("acquire", AcqSampleRateAtStop),
      QX_FIELD("acquire", AcqSampleRate2AtStop),
      QX_FIELD("acquire", AcqMemDepthAtStop),

      QX_FIELD("measure", MeasureAll),
      QX_FIELD("measure", MeasureOn),
      QX_FIELD("measure", MeasureSource),
      QX_FIELD("measure", MeasureType),
      QX_FIELD("measure", MeasureCount),
      QX_FIELD("measure", MeasureSelected),

      QX_FIELD("display", DispType),
      QX_FIELD("display", DispTypeSaved),
      QX_FIELD("display", DispGrid),
      QX_FIELD("display", DispFlag),
      QX_FIELD("display", DispWaveIntensity),
      QX_FIELD("display", DispGridIntensity),
      QX_FIELD("display", DispGridColor),
      QX_FIELD("display", DispLock),

      QX_FIELD("trigger", TrigType),
      QX_FIELD("trigger", TrigStatus),
      QX_FIELD("trigger", TrigHoldoff),
      QX_FIELD("trigger", TrigSweep),
      QX_FIELD("trigger", TrigSensitivity),
      QX_FIELD("trigger", TrigCoupling),
      QX_FIELD("trigger", TrigLevelShown),
      QX_FIELD("trigger", TrigEdgeSlope),
      QX_FIELD("trigger", TrigEdgeSource),
      QX_FIELD("trigger", TrigEdgeLevel),
      QX_FIELD("trigger", TrigPulseWhen),
      QX_FIELD("trigger", TrigPulseWidth),
      QX_FIELD("trigger", TrigPulseSource),
      QX_FIELD("trigger", TrigPulseLevel),
      QX_FIELD("trigger", TrigVideoPolarity),
      QX_FIELD("trigger", TrigVideoSource),
      QX_FIELD("trigger", TrigVideoSync),
      QX_FIELD("trigger", TrigVideoStandard),
      QX_FIELD("trigger", TrigVideoLine),
      QX_FIELD("trigger", TrigVideoLevel),
      QX_FIELD("trigger", TrigSlopeWhen),
      QX_FIELD("trigger", TrigSlopeSource),
      QX_FIELD("trigger", TrigSlopeTime),
      QX_FIELD("trigger", TrigSlopeLevelA),
      QX_FIELD("trigger", TrigSlopeLevelB),
      QX_FIELD("trigger", TrigPattern),
      QX_FIELD("trigger", TrigDuration),
      QX_FIELD("trigger", TrigDurationQualifier),
      QX_FIELD("trigger", TrigDurationTime),

      QX_FIELD("trigger", AltSource),
      QX_FIELD("trigger", AltTrigType),
      QX_FIELD("trigger", AltHoldoff),
      QX_FIELD("trigger", AltSensitivity),
      QX_FIELD("trigger", AltCoupling),
      QX_FIELD("trigger", AltMemDepth),
      QX_FIELD("trigger", AltTimeScale),
      QX_FIELD("trigger", AltTimeOffset),
      QX_FIELD("trigger", AltTimeScalePs),
      QX_FIELD("trigger", AltTimeOffsetPs),
      QX_FIELD("trigger", AltSampleRate),
      QX_FIELD("trigger", AltSampleRate2),
      QX_FIELD("trigger", AltTimeScaleAtStop),
      QX_FIELD("trigger", AltTimeOffsetAtStop),
      QX_FIELD("trigger", AltTimeScalePsAtStop),
      QX_FIELD("trigger", AltTimeOffsetPsAtStop),
      QX_FIELD("trigger", AltSampleRateAtStop),
      QX_FIELD("trigger", AltSampleRate2AtStop),
      QX_FIELD("trigger", AltEdgeLevel),
      QX_FIELD("trigger", AltEdgeSlope),
      QX_FIELD("trigger", AltPulseLevel),
      QX_FIELD("trigger", AltPulseWhen),
      QX_FIELD("trigger", AltPulseWidth),
      QX_FIELD("trigger", AltVideoPolarity),
      QX_FIELD("trigger", AltVideoSync),
      QX_FIELD("trigger", AltVideoStandard),
      QX_FIELD("trigger", AltVideoLevel),
      QX_FIELD("trigger", AltVideoLine),
      QX_FIELD("trigger", AltSlopeWhen),
      QX_FIELD("trigger", AltSlopeTime),
      QX_FIELD("trigger", AltSlopeLevelA),
      QX_FIELD("trigger", AltSlopeLevelB),

      QX_FIELD("passfail", PassFailOn),
      QX_FIELD("passfail", PassFailSource),
      QX_FIELD("passfail", PassFailRun),
      QX_FIELD("passfail", PassFailFlag2),
      QX_FIELD("passfail", PassFailCount),
      QX_FIELD("passfail", PassFailOption),
      QX_FIELD("passfail", PassFailFlag1),
      QX_FIELD("passfail", PassFailHorizRange),
      QX_FIELD("passfail", PassFailVertRange),
      QX_FIELD("passfail", PassFailDisplay),

      QX_FIELD("record", RecordState),
      QX_FIELD("record", RecordSource),
      QX_FIELD("record", RecordInterval),
      QX_FIELD("record", RecordCurFrame),
      QX_FIELD("record", RecordEndFrame),
      QX_FIELD("record", Recording),
      QX_FIELD("record", RecordDataValid),
      QX_FIELD("record", PlaySource),
      QX_FIELD("record", PlayRunning),
      QX_FIELD("record", PlayContinue),
      QX_FIELD("record", PlayInterval),
      QX_FIELD("record", PlayStartFrame),
      QX_FIELD("record", PlayEndFrame),
      QX_FIELD("record", PlayCurFrame),
      QX_FIELD("record", PlayMode),
      QX_FIELD("record", RecordFilePath),

      QX_FIELD("status", SelfCalEnable),
      QX_FIELD("status", UndoUsed),
      QX_FIELD("timebase", UndoTimeScale),
      QX_FIELD("timebase", UndoTimeOffset),
      QX_FIELD("timebase", UndoDelayedScale),
      QX_FIELD("timebase", UndoDelayedOffset),
      QX_FIELD("timebase", UndoAltTimeOffset),
      QX_FIELD("timebase", UndoAltTimeScale),

      QX_FIELD("interface", LanDhcp),
      QX_FIELD("interface", LanPort),
      QX_FIELD("interface", LanIp),
      QX_FIELD("interface", LanGateway),
      QX_FIELD("interface", LanNetmask),
      QX_FIELD("interface", LanMac),
      QX_FIELD("interface", LanIpAtStart),
      QX_FIELD("interface", LanPortAtStart),
      QX_FIELD("status", ErrorText),
  };
  return fields;
}

#undef QX_FIELD

std::vector<std::string> FieldGroups() {
  std::vector<std::string> groups;
  for (const RecordField& f : SetupFields()) {
    bool seen = false;
    for (const std::string& g : groups) seen = seen || g == f.group;
    if (!seen) groups.emplace_back(f.group);
  }
  return groups;
}

std::string ElementName(const RecordField& field, std::size_t index) {
  if (field.count == 1) return field.name;
  return std::string(field.name) + "[" + std::to_string(index) + "]";
}

std::string FormatElement(const _QX_SETUP& setup, const RecordField& field, std::size_t index) {
  const auto* p = reinterpret_cast<const unsigned char*>(&setup) + field.offset + index * field.size;
  auto load = [p](auto value) {
    std::memcpy(&value, p, sizeof value);
    return value;
  };
  CString text;
  switch (field.kind) {
    case Kind::U8: text.Format("%u", static_cast<unsigned>(load(std::uint8_t{}))); break;
    case Kind::I16: text.Format("%d", static_cast<int>(load(std::int16_t{}))); break;
    case Kind::U16: text.Format("%u", static_cast<unsigned>(load(std::uint16_t{}))); break;
    case Kind::I32: text.Format("%d", static_cast<int>(load(std::int32_t{}))); break;
    case Kind::U32: text.Format("%u", static_cast<unsigned>(load(std::uint32_t{}))); break;
    case Kind::I64: text.Format("%lld", static_cast<long long>(load(std::int64_t{}))); break;
    case Kind::F32: text.Format("%.9g", static_cast<double>(load(float{}))); break;
    case Kind::F64: text.Format("%.12g", load(double{})); break;
    case Kind::Text: {
      std::string s(reinterpret_cast<const char*>(p), field.size);
      s.resize(std::strlen(s.c_str()));
      return "\"" + s + "\"";
    }
  }
  return text.GetString();
}

std::vector<std::string> Changes(const _QX_SETUP& before, const _QX_SETUP& after) {
  std::vector<std::string> lines;
  for (const RecordField& field : SetupFields()) {
    for (std::size_t i = 0; i < field.count; ++i) {
      std::string was = FormatElement(before, field, i);
      std::string now = FormatElement(after, field, i);
      if (was != now) lines.push_back(ElementName(field, i) + ": " + was + " -> " + now);
    }
  }
  return lines;
}

}  // namespace qxhost

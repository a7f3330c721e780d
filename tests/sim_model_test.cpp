// The simulated instrument's model and command language, in process: each
// command family changes the right block bytes within the instrument's
// limits and its queries answer; the factory setup; the SCPI forms.
#if QX_HAVE_SIM
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "le_bytes.h"
#include "setup/block_layout.h"
#include "sim/instrument.h"

namespace {

namespace dso = qx::layout::dso;
namespace la = qx::layout::la;
namespace alt = qx::layout::alt;
using qxsim::BlockId;
using FT = qx::layout::FieldType;

double Field(const qxsim::Instrument& in, BlockId block, int offset, FT type) {
  const std::vector<std::uint8_t> b = in.Block(block);
  const std::uint8_t* p = b.data() + offset;
  switch (type) {
    case FT::U8:
      return p[0];
    case FT::U16:
      return qx::LoadU16(p);
    case FT::I16:
      return qx::LoadI16(p);
    case FT::I32:
      return qx::LoadI32(p);
    case FT::U32:
      return qx::LoadU32(p);
    case FT::I64:
      return static_cast<double>(qx::LoadI64(p));
    case FT::F32:
      return qx::LoadF32(p);
    default:
      return qx::LoadF64(p);
  }
}

// The seconds copies always follow the picosecond masters.
void ExpectConsistent(const qxsim::Instrument& in, const std::string& context) {
  const auto d = in.Block(BlockId::Dso);
  const auto a = in.Block(BlockId::Alt);
  const auto ps = [](const std::vector<std::uint8_t>& b, int off) {
    return qx::LoadI64(b.data() + off) / 1e12;
  };
  EXPECT_EQ(qx::LoadF32(d.data() + dso::TimeScale), static_cast<float>(ps(d, dso::TimeScalePs))) << context;
  EXPECT_EQ(qx::LoadF64(d.data() + dso::TimeOffset), ps(d, dso::TimeOffsetPs)) << context;
  EXPECT_EQ(qx::LoadF32(d.data() + dso::DelayedScale), static_cast<float>(ps(d, dso::DelayedScalePs)))
      << context;
  EXPECT_LE(qx::LoadI64(d.data() + dso::DelayedScalePs), qx::LoadI64(d.data() + dso::TimeScalePs)) << context;
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(qx::LoadF32(a.data() + alt::AltTimeScale[c]), static_cast<float>(ps(a, alt::AltTimeScalePs[c])))
        << context;
    EXPECT_EQ(qx::LoadF64(a.data() + alt::AltTimeOffset[c]), ps(a, alt::AltTimeOffsetPs[c])) << context;
  }
}

// One command on a fresh instrument after some setup lines; then one field.
struct SetCase {
  const char* setup;
  const char* line;
  BlockId block;
  int offset;
  FT type;
  double expected;
};

void RunSetCases(const std::vector<SetCase>& cases) {
  for (const SetCase& c : cases) {
    qxsim::Instrument in;
    in.Feed(std::string(c.setup) + "\n");
    const qxsim::Outcome outcome = in.Run(c.line);
    const std::string context = std::string(c.setup) + " | " + c.line;
    EXPECT_EQ(outcome.error, "") << context;
    const double got = Field(in, c.block, c.offset, c.type);
    if (c.type == FT::F32)
      EXPECT_EQ(static_cast<float>(got), static_cast<float>(c.expected)) << context;
    else
      EXPECT_EQ(got, c.expected) << context;
    ExpectConsistent(in, context);
  }
}

struct QueryCase {
  const char* setup;
  const char* query;
  const char* reply;
};

void RunQueryCases(const std::vector<QueryCase>& cases) {
  for (const QueryCase& c : cases) {
    qxsim::Instrument in;
    in.Feed(std::string(c.setup) + "\n");
    EXPECT_EQ(in.Execute(c.query).value_or("<none>"), c.reply) << c.setup << " | " << c.query;
  }
}

constexpr BlockId D = BlockId::Dso, A = BlockId::Alt, LA = BlockId::La;

TEST(SimModelTest, FactoryDefault) {
  RunSetCases({
      {"", ":RUN", D, dso::ChanDisplay[0], FT::U8, 1},   {"", ":RUN", D, dso::ChanDisplay[1], FT::U8, 0},
      {"", ":RUN", D, dso::ChanScale[0], FT::F32, 1.0},  {"", ":RUN", D, dso::ChanProbe[0], FT::F32, 1.0},
      {"", ":RUN", D, dso::ChanCoupling[0], FT::I32, 0}, {"", ":RUN", D, dso::TimeScalePs, FT::I64, 500e6},
      {"", ":RUN", D, dso::TimeFormat, FT::I32, 0},      {"", ":RUN", D, dso::DelayedOn, FT::U8, 0},
      {"", ":RUN", D, dso::TrigType, FT::I32, 0},        {"", ":RUN", D, dso::TrigEdgeSource, FT::I32, 0},
      {"", ":RUN", D, dso::TrigEdgeSlope, FT::I32, 0},   {"", ":RUN", D, dso::TrigSweep, FT::I32, 0},
      {"", ":RUN", D, dso::AcqModeWord, FT::U32, 0},     {"", ":RUN", D, dso::AcqMemDepth, FT::U32, 4096},
      {"", ":RUN", LA, la::LaEnable, FT::U8, 0},         {"", ":RUN", LA, la::LaThreshold, FT::F32, 1.4},
      {"", ":RUN", D, dso::LanDhcp, FT::U8, 0},          {"", ":RUN", D, dso::LanPort, FT::I16, 5555},
      {"", ":RUN", D, dso::LanIp + 3, FT::U8, 192},  // 192.0.2.x: the first octet is the top byte
      {"", ":RUN", D, dso::LanIp + 2, FT::U8, 0},        {"", ":RUN", D, dso::LanIp + 1, FT::U8, 2},
  });
}

TEST(SimModelTest, Acquire) {
  RunSetCases({
      {"", ":ACQUIRE:TYPE AVERAGE", D, dso::AcqType, FT::I32, 1},
      {"", ":acq:type peak", D, dso::AcqType, FT::I32, 2},
      {"", ":ACQUIRE:MODE ETIME", D, dso::AcqModeWord, FT::U32, 1},
      {"", ":ACQUIRE:AVERAGES 100", D, dso::AcqAveragesExp, FT::U16, 7},
      {"", ":ACQUIRE:AVERAGES 3", D, dso::AcqAveragesExp, FT::U16, 2},
      {"", ":ACQUIRE:AVERAGES 1000", D, dso::AcqAveragesExp, FT::U16, 8},
      {"", ":ACQUIRE:AVERAGES 0", D, dso::AcqAveragesExp, FT::U16, 1},
      {"", ":ACQUIRE:MEMORY FULL", D, dso::AcqMemDepth, FT::U32, 524288},
      // 4096 points over 14 x 500 us: 585 kSa/s, down to the 500 kSa/s step.
      {"", ":ACQUIRE:MEMORY NORMAL", D, dso::AcqSampleRate, FT::F32, 5e5},
      {":TIMEBASE:SCALE 5e-8", ":ACQUIRE:MEMORY FULL", D, dso::AcqMemDepth, FT::U32, 1048576},
      {":TIMEBASE:SCALE 5e-8", ":ACQUIRE:MEMORY NORMAL", D, dso::AcqMemDepth, FT::U32, 8192},
      {":TIMEBASE:SCALE 5e-8\n:CHANNEL2:DISPLAY ON", ":ACQUIRE:MEMORY FULL", D, dso::AcqMemDepth, FT::U32,
       524288},
      {":TIMEBASE:SCALE 1e-7", ":ACQUIRE:MEMORY FULL", D, dso::AcqMemDepth, FT::U32, 524288},
      {":TIMEBASE:SCALE 2e-9", ":ACQUIRE:MODE RTIME", D, dso::AcqSampleRate, FT::F32, 1e9},
      {":TIMEBASE:SCALE 2e-9\n:CHANNEL2:DISPLAY ON", ":ACQUIRE:MODE RTIME", D, dso::AcqSampleRate, FT::F32,
       5e8},
      {":TIMEBASE:SCALE 2e-9", ":ACQUIRE:MODE ETIME", D, dso::AcqSampleRate2, FT::F32, 50e9},
  });
  RunQueryCases({
      {":ACQUIRE:AVERAGES 100", ":ACQUIRE:AVERAGES?", "128"},
      {":ACQUIRE:TYPE AVERAGE", ":ACQ:TYPE?", "AVERAGE"},
      {":ACQUIRE:MEMORY FULL", ":ACQUIRE:MEMORY?", "FULL"},
      {"", ":ACQUIRE:SAMPLINGRATE?", "5e+05"},
  });
}

TEST(SimModelTest, Channels) {
  RunSetCases({
      {"", ":CHANNEL1:SCALE 0.500000", D, dso::ChanScale[0], FT::F32, 0.5},
      {"", ":CHANNEL1:SCALE 0.500000", D, dso::ChanMicroVolts[0], FT::I32, 500000},
      {"", ":CHAN2:SCAL 0.3", D, dso::ChanScale[1], FT::F32, 0.2},
      {"", ":CHANNEL1:SCALE 20", D, dso::ChanScale[0], FT::F32, 10},
      {"", ":CHANNEL1:SCALE 0.001", D, dso::ChanScale[0], FT::F32, 0.002},
      {":CHANNEL1:PROBE 10", ":CHANNEL1:SCALE 0.5", D, dso::ChanMicroVolts[0], FT::I32, 50000},
      {":CHANNEL1:PROBE 10", ":CHANNEL1:SCALE 200", D, dso::ChanScale[0], FT::F32, 100},
      {"", ":CHANNEL1:OFFSET 3", D, dso::ChanOffsetPoints[0], FT::I16, 75},
      {":CHANNEL1:SCALE 0.5", ":CHANNEL1:OFFSET -0.3", D, dso::ChanOffsetPoints[0], FT::I16, -15},
      {"", ":CHANNEL1:OFFSET -100", D, dso::ChanOffset[0], FT::F32, -40},
      {":CHANNEL1:SCALE 0.2", ":CHANNEL1:OFFSET 3", D, dso::ChanOffset[0], FT::F32, 2},
      {":CHANNEL1:OFFSET 30", ":CHANNEL1:SCALE 0.1", D, dso::ChanOffset[0], FT::F32, 2},
      {":CHAN1:SCAL 0.5\n:CHAN1:OFFS 0.2\n:TRIG:EDGE:LEV 0.3", ":CHANNEL1:PROBE 10", D, dso::ChanScale[0],
       FT::F32, 5},
      {":CHAN1:SCAL 0.5\n:CHAN1:OFFS 0.2\n:TRIG:EDGE:LEV 0.3", ":CHANNEL1:PROBE 10", D, dso::ChanOffset[0],
       FT::F32, 2},
      {":CHAN1:SCAL 0.5\n:TRIG:EDGE:LEV 0.3", ":CHANNEL1:PROBE 10", D, dso::TrigEdgeLevel, FT::F32, 3},
      {":CHAN1:SCAL 0.5\n:TRIG:EDGE:LEV 0.3", ":CHANNEL2:PROBE 10", D, dso::TrigEdgeLevel, FT::F32, 0.3},
      {"", ":CHANNEL2:DISPLAY ON", D, dso::ChanDisplay[1], FT::U8, 1},
      {"", ":CHANNEL2:COUPLING AC", D, dso::ChanCoupling[1], FT::I32, 1},
      {"", ":CHANNEL1:INPUT 50OHM", D, dso::ChanImpedance[0], FT::I32, 1},
      {"", ":CHANNEL1:BWLIMIT ON", D, dso::ChanBWLimit[0], FT::U8, 1},
      {"", ":CHANNEL2:INVERT ON", D, dso::ChanInvert[1], FT::U8, 1},
  });
  RunQueryCases({
      {":CHANNEL1:PROBE 10", ":CHANNEL1:PROBE?", "10"},
      {":CHANNEL1:PROBE 10", ":CHANNEL1:SCALE?", "10"},
      {"", ":CHAN1:COUP?", "DC"},
      {"", ":CHANNEL2:DISPLAY?", "OFF"},
      {":CHANNEL2:FILTER:TYPE BANDPASS", ":CHANNEL2:FILTER:TYPE?", "BANDPASS"},
      {":CHANNEL1:FILTER:UPLIMIT 0.9", ":CHANNEL1:FILTER:UPLIMIT?", "0.495"},
      {":CHANNEL1:INPUT 50OHM", ":CHANNEL1:INPUT?", "50OHM"},
  });
}

TEST(SimModelTest, Timebase) {
  RunSetCases({
      {"", ":TIMEBASE:SCALE 0.002000000", D, dso::TimeScalePs, FT::I64, 2e9},
      {"", ":TIMEBASE:SCALE 0.003", D, dso::TimeScalePs, FT::I64, 2e9},
      {"", ":TIMEBASE:SCALE 0.004", D, dso::TimeScalePs, FT::I64, 5e9},
      {"", ":TIMEBASE:SCALE 0.000000000100", D, dso::TimeScalePs, FT::I64, 2000},
      {"", ":TIMEBASE:SCALE 100", D, dso::TimeScalePs, FT::I64, 50e12},
      {"", ":TIMEBASE:SCALE 0.499999998", D, dso::TimeScalePs, FT::I64, 5e11},
      {"", ":TIMEBASE:SCALE 0.05", D, dso::RollOn, FT::U8, 1},
      {"", ":TIMEBASE:SCALE 0.02", D, dso::RollOn, FT::U8, 0},
      {"", ":TIMEBASE:OFFSET -0.000001000", D, dso::TimeOffsetPs, FT::I64, -1e6},
      // Half the 4096-point record at 500 kSa/s lies before the trigger.
      {"", ":TIMEBASE:OFFSET -1", D, dso::TimeOffsetPs, FT::I64, -4.096e9},
      {"", ":TIMEBASE:OFFSET 1000", D, dso::TimeOffsetPs, FT::I64, 5e14},
      {":TIMEBASE:OFFSET 0.001", ":TIMEBASE:FORMAT ROLLING", D, dso::TimeOffsetPs, FT::I64, 0},
      {"", ":TIMEBASE:FORMAT ROLLING", D, dso::TimeScalePs, FT::I64, 5e11},
      {"", ":TIMEBASE:FORMAT XY", D, dso::ChanDisplay[1], FT::U8, 1},
      {"", ":TIMEBASE:MODE DELAYED", D, dso::DelayedOn, FT::U8, 1},
      {":TIMEBASE:MODE DELAYED", ":TIMEBASE:FORMAT XY", D, dso::DelayedOn, FT::U8, 0},
      {":TIMEBASE:SCALE 0.001\n:TIMEBASE:MODE DELAYED", ":TIMEBASE:DELAYED:SCALE 0.0001", D,
       dso::DelayedScalePs, FT::I64, 1e8},
      {":TIMEBASE:SCALE 0.001\n:TIMEBASE:DELAYED:SCALE 0.0001", ":TIMEBASE:DELAYED:OFFSET 0.007", D,
       dso::DelayedOffsetPs, FT::I64, 6.3e9},
      {":TIMEBASE:SCALE 0.001\n:TIMEBASE:DELAYED:SCALE 0.0001", ":TIMEBASE:DELAYED:OFFSET -0.0063", D,
       dso::DelayedOffsetPs, FT::I64, -6.3e9},
      {"", ":TIMEBASE:DELAYED:SCALE 1", D, dso::DelayedScalePs, FT::I64, 5e8},
      {":TIMEBASE:DELAYED:SCALE 0.0002", ":TIMEBASE:SCALE 0.0001", D, dso::DelayedScalePs, FT::I64, 1e8},
      {"", ":TRIGGER:ALTERNATION:CHANNEL2:TIMESCALE 0.001", A, alt::AltTimeScalePs[1], FT::I64, 1e9},
      {"", ":TRIGGER:ALTERNATION:CHANNEL1:TIMESCALE 1", A, alt::AltTimeScalePs[0], FT::I64, 2e10},
      {"", ":TRIG:ALT:CHAN1:TIMEO -0.000001", A, alt::AltTimeOffsetPs[0], FT::I64, -1e6},
  });
  RunQueryCases({
      {"", ":TIMEBASE:SCALE?", "5e-04"},
      {"", ":TIMEBASE:FORMAT?", "YT"},
      {":TIMEBASE:MODE DELAYED", ":TIMEBASE:MODE?", "DELAYED"},
      {":TIMEBASE:OFFSET -0.000001", ":TIMEBASE:OFFSET?", "-1e-06"},
      {":TRIG:ALT:CHAN2:TIMES 0.001", ":TRIGGER:ALTERNATION:CHANNEL2:TIMESCALE?", "0.001"},
  });
}

TEST(SimModelTest, Trigger) {
  RunSetCases({
      {"", ":TRIGGER:MODE PULSE", D, dso::TrigType, FT::I32, 1},
      {"", ":TRIGGER:MODE ALTERNATION", D, dso::ChanDisplay[1], FT::U8, 1},
      {":TIMEBASE:MODE DELAYED", ":TRIGGER:MODE ALTERNATION", D, dso::DelayedOn, FT::U8, 0},
      {"", ":TRIGGER:EDGE:SWEEP NORMAL", D, dso::TrigSweep, FT::I32, 1},
      {"", ":TRIGGER:DURATION:SWEEP SINGLE", D, dso::TrigSweep, FT::I32, 2},
      {"", ":TRIGGER:COUPLING AC", D, dso::TrigCoupling, FT::I32, 1},
      {"", ":TRIGGER:EDGE:COUPLING LF", D, dso::TrigCoupling, FT::I32, 3},
      {"", ":TRIGGER:SENSITIVITY 0.50", D, dso::TrigSensitivity, FT::F32, 0.5},
      {"", ":TRIGGER:VIDEO:SENSITIVITY 5", D, dso::TrigSensitivity, FT::F32, 1},
      {"", ":TRIGGER:HOLDOFF 0.000000010", D, dso::TrigHoldoff, FT::F32, 1e-7},
      {"", ":TRIGGER:EDGE:SOURCE DIGITAL2", D, dso::TrigEdgeSource, FT::I32, 8},
      {"", ":TRIGGER:EDGE:LEVEL 7.000000", D, dso::TrigEdgeLevel, FT::F32, 6},
      {":CHANNEL1:OFFSET 1", ":TRIGGER:EDGE:LEVEL -9", D, dso::TrigEdgeLevel, FT::F32, -7},
      {":TRIGGER:EDGE:SOURCE EXT", ":TRIGGER:EDGE:LEVEL 5", D, dso::TrigEdgeLevel, FT::F32, 1.2},
      {":TRIGGER:EDGE:SOURCE EXT5", ":TRIGGER:EDGE:LEVEL 5", D, dso::TrigEdgeLevel, FT::F32, 5},
      {":TRIGGER:EDGE:SOURCE ACLINE", ":TRIGGER:EDGE:LEVEL 1", D, dso::TrigEdgeLevel, FT::F32, 0},
      {":CHANNEL1:PROBE 10", ":TRIGGER:PULSE:LEVEL 3", D, dso::TrigPulseLevel, FT::F32, 0.3f},
      {":CHANNEL2:PROBE 10\n:TRIG:SLOP:SOUR CHAN2", ":TRIGGER:SLOPE:LEVELA 3", D, dso::TrigSlopeLevelA,
       FT::F32, 0.3f},
      {":TRIGGER:SLOPE:LEVELA -1", ":TRIGGER:SLOPE:LEVELB 1", D, dso::TrigSlopeLevelB, FT::F32, 1},
      {":CHANNEL1:PROBE 10", ":TRIGGER:VIDEO:LEVEL 5", D, dso::TrigVideoLevel, FT::F32, 0.5},
      {"", ":TRIGGER:PULSE:WIDTH 2.000000e-08", D, dso::TrigPulseWidth, FT::F32, 2e-8},
      {"", ":TRIGGER:PULSE:MODE -LESSTHAN", D, dso::TrigPulseWhen, FT::I32, 4},
      {"", ":TRIGGER:VIDEO:LINE 600", D, dso::TrigVideoLine, FT::U16, 525},
      {":TRIG:VID:STAN PALSECAM\n:TRIG:VID:LINE 600", ":TRIGGER:VIDEO:STANDARD NTSC", D, dso::TrigVideoLine,
       FT::U16, 525},
      {"", ":TRIGGER:VIDEO:MODE ODDFIELD", D, dso::TrigVideoSync, FT::I32, 2},
      {"", ":TRIGGER:SLOPE:TIME 20", D, dso::TrigSlopeTime, FT::F32, 10},
  });
  RunQueryCases({
      {":CHANNEL1:PROBE 10\n:TRIGGER:PULSE:LEVEL 3", ":TRIGGER:PULSE:LEVEL?", "3"},
      {":TRIGGER:EDGE:SOURCE DIGITAL15", ":TRIGGER:EDGE:SOURCE?", "DIGITAL15"},
      {":TRIGGER:MODE SLOPE", ":TRIGGER:MODE?", "SLOPE"},
      {":TRIGGER:PULSE:MODE +EQUAL", ":TRIGGER:PULSE:MODE?", "+EQUAL"},
  });
}

TEST(SimModelTest, PatternDurationAndAlternate) {
  RunSetCases({
      {"", ":TRIGGER:PATTERN:PATTERN 1,7,2,1", LA, la::TrigPattern + 0, FT::I32, 0},
      {"", ":TRIGGER:PATTERN:PATTERN 1,7,2,1", LA, la::TrigPattern + 4, FT::I32, 1},
      {"", ":TRIGGER:PATTERN:PATTERN 1,7,2,1", LA, la::TrigPattern + 8, FT::I32, 3},
      {"", ":TRIGGER:PATTERN:PATTERN 1,7,2,1", LA, la::TrigPattern + 12, FT::I32, 2},
      {"", ":TRIGGER:DURATION:PATTERN 65280,65280", LA, la::TrigDuration + 32, FT::I32, 0},
      {"", ":TRIGGER:DURATION:PATTERN 0,32,5,0", LA, la::TrigDuration + 20, FT::I32, 4},
      {"", ":TRIGGER:DURATION:QUALIFIER LESSTHAN", LA, la::TrigDurationQualifier, FT::I32, 1},
      {"", ":TRIGGER:DURATION:TIME 1.000000e-06", LA, la::TrigDurationTime, FT::F64, 1e-6},
      {":TRIG:ALT:SOUR CHANNEL2", ":TRIGGER:ALTERNATION:TYPE SLOPE", A, alt::AltTrigType[1], FT::I32, 2},
      {":TRIG:ALT:SLOP:LEVA 1\n:TRIG:ALT:SLOP:LEVB 0.5", ":TRIGGER:ALTERNATION:SLOPE:LEVELA 0.2", A,
       alt::SlopeLevelA[0], FT::F32, 0.5},
      {":TRIG:ALT:SLOP:LEVA 0.1", ":TRIGGER:ALTERNATION:SLOPE:LEVELB 0.5", A, alt::SlopeLevelB[0], FT::F32,
       0.1f},
      {":TRIG:ALT:VID:STAN PALSECAM", ":TRIGGER:ALTERNATION:VIDEO:LINE 700", A, alt::VideoLine[0], FT::U16,
       625},
      {":CHAN2:PROB 10\n:TRIG:ALT:SOUR CHAN2", ":TRIG:ALT:EDGE:LEV 2", A, alt::EdgeLevel[1], FT::F32, 0.2f},
      {":CHAN2:PROB 10\n:TRIG:ALT:SOUR CHAN2", ":TRIG:ALT:PULS:LEV 200", A, alt::PulseLevel[1], FT::F32, 6},
      {"", ":TRIGGER:ALTERNATION:COUPLING AC", D, dso::TrigCoupling, FT::I32, 1},
      {"", ":TRIGGER:ALTERNATION:COUPLING AC", A, alt::SlopeCoupling[0], FT::I32, 1},
      {":TRIG:ALT:SOUR CHAN2", ":TRIGGER:ALTERNATION:SENSITIVITY 0.50", A, alt::VideoSensitivity[1], FT::F32,
       0.5},
      {"", ":TRIGGER:ALTERNATION:PULSE:HOLDOFF 2", A, alt::PulseHoldoff[0], FT::F32, 1.5},
      {"", ":TRIGGER:ALTERNATION:EDGE:SLOPE NEGATIVE", A, alt::EdgeSlope[0], FT::I32, 1},
  });
  RunQueryCases({
      {":TRIGGER:PATTERN:PATTERN 3,7", ":TRIGGER:PATTERN:PATTERN?", "3,7"},
      {":TRIGGER:DURATION:PATTERN 0,32,5,0", ":TRIGGER:DURATION:PATTERN?", "0,32,5,0"},
      {":CHAN2:PROB 10\n:TRIG:ALT:SOUR CHAN2\n:TRIG:ALT:EDGE:LEV 2", ":TRIG:ALT:EDGE:LEV?", "2"},
      {":TRIG:ALT:SOUR CHAN2", ":TRIGGER:ALTERNATION:SOURCE?", "CHANNEL2"},
  });
}

TEST(SimModelTest, LogicAnalyzer) {
  RunSetCases({
      {"", ":LA:DISPLAY ON", LA, la::LaEnable, FT::U8, 1},
      {"", ":DIGITAL3:TURN OFF", LA, la::LaChanDisplay + 3, FT::U8, 0},
      {"", ":DIGITAL3:TURN OFF", LA, la::LaGroup1, FT::U8, 0},
      {":LA:GROUP2 OFF", ":LA:GROUP2 ON", LA, la::LaChanDisplay + 15, FT::U8, 1},
      {":LA:GROUP2 OFF\n:DIGITAL8:TURN ON", ":DIGITAL15:TURN ON", LA, la::LaGroup2, FT::U8, 0},
      {"", ":LA:THRESHOLD ECL", LA, la::LaThreshold, FT::F32, -1.3},
      {"", ":LA:THRESHOLD 9", LA, la::LaUserThreshold, FT::F32, 8},
      {"", ":LA:THRESHOLD 0.75", LA, la::LaThresholdType, FT::I32, 3},
      {":TIMEBASE:FORMAT XY", ":LA:DISPLAY ON", LA, la::LaEnable, FT::U8, 0},
  });
  RunQueryCases({
      {":LA:THRESHOLD CMOS", ":LA:THRESHOLD?", "CMOS"},
      {":LA:THRESHOLD 0.75", ":LA:THRESHOLD?", "0.75"},
      {":DIGITAL3:TURN OFF", ":LA:GROUP1?", "OFF"},
  });
}

TEST(SimModelTest, SystemAndLan) {
  RunSetCases({
      {"", ":LAN:IP 10.1.168.192", D, dso::LanIp, FT::U32, 0x0A01A8C0},
      {"", ":LAN:NETMASK 255.255.0.0", D, dso::LanNetmask, FT::U32, 0xFFFF0000},
      {"", ":LAN:PORT 65535", D, dso::LanPort, FT::I16, -1},
      {"", ":LAN:DHCP ON", D, dso::LanDhcp, FT::U8, 1},
      {"", ":SELFCAL:ENABLE ON", D, dso::SelfCalEnable, FT::U8, 1},
      {"", ":STOP", D, dso::RunState, FT::U8, 0},
      {"", ":STOP", D, dso::TrigStatus, FT::I32, 1},
      {":CHAN1:SCAL 0.2\n:STOP\n:CHAN1:SCAL 5", ":RUN", D, dso::ChanScaleAtStop[0], FT::F32, 0.2},
      {":STOP", ":RUN", D, dso::RunState, FT::U8, 1},
      {":TRIG:EDGE:SOUR CHAN2\n:CHAN1:OFFS 1", ":AUTO", D, dso::TrigEdgeSource, FT::I32, 0},
      {":CHAN1:OFFS 1", ":AUTO", D, dso::ChanOffset[0], FT::F32, 0},
      {":CHAN1:SCAL 0.2\n:LAN:PORT 80", ":DEFAULT", D, dso::ChanScale[0], FT::F32, 1},
      {":CHAN1:SCAL 0.2\n:LAN:PORT 80", ":DEFAULT", D, dso::LanPort, FT::I16, 80},
  });
  RunQueryCases({
      {"", ":LAN:MACADDRESS?", "02-4B-7A-53-49-4D"},
      {"", ":LAN:IP?", "192.0.2.10"},
      {":LAN:PORT 65535", ":LAN:PORT?", "65535"},
      {":LAN:DHCP ON", ":LAN:DHCP?", "ON"},
      {":SELFCAL:ENABLE ON", ":SELFCAL:ENABLE?", "ON"},
  });
  qxsim::Instrument in;
  const std::string idn = in.Execute("*IDN?").value_or("");
  EXPECT_EQ(std::count(idn.begin(), idn.end(), ','), 3) << idn;
  EXPECT_FALSE(in.Execute(":INFO:FPGA?").value_or("").empty());
  EXPECT_EQ(in.Execute(":SETUP:DSO?").value_or("").size(), 780u);
  EXPECT_EQ(in.Execute(":SETUP:LA?").value_or("").size(), 260u);
  EXPECT_EQ(in.Execute(":SETUP:ALT?").value_or("").size(), 396u);
}

// The forms a header may take, and lines that must change nothing.
TEST(SimModelTest, ScpiForms) {
  for (const char* line : {":CHANNEL1:SCALE 0.5", ":CHAN1:SCAL 0.5", ":channel1:scale 0.5",
                           "chan1:Scal +5e-1", "  :CHAN1:SCAL   0.5  "}) {
    qxsim::Instrument in;
    EXPECT_EQ(in.Run(line).error, "") << line;
    EXPECT_EQ(in.Execute(":CHAN1:SCAL?").value_or(""), "0.5") << line;
  }
  for (const char* line : {":CHANNEL3:SCALE 1",
                           ":CHANNEL1:SCALE",
                           ":CHANNEL1:SCALE abc",
                           ":CHANN1:SCAL 1",
                           ":CHANNEL:SCALE 1",
                           ":CHANNEL1:SCALE 1e999",
                           ":CHANNEL1:SCALE 1 2",
                           ":RUN 1",
                           ":LAN:MACADDRESS 1",
                           "*IDN",
                           ":CHAN1:SCAL? 1",
                           ":RUN?",
                           ":LAN:IP 1.2.3",
                           ":LAN:IP 1.2.3.256",
                           ":LAN:PORT 0",
                           ":ACQUIRE:TYPE ",
                           "::RUN",
                           ":",
                           "?",
                           ":TRIGGER:PATTERN:PATTERN 1,2,3",
                           ":TRIGGER:PATTERN:PATTERN 1,2,16,1",
                           ":A:B:C:D:E:F:G:H:I",
                           ":TRIG:ALT:SOUR EXT",
                           "\x01\x02garbage:RUN",
                           ":CHANNEL1:PROBE 0",
                           ":TIMEBASE:SCALE -1"}) {
    qxsim::Instrument in;
    in.Run(":STOP");
    const auto before = in.Block(BlockId::Dso);
    const qxsim::Outcome outcome = in.Run(line);
    EXPECT_NE(outcome.error, "") << line;
    EXPECT_FALSE(outcome.reply) << line;
    EXPECT_EQ(in.Block(BlockId::Dso), before) << line;
    EXPECT_EQ(in.GetCounters().errors, 1u) << line;
  }
  qxsim::Instrument in;
  in.Run(":TIMEBASE:SCALE 2e-9");
  EXPECT_NE(in.Run(":TIMEBASE:MODE DELAYED").error, "");  // no smaller step to zoom into
  in.Run(":TRIGGER:MODE ALTERNATION");
  EXPECT_NE(in.Run(":TIMEBASE:FORMAT XY").error, "");
}

TEST(SimModelTest, LineAssembly) {
  qxsim::Instrument in;
  const std::string terminated[] = {"*IDN?\r", "*IDN?\n", "*IDN?\r\n", std::string("*IDN?\r\0", 7), "*IDN?"};
  std::size_t replies = 0;
  for (const std::string& bytes : terminated) replies += in.Feed(bytes).size();
  EXPECT_EQ(replies, 4u);  // the last line waits for its terminator
  EXPECT_EQ(in.Feed("\r").size(), 1u);
  EXPECT_EQ(in.GetCounters().empty, 0u);
  EXPECT_EQ(in.Feed(std::string("\r\0\n\r", 4)).size(), 0u);
  EXPECT_EQ(in.GetCounters().empty, 3u);  // "\r" (its NUL swallowed), "\n", "\r"
  EXPECT_EQ(in.GetCounters().errors, 0u);

  in.Feed(std::string(4097, 'A') + "\r");
  EXPECT_EQ(in.GetCounters().overlong, 1u);
  EXPECT_EQ(in.Feed(std::string(4096, ' ') + "\r*IDN?\r").size(), 1u);
  EXPECT_EQ(in.GetCounters().overlong, 1u);
  EXPECT_EQ(in.Feed(std::string(10000, 'x') + "*IDN?\r*IDN?\r").size(), 1u);
  EXPECT_EQ(in.GetCounters().overlong, 2u);
}

}  // namespace
#endif

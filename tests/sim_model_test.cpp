// The simulated instrument's model and command language, in process: each
// command family changes the right block bytes within the instrument's
// limits and its queries answer; the factory setup; the SCPI forms.
#if QX_HAVE_SIM
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "c_locale.h"
#include "le_bytes.h"
#include "setup/block_layout.h"
#include "sim/commands.h"
#include "sim/instrument.h"

namespace {

namespace L = qx::layout;
using qxsim::BlockId;
using FT = L::FieldType;
using namespace std::string_literals;

double Load(const std::uint8_t* p, FT t) {
  if (t == FT::U8) return p[0];
  if (t == FT::U16) return qx::LoadU16(p);
  if (t == FT::I16) return qx::LoadI16(p);
  if (t == FT::I32) return qx::LoadI32(p);
  if (t == FT::U32) return qx::LoadU32(p);
  if (t == FT::I64) return static_cast<double>(qx::LoadI64(p));
  if (t == FT::F32) return qx::LoadF32(p);
  return qx::LoadF64(p);
}

using Blocks = std::array<std::vector<std::uint8_t>, 3>;  // DSO, LA, ALT
Blocks Snapshot(const qxsim::Instrument& in) {
  return {in.Block(BlockId::Dso), in.Block(BlockId::La), in.Block(BlockId::Alt)};
}

// A block field by its name in the layout tables (as f32 where it is one);
// "CH2 " before an alternate-trigger field names CH2's slice, "[k]" the k-th
// entry of an array field.
double Read(const Blocks& b, std::string name, bool* f32 = nullptr) {
  std::size_t index = 0;
  if (const auto open = name.find('['); open != std::string::npos) {
    index = std::stoul(name.substr(open + 1));
    name.replace(open, std::string::npos, "[0]");
  }
  const bool ch2 = name.starts_with("CH2 ");
  const std::span<const L::FieldRow> tables[] = {L::dso::kRows, L::la::kRows, L::alt::kRows};
  for (std::size_t t = 0; t < 3; ++t)
    for (const L::FieldRow& r : tables[t]) {
      const std::size_t shift = t == 2 && ch2 ? L::alt::kChannelStride : 0;
      if ((t == 2 && ch2 ? name.substr(4) : name) != r.name) continue;
      if (f32) *f32 = r.type == FT::F32;
      return Load(&b[t].at(static_cast<std::size_t>(r.offset) + shift + index * L::Width(r.type)), r.type);
    }
  ADD_FAILURE() << "no field " << name;
  return 0;
}

// The seconds copies follow the picosecond masters; the delayed time/div
// never exceeds the main one.
void ExpectConsistent(const Blocks& b) {
  const auto v = [&](const std::string& name) { return Read(b, name); };
  EXPECT_EQ(v("TimeScale"), static_cast<float>(v("TimeScalePs") / 1e12));
  EXPECT_EQ(v("TimeOffset"), v("TimeOffsetPs") / 1e12);
  EXPECT_EQ(v("DelayedScale"), static_cast<float>(v("DelayedScalePs") / 1e12));
  EXPECT_EQ(v("DelayedOffset"), v("DelayedOffsetPs") / 1e12);
  EXPECT_LE(v("DelayedScalePs"), v("TimeScalePs"));
  for (const std::string ch : {"", "CH2 "}) {
    EXPECT_EQ(v(ch + "AltTimeScale"), static_cast<float>(v(ch + "AltTimeScalePs") / 1e12));
    EXPECT_EQ(v(ch + "AltTimeOffset"), v(ch + "AltTimeOffsetPs") / 1e12);
  }
}

// After the setup lines, one line on a fresh instrument; the fields it must
// leave ("Name=value, ...", "*" for any value but the one before), and what
// its header's query answers (for a query line, its own reply). A keyword's
// code is written out where the host's header defines it (TRIG_*, the record's
// comments); elsewhere the keyword must round-trip and its field move.
struct Case {
  const char* setup;
  const char* line;
  const char* fields = "";
  const char* reply = nullptr;
};

void RunCases(std::span<const Case> cases) {
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.setup) + " | " + c.line);
    qxsim::Instrument in;
    in.Feed(std::string(c.setup) + "\n");
    ASSERT_EQ(in.GetCounters().errors, 0u);
    const Blocks before = Snapshot(in);
    const qxsim::Outcome out = in.Run(c.line);
    EXPECT_EQ(out.error, "");
    const Blocks after = Snapshot(in);
    ExpectConsistent(after);
    std::istringstream wanted(c.fields);
    for (std::string item; std::getline(wanted >> std::ws, item, ',');) {
      const std::string name = item.substr(0, item.find('=')), want = item.substr(item.find('=') + 1);
      bool f32 = false;
      const double got = Read(after, name, &f32), value = qx::ParseDouble(want.c_str(), nullptr);
      if (want == "*") {
        EXPECT_NE(got, Read(before, name)) << name;
      } else {
        EXPECT_EQ(got, f32 ? static_cast<float>(value) : value) << name;
      }
    }
    if (!c.reply) continue;
    const std::string line = c.line;
    const auto reply = line.ends_with('?') ? out.reply : in.Execute(line.substr(0, line.find(' ')) + "?");
    EXPECT_EQ(reply.value_or("<none>"), c.reply);
  }
}

TEST(SimModelTest, FactoryDefault) {
  const Case cases[] = {
      {"", ":CHAN1:SCAL?", "CH1 Display=1, CH1 Scale=1, CH1 Probe=1, CH2 Display=0", "1"},
      {"", ":TIM:SCAL?", "TimeScalePs=5e8, DelayedOn=0", "5e-04"},
      {"", ":TIM:FORM?", "TimeFormat=0", "YT"},
      {"", ":TRIG:MODE?", "TrigType=0", "EDGE"},
      {"", ":ACQ:MEM?", "AcqModeWord=0, AcqMemDepth=4096", "NORMAL"},
      {"", ":LA:THR?", "LaEnable=0, LaThreshold=1.4", "TTL"},
      {"", ":LAN:IP?", "LanDhcp=0, LanPort=5555, LanIp=0xC000020A", "192.0.2.10"},  // first octet on top
  };
  RunCases(cases);
  qxsim::Instrument in;
  const std::string idn = in.Execute("*IDN?").value_or("");
  EXPECT_EQ(std::count(idn.begin(), idn.end(), ','), 3) << idn;  // maker, model, serial, firmware
  EXPECT_FALSE(in.Execute(":INFO:FPGA?").value_or("").empty());
}

TEST(SimModelTest, Acquire) {
  const Case cases[] = {
      {"", ":acq:type peak", "AcqType=2", "PEAKDETECT"},
      {"", ":ACQUIRE:MODE ETIME", "AcqModeWord=1", "ETIME"},
      // Averages: the nearest power of two on a log scale, 2 to 256; the block keeps the exponent.
      {"", ":ACQUIRE:AVERAGES 100", "AcqAveragesExp=7", "128"},
      {"", ":ACQ:AVER 1000", "AcqAveragesExp=8", "256"},
      {"", ":ACQ:AVER 0", "AcqAveragesExp=1", "2"},
      // 4096 points over 14 x 500 us: 585 kSa/s, down to the 500 kSa/s step.
      {"", ":ACQUIRE:SAMPLINGRATE?", "AcqSampleRate=5e5", "5e+05"},
      {":TIM:SCAL 5e-8", ":ACQ:MEM FULL", "AcqMemDepth=1048576"},
      {":TIM:SCAL 5e-8", ":ACQ:MEM NORMAL", "AcqMemDepth=8192", "NORMAL"},
      {":TIM:SCAL 5e-8\n:CHAN2:DISP ON", ":ACQ:MEM FULL", "AcqMemDepth=524288"},
      {":TIM:SCAL 1e-7", ":ACQUIRE:MEMORY FULL", "AcqMemDepth=524288", "FULL"},
      {":TIM:SCAL 2e-9", ":ACQ:MODE RTIME", "AcqSampleRate=1e9", "RTIME"},
      {":TIM:SCAL 2e-9\n:CHAN2:DISP ON", ":ACQ:MODE RTIME", "AcqSampleRate=5e8"},
      {":TIM:SCAL 2e-9", ":ACQ:MODE ETIME", "AcqSampleRate2=50e9"},
  };
  RunCases(cases);
}

TEST(SimModelTest, Channels) {
  const Case cases[] = {
      {"", ":CHANNEL1:SCALE 0.500000", "CH1 Scale=0.5, CH1 MicroVolts=500000", "0.5"},
      {"", ":CHAN2:SCAL 0.3", "CH2 Scale=0.2", "0.2"},  // 1-2-5 steps: 0.2 is nearer than 0.5
      {"", ":CHAN1:SCAL 20", "CH1 Scale=10", "10"},
      {"", ":CHAN1:SCAL 0.001", "CH1 Scale=0.002", "0.002"},
      {":CHAN1:PROB 10", ":CHAN1:SCAL 0.5", "CH1 MicroVolts=50000", "0.5"},
      {":CHAN1:PROB 10", ":CHAN1:SCAL 200", "CH1 Scale=100", "100"},
      {":CHAN1:SCAL 0.5", ":CHAN1:OFFS -0.3", "CH1 OffsetPoints=-15", "-0.3"},
      {"", ":CHAN1:OFFS -100", "CH1 Offset=-40", "-40"},
      {":CHAN1:SCAL 0.2", ":CHAN1:OFFS 3", "CH1 Offset=2", "2"},
      {":CHAN1:OFFS 30", ":CHAN1:SCAL 0.1", "CH1 Offset=2"},
      {":CHAN1:SCAL 0.5\n:CHAN1:OFFS 0.2\n:TRIG:EDGE:LEV 0.3", ":CHAN1:PROB 10",
       "CH1 Scale=5, CH1 Offset=2, TrigEdgeLevel=3", "10"},
      {":CHAN1:SCAL 0.5\n:TRIG:EDGE:LEV 0.3", ":CHAN2:PROB 10", "TrigEdgeLevel=0.3"},
      {"", ":CHAN2:DISP ON", "CH2 Display=1", "ON"},
      {"", ":CHAN2:INV 1", "CH2 Invert=1", "ON"},
      {"", ":CHAN1:FILT:UPL 0.9", "", "0.495"},
  };
  RunCases(cases);
}

TEST(SimModelTest, Timebase) {
  const Case cases[] = {
      {"", ":TIMEBASE:SCALE 0.002000000", "TimeScalePs=2e9", "0.002"},
      {"", ":TIM:SCAL 0.004", "TimeScalePs=5e9", "0.005"},
      {"", ":TIM:SCAL 0.000000000100", "TimeScalePs=2000", "2e-09"},
      {"", ":TIM:SCAL 100", "TimeScalePs=50e12", "50"},
      {"", ":TIM:SCAL 0.499999998", "TimeScalePs=5e11", "0.5"},
      {"", ":TIM:SCAL 0.05", "RollOn=1"},
      {"", ":TIM:SCAL 0.02", "RollOn=0"},
      {"", ":TIMEBASE:OFFSET -0.000001000", "TimeOffsetPs=-1e6", "-1e-06"},
      {"", ":TIM:OFFS -1", "TimeOffsetPs=-4.096e9"},  // half the 4096 points at 500 kSa/s before the trigger
      {"", ":TIM:OFFS 1000", "TimeOffsetPs=5e14", "500"},
      {":TIM:OFFS 0.001", ":TIM:FORM ROLLING", "TimeFormat=2, TimeOffsetPs=0, TimeScalePs=5e11", "ROLLING"},
      {":TIM:MODE DELAYED", ":TIM:FORM XY", "TimeFormat=1, CH2 Display=1, DelayedOn=0", "XY"},
      {"", ":TIM:MODE DELAYED", "DelayedOn=1", "DELAYED"},
      {":TIM:SCAL 0.001\n:TIM:MODE DELAYED", ":TIM:DEL:SCAL 0.0001", "DelayedScalePs=1e8", "1e-04"},
      {":TIM:SCAL 0.001\n:TIM:DEL:SCAL 0.0001", ":TIM:DEL:OFFS 0.007", "DelayedOffsetPs=6.3e9", "0.0063"},
      {":TIM:SCAL 0.001\n:TIM:DEL:SCAL 0.0001", ":TIM:DEL:OFFS -0.0063", "DelayedOffsetPs=-6.3e9"},
      {"", ":TIM:DEL:SCAL 1", "DelayedScalePs=5e8"},
      {":TIM:DEL:SCAL 0.0002", ":TIM:SCAL 0.0001", "DelayedScalePs=1e8"},
      {"", ":TRIG:ALT:CHAN2:TIMES 0.001", "CH2 AltTimeScalePs=1e9", "0.001"},
      {"", ":TRIGGER:ALTERNATION:CHANNEL1:TIMESCALE 1", "AltTimeScalePs=2e10", "0.02"},
  };
  RunCases(cases);
}

TEST(SimModelTest, Trigger) {
  const Case cases[] = {
      {"", ":TRIG:MODE PULSE", "TrigType=1", "PULSE"},
      {":TIM:MODE DELAYED", ":TRIG:MODE ALT", "CH2 Display=1, DelayedOn=0", "ALTERNATION"},
      {"", ":TRIG:DUR:SWE SINGLE", "TrigSweep=*", "SINGLE"},
      {"", ":TRIGGER:SENSITIVITY 0.50", "TrigSensitivity=0.5", "0.5"},
      {"", ":TRIG:VID:SENS 5", "TrigSensitivity=1", "1"},
      {"", ":TRIGGER:HOLDOFF 0.000000010", "TrigHoldoff=1e-7", "1e-07"},
      {"", ":TRIG:EDGE:SOUR dig15", "TrigEdgeSource=*", "DIGITAL15"},
      {"", ":TRIGGER:EDGE:LEVEL 7.000000", "TrigEdgeLevel=6", "6"},  // 6 divisions of 1 V
      {":CHAN1:OFFS 1", ":TRIG:EDGE:LEV -9", "TrigEdgeLevel=-7"},
      {":TRIG:EDGE:SOUR EXT", ":TRIG:EDGE:LEV 5", "TrigEdgeLevel=1.2"},
      {":TRIG:EDGE:SOUR EXT5", ":TRIG:EDGE:LEV 5", "TrigEdgeLevel=5"},
      {":TRIG:EDGE:SOUR ACLINE", ":TRIG:EDGE:LEV 1", "TrigEdgeLevel=0"},
      {":CHAN1:PROB 10", ":TRIG:PULS:LEV 3", "TrigPulseLevel=0.3", "3"},
      {":CHAN2:PROB 10\n:TRIG:SLOP:SOUR CHAN2", ":TRIG:SLOP:LEVA 3", "TrigSlopeLevelA=0.3", "3"},
      {":TRIG:SLOP:LEVA -1", ":TRIG:SLOP:LEVB 1", "TrigSlopeLevelB=1"},
      {"", ":TRIGGER:PULSE:WIDTH 2.000000e-08", "TrigPulseWidth=2e-8", "2e-08"},
      {"", ":TRIG:PULS:MODE -LESSTHAN", "TrigPulseWhen=*", "-LESSTHAN"},
      {"", ":TRIG:VID:LINE 600", "TrigVideoLine=525", "525"},
      {":TRIG:VID:STAN PALSECAM\n:TRIG:VID:LINE 600", ":TRIG:VID:STAN NTSC", "TrigVideoLine=525"},
      {"", ":TRIG:SLOP:TIME 20", "TrigSlopeTime=10", "10"},
  };
  RunCases(cases);
}

// Pattern codes per digital channel: 0 must be 1, 1 must be 0, 2 ignored,
// 3 / 4 the edge channel with flag 1 / 0.
TEST(SimModelTest, PatternDurationAndAlternate) {
  const Case cases[] = {
      {"", ":TRIG:PATT:PATT 1,7,2,1",
       "TrigPattern[0]=0, TrigPattern[1]=1, TrigPattern[2]=3, TrigPattern[3]=2", "1,7,2,1"},
      {"", ":TRIG:PATT:PATT 3,7", "TrigPattern[2]=1", "3,7"},
      {"", ":TRIG:DUR:PATT 65280,65280", "TrigDuration[8]=0", "65280,65280"},
      {"", ":TRIG:DUR:PATT 0,32,5,0", "TrigDuration[5]=4", "0,32,5,0"},
      {"", ":TRIGGER:DURATION:TIME 1.000000e-06", "TrigDurationTime=1e-6", "1e-06"},
      {":TRIG:ALT:SOUR CHANNEL2", ":TRIG:ALT:TYPE SLOPE", "CH2 AltTrigType=2", "SLOPE"},
      {":TRIG:ALT:SLOP:LEVA 1\n:TRIG:ALT:SLOP:LEVB 0.5", ":TRIG:ALT:SLOP:LEVA 0.2", "Slope LevelA=0.5",
       "0.5"},
      {":TRIG:ALT:SLOP:LEVA 0.1", ":TRIG:ALT:SLOP:LEVB 0.5", "Slope LevelB=0.1", "0.1"},
      {":TRIG:ALT:VID:STAN PALSECAM", ":TRIG:ALT:VID:LINE 700", "Video Line=625", "625"},
      {":CHAN2:PROB 10\n:TRIG:ALT:SOUR CHAN2", ":TRIG:ALT:EDGE:LEV 2", "CH2 Edge Level=0.2", "2"},
      {":CHAN2:PROB 10\n:TRIG:ALT:SOUR CHAN2", ":TRIG:ALT:PULS:LEV 200", "CH2 Pulse Level=6", "60"},
      {"", ":TRIG:ALT:COUP AC", "TrigCoupling=*, Edge Coupling=*, Pulse Coupling=*, Slope Coupling=*", "AC"},
      {":TRIG:ALT:SOUR CHAN2", ":TRIG:ALT:SENS 0.50", "CH2 Video Sensitivity=0.5", "0.5"},
      {"", ":TRIG:ALT:PULS:HOLD 2", "Pulse Holdoff=1.5", "1.5"},
  };
  RunCases(cases);
}

TEST(SimModelTest, LogicAnalyzer) {
  const Case cases[] = {
      {"", ":DIG3:TURN OFF", "LaChanDisplay[3]=0, LaGroup1=0", "OFF"},
      {":LA:GRO2 OFF", ":LA:GRO2 ON", "LaChanDisplay[15]=1", "ON"},
      {":LA:GRO2 OFF\n:DIG8:TURN ON", ":DIG15:TURN ON", "LaGroup2=0"},
      {"", ":LA:THR ECL", "LaThreshold=-1.3", "ECL"},
      {"", ":LA:THR 9", "LaUserThreshold=8", "8"},
      {"", ":LA:THR 0.75", "LaThresholdType=*, LaThreshold=0.75", "0.75"},
      {":TIM:FORM XY", ":LA:DISP ON", "LaEnable=0", "OFF"},
  };
  RunCases(cases);
}

TEST(SimModelTest, SystemAndLan) {
  const Case cases[] = {
      {"", ":LAN:IP 10.1.168.192", "LanIp=0x0A01A8C0", "10.1.168.192"},
      {"", ":LAN:PORT 65535", "LanPort=-1", "65535"},
      {"", ":STOP", "RunState=0, TrigStatus=1"},
      {":CHAN1:SCAL 0.2\n:STOP\n:CHAN1:SCAL 5", ":RUN", "CH1 ScaleAtStop=0.2, RunState=1"},
      {":TRIG:EDGE:SOUR CHAN2\n:CHAN1:OFFS 1", ":AUTO", "TrigEdgeSource=0, CH1 Offset=0"},
      {":CHAN1:SCAL 0.2\n:LAN:PORT 80", ":DEFAULT", "CH1 Scale=1, LanPort=80"},
  };
  RunCases(cases);
}

// The forms a header may take, and lines that must change nothing: the
// refused line is the last of each entry, after its setup lines.
TEST(SimModelTest, ScpiForms) {
  // Long and short forms in either case are the lookup test's.
  for (const char* line : {"chan1:Scal +5e-1", "  :CHAN1:SCAL   0.5  "}) {
    qxsim::Instrument in;
    EXPECT_EQ(in.Run(line).error, "") << line;
    EXPECT_EQ(in.Execute(":CHAN1:SCAL?").value_or(""), "0.5") << line;
  }
  // By reason: unknown header; argument where none is taken, or a query with none; missing, malformed or
  // out-of-range argument; a setting the instrument cannot take in its present state.
  const std::vector<std::string> refused[] = {
      {":CHANNEL3:SCALE 1", ":CHANN1:SCAL 1", ":CHANNEL:SCALE 1", "::RUN", ":", "?", ":A:B:C:D:E:F:G:H:I"},
      {"\x01\x02garbage:RUN", ":RUN 1", ":LAN:MACADDRESS 1", "*IDN", ":CHAN1:SCAL? 1", ":RUN?"},
      {":CHANNEL1:SCALE", ":ACQUIRE:TYPE ", ":CHANNEL1:SCALE abc", ":CHAN1:SCAL 1e999", ":CHAN1:SCAL 1 2"},
      {":CHANNEL1:PROBE 0", ":TIMEBASE:SCALE -1", ":TRIG:ALT:SOUR EXT", ":LAN:PORT 0", ":LAN:IP 1.2.3"},
      {":LAN:IP 1.2.3.256", ":TRIGGER:PATTERN:PATTERN 1,2,3", ":TRIGGER:PATTERN:PATTERN 1,2,16,1"},
      {":TIM:SCAL 2e-9\n:TIM:MODE DELAYED", ":TRIG:MODE ALT\n:TIM:FORM XY"},  // no smaller step to zoom into
  };
  for (const auto& group : refused)
    for (const std::string& text : group) {
      SCOPED_TRACE(text);
      qxsim::Instrument in;
      const std::size_t cut = text.rfind('\n') + 1;  // 0 when there is no setup
      in.Feed(":STOP\n" + text.substr(0, cut));
      const Blocks before = Snapshot(in);
      const qxsim::Outcome outcome = in.Run(text.substr(cut));
      EXPECT_NE(outcome.error, "");
      EXPECT_FALSE(outcome.reply);
      EXPECT_EQ(Snapshot(in), before);
      EXPECT_EQ(in.GetCounters().errors, 1u);
    }
}

// The header lookup answers what matching keyword by keyword, row by row in
// table order, answers: every row's long and short forms in either case,
// suffixes inside and outside their bounds, tokens no pattern takes.
TEST(SimModelTest, LookupAgreesWithKeywordMatching) {
  namespace cmd = qxsim::cmd;
  namespace scpi = qxsim::scpi;
  const auto keywords = [](std::string_view header) {
    std::vector<std::string_view> out;
    for (std::size_t colon; (colon = header.find(':')) != std::string_view::npos;
         header.remove_prefix(colon + 1))
      out.push_back(header.substr(0, colon));
    out.push_back(header);
    return out;
  };
  const auto reference = [&](std::string_view header, int& suffix) -> const cmd::Row* {
    const std::vector<std::string_view> tokens = keywords(header);
    for (const cmd::Row& row : cmd::Table()) {
      const std::vector<std::string_view> path = keywords(row.path);
      bool match = path.size() == tokens.size();
      suffix = -1;
      for (std::size_t k = 0; match && k < tokens.size(); ++k)
        match = scpi::MatchKeyword(path[k], tokens[k], &suffix) &&
                (suffix < 0 || (suffix >= row.suffixLo && suffix <= row.suffixHi));
      if (match) return &row;
    }
    return nullptr;
  };
  std::vector<std::string> headers = {"LA:GROUP#",       "la:group#1",   "LA:GROUP01", "CHAN123:SCAL",
                                      "CHANNEL1X:SCALE", "chan1:scale1", "*idn",       "SYST:ERR:X"};
  for (const cmd::Row& row : cmd::Table()) {
    std::string forms[4];  // long with the top suffix, short with the lowest, lower case, past the top
    for (char c : row.path) {
      const bool lower = c >= 'a' && c <= 'z';
      const char upper = lower ? static_cast<char>(c - 'a' + 'A') : c;
      forms[0] += c == '#' ? std::to_string(row.suffixHi) : std::string(1, upper);
      forms[1] += c == '#' ? std::to_string(row.suffixLo) : lower ? "" : std::string(1, c);
      forms[2] +=
          c == '#' ? std::to_string(row.suffixHi) : std::string(1, lower ? c : static_cast<char>(c | 0x20));
      forms[3] += c == '#' ? std::to_string(row.suffixHi + 1) : std::string(1, upper);
    }
    headers.insert(headers.end(), std::begin(forms), std::end(forms));
  }
  for (const std::string& header : headers) {
    SCOPED_TRACE(header);
    int suffix = -1, expectedSuffix = -1;
    const cmd::Row* expected = reference(header, expectedSuffix);
    EXPECT_EQ(cmd::Lookup(header, &suffix), expected);
    if (expected) {
      EXPECT_EQ(suffix, expectedSuffix);
    }
  }
}

// A handler the table says writes its field alone changes no other byte: the
// model re-derives only what reads that field after it.
TEST(SimModelTest, FieldOnlySettersWriteTheirFieldAlone) {
  namespace cmd = qxsim::cmd;
  for (const cmd::Row& row : cmd::Table()) {
    if (row.form == cmd::Form::Query || !row.WritesFieldOnly()) continue;
    std::vector<std::string> args = {"ON", "0", "0.37", "-3", "2e3", "10.0.0.7", "80"};
    for (const cmd::Word& w : row.words) args.emplace_back(w.pattern);
    const bool suffixed = row.path.find('#') != std::string_view::npos;
    for (int suffix = row.suffixLo; suffix <= row.suffixHi; ++suffix)
      for (const std::string& arg : args) {
        SCOPED_TRACE(std::string(row.path) + " " + arg);
        qxsim::Model m;
        m.side.SetI32(qxsim::side::AltSource, suffix == 2 ? 1 : 0);
        const qxsim::Model before = m;
        const cmd::Call call{row, suffixed ? suffix : -1, arg};
        if ((row.set ? row.set(m, call) : cmd::GenericSet(m, call)) != nullptr) continue;
        const int at = cmd::Address(m, call);
        for (const BlockId id : {BlockId::Dso, BlockId::La, BlockId::Alt, BlockId::Side}) {
          for (int i = 0; i < qxsim::BlockSize(id); ++i) {
            if (id != row.field.block || i < at || i >= at + L::Width(row.field.type)) {
              ASSERT_EQ(m.Bytes(id)[i], before.Bytes(id)[i]) << i;
            }
          }
        }
      }
  }
}

// After each command, which re-derives only what it wrote into when that is
// all it wrote, a full pass over the model finds nothing left to change.
TEST(SimModelTest, CommandsLeaveNothingForAFullPass) {
  qxsim::Instrument in;
  std::istringstream lines(
      ":TIM:SCAL 2e-8\n:CHAN2:DISP OFF\n:TRIG:MODE ALT\n:TRIG:MODE EDGE\n:CHAN2:DISP OFF\n"
      ":ACQ:MEM FULL\n:ACQ:MODE ETIM\n:TRIG:ALT:CHAN2:TIMES 1e-8\n:TRIG:ALT:SOUR CHAN2\n"
      ":CHAN1:PROB 10\n:CHAN1:SCAL 0.3\n:CHAN1:OFFS 9\n:CHAN1:SCAL 5\n:TIM:FORM XY\n"
      ":TIM:FORM YT\n:TIM:OFFS -1\n:TIM:DEL:SCAL 1e-3\n:TIM:FORM ROLL\n:TIM:SCAL 1\n:STOP\n"
      ":DEFAULT\n");
  for (std::string line; std::getline(lines, line);) {
    SCOPED_TRACE(line);
    EXPECT_EQ(in.Run(line).error, "");
    const Blocks settled = Snapshot(in);
    in.SetBlock(BlockId::Dso, settled[0]);
    EXPECT_EQ(Snapshot(in), settled);
  }
}

// A volts/div step stored as a float at any probe factor snaps back to
// itself: the channel's rules may take the step a command chose as it is.
TEST(SimModelTest, StoredVoltsPerDivStepsSnapToThemselves) {
  namespace lim = qxsim::limits;
  for (const float probe : {0.001f, 0.0137f, 0.1f, 0.37f, 1.0f, 3.3f, 10.0f, 47.1f, 100.0f, 999.9f, 1000.0f})
    for (double decade = 1e-3; decade < 20; decade *= 10)
      for (const double m : {1.0, 2.0, 5.0}) {
        const double step = lim::Nearest125(m * decade);
        if (step < lim::kMinVoltsPerDiv || step > lim::kMaxVoltsPerDiv) continue;
        const float stored = static_cast<float>(step * probe);
        EXPECT_EQ(std::clamp(lim::Nearest125(stored / static_cast<double>(probe)), lim::kMinVoltsPerDiv,
                             lim::kMaxVoltsPerDiv),
                  step)
            << step << " x " << probe;
      }
}

// Each refusal leaves one entry, oldest first; a full queue ends in an overflow.
TEST(SimModelTest, ErrorQueue) {
  qxsim::Instrument in;
  const std::pair<std::string, std::string> cases[] = {
      {":FOO", "-113,\"Undefined header\""},
      {":RUN?", "-113,\"Undefined header;not a query\""},
      {":RUN 1", "-108,\"Parameter not allowed\""},
      {":CHAN1:SCAL", "-109,\"Missing parameter\""},
      {":LAN:IP 1.2.3", "-224,\"Illegal parameter value\""},
  };
  for (const auto& [line, entry] : cases) in.Run(line);
  in.Feed(std::string(4097, 'A') + "\r");
  for (const auto& [line, entry] : cases) EXPECT_EQ(in.Execute(":SYST:ERR?"), entry) << line;
  EXPECT_EQ(in.Execute(":SYSTEM:ERROR?"), "-363,\"Input buffer overrun\"");
  EXPECT_EQ(in.Execute(":SYSTEM:ERROR?"), "0,\"No error\"");

  for (int i = 0; i < 20; ++i) in.Run(":FOO");
  in.Run(":DEFAULT");  // a default setup keeps the queue
  for (int i = 0; i < 15; ++i) EXPECT_EQ(in.Execute(":SYST:ERR?"), "-113,\"Undefined header\"");
  EXPECT_EQ(in.Execute(":SYST:ERR?"), "-350,\"Queue overflow\"");
  in.Run(":FOO");
  EXPECT_EQ(in.Run("*CLS").error, "");
  EXPECT_EQ(in.Execute(":SYST:ERR?"), "0,\"No error\"");
}

TEST(SimModelTest, LineAssembly) {
  qxsim::Instrument in;
  std::size_t replies = 0;
  for (const std::string& bytes : {"*IDN?\r"s, "*IDN?\n"s, "*IDN?\r\n"s, "*IDN?\r\0"s, "*IDN?"s})
    replies += in.Feed(bytes).size();
  EXPECT_EQ(replies, 4u);  // the last line waits for its terminator
  EXPECT_EQ(in.Feed("\r").size(), 1u);
  EXPECT_EQ(in.GetCounters().empty, 0u);
  EXPECT_EQ(in.Feed(std::string("\r\0\n\r", 4)).size(), 0u);
  EXPECT_EQ(in.GetCounters().empty, 3u);  // "\r" (its NUL swallowed), "\n", "\r"
  EXPECT_EQ(in.GetCounters().errors, 0u);

  in.Feed(std::string(4097, 'A') + "\r");
  EXPECT_EQ(in.GetCounters().overlong, 1u);
  EXPECT_EQ(in.Feed(std::string(4096, ' ') + "\r*IDN?\r").size(), 1u);  // 4 KiB exactly is still a line
  EXPECT_EQ(in.GetCounters().overlong, 1u);
  EXPECT_EQ(in.Feed(std::string(10000, 'x') + "*IDN?\r*IDN?\r").size(), 1u);
  EXPECT_EQ(in.GetCounters().overlong, 2u);
}

}  // namespace
#endif

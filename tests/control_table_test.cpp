// The control-table runner every handler is written on: how a message
// variable is decoded, slots checked, refusals made, arguments written and
// lines sent; and the tables themselves checked against the routing and the
// read-back rows.
#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "frame/handlers.h"
#include "le_bytes.h"
#include "link/link_state.h"
#include "support/fakes.h"

namespace {

using qx::Arg;
using qx::Control;
using qx::ControlRow;
using qx::ControlTable;
using qx::Msg;
using qx::Slot;
using qx::Var;

// What the last action saw.
Control g_seen;
int g_steps = 0;

void Remember(Control& c) { g_seen = c; }
void CountStep(const Control&) { ++g_steps; }

constexpr const char* kWords[] = {"ZERO", "ONE"};
constexpr unsigned kWordsCtrl = 9, kNoLine = 10, kRefused = 11, kKept = 12, kRefusedInAction = 13;

constexpr ControlRow kRows[] = {
    {.ctrl = 1, .reads = Var::Bool, .action = Remember},
    {.ctrl = 2, .reads = Var::Byte, .action = Remember},
    {.ctrl = 3, .reads = Var::Int, .slot = Slot::Math, .action = Remember, .header = ":A"},
    {.ctrl = 4, .reads = Var::Uint, .slot = Slot::Digital, .action = Remember, .header = ":B"},
    {.ctrl = 5, .reads = Var::Float, .slot = Slot::Channel, .action = Remember, .header = ":C", .leaf = ":D"},
    {.ctrl = 6, .reads = Var::Double, .slot = Slot::Ref, .action = Remember, .header = ":E"},
    {.ctrl = 7, .reads = Var::Int64, .action = Remember},
    {.ctrl = kWordsCtrl,
     .reads = Var::Int,
     .action = [](Control& c) { c.arg = c.i; },
     .header = ":W",
     .format = Arg::Words,
     .words = kWords,
     .after = {CountStep, CountStep}},
    {.ctrl = kNoLine, .leave = qx::Leave::Host},
    {.ctrl = kRefused, .guard = [](const Control&) { return Msg::NotAvailableXY; }, .after = {CountStep}},
    {.ctrl = kKept,
     .guard = [](const Control&) { return Msg::NotAvailable; },
     .refusal = qx::Refusal::KeepSend,
     .header = ":K"},
    {.ctrl = kRefusedInAction,
     .action = [](Control& c) { c.Refuse(Msg::NotAvailableRolling); },
     .header = ":R",
     .after = {CountStep}},
};
const ControlTable kTable = {.cmdId = 1, .subsystem = ":SUB", .rows = kRows, .afterEach = CountStep};

class ControlTableTest : public qxtest::LibraryTest {
 protected:
  // Runs one control of the test table on a fresh command, as the dispatcher would.
  void RunRow(unsigned ctrl, long value, MsgVar var) {
    qx::Command = qx::CommandState{};
    qx::Command.SendFlag = true;
    g_seen = Control{};
    g_steps = 0;
    qx::RunControl(kTable, ctrl, value, var);
  }
  static MsgVar Bits(std::uint64_t bits) {
    return {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
  }
  static MsgVar FloatVar(float f) {
    std::uint32_t bits;
    std::memcpy(&bits, &f, sizeof bits);
    return {bits, 0xFFFFFFFF};
  }
  static MsgVar DoubleVar(double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    return Bits(bits);
  }
  std::string CmdString() const { return std::string(qx::Command.CmdString); }
  std::string QueryString() const { return std::string(qx::Command.QueryString); }
};

TEST_F(ControlTableTest, DecodesTheVariableAsTheRowReadsIt) {
  RunRow(1, 0, Bits(0xFFFFFF00u));  // only the low byte counts
  EXPECT_FALSE(g_seen.b);
  RunRow(2, 0, Bits(0x1234u));
  EXPECT_EQ(g_seen.byte, 0x34);
  RunRow(3, 2, Bits(0xFFFFFFFEull | (7ull << 32)));
  EXPECT_EQ(g_seen.i, -2);
  EXPECT_EQ(g_seen.slot, 2);
  RunRow(4, 15, Bits(0xFFFFFFFEu));
  EXPECT_EQ(g_seen.u, 0xFFFFFFFEu);
  RunRow(5, 0, FloatVar(0.5f));
  EXPECT_EQ(g_seen.f, 0.5f);
  RunRow(6, 3, DoubleVar(-1e-9));
  EXPECT_EQ(g_seen.d, -1e-9);
  RunRow(7, 0, Bits(0x8000000000000001ull));
  EXPECT_EQ(g_seen.i64, std::numeric_limits<std::int64_t>::min() + 1);
}

// A slot out of range or a float that is not a number stops the row quietly.
TEST_F(ControlTableTest, SlotsAndNotANumberStopTheRowAndSlotsNamePrefixes) {
  struct Case {
    unsigned ctrl;
    long value;
    MsgVar var;
    bool runs;
    const char* line;
  } cases[] = {
      {3, 0, {}, true, ":SUB:A "},
      {3, 3, {}, true, ":SUB:A "},
      {3, 4, {}, false, ""},
      {3, -1, {}, false, ""},
      {4, 0, {}, true, ":DIGITAL0:B "},
      {4, 16, {}, false, ""},
      {5, 0, {}, true, ":CHANNEL1:C:D "},
      {5, 7, {}, true, ":CHANNEL2:C:D "},
      {5, -3, {}, true, ":CHANNEL2:C:D "},
      {6, 4, {}, false, ""},
      {6, 0, {}, true, ":SUB:E "},
      {5, 0, FloatVar(std::nanf("")), false, ""},
      {6, 0, DoubleVar(std::nan("")), false, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.ctrl << " slot " << c.value);
    RunRow(c.ctrl, c.value, c.var);
    EXPECT_EQ(g_seen.id != 0, c.runs);
    EXPECT_EQ(qx::Command.SendFlag, c.runs);
    EXPECT_EQ(CmdString(), c.line);
  }
  EXPECT_STREQ(setup.ErrorText, "");
}

TEST_F(ControlTableTest, RefusalsRaiseTheirMessageAndStopBeforeTextAndSteps) {
  struct Case {
    unsigned ctrl;
    const char* status;
    bool sendFlag;
  } cases[] = {
      {kRefused, "Function not available at XY mode", false},
      {kKept, "Function not available", true},
      {kRefusedInAction, "Function not available at rolling mode", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.status);
    setup.ErrorText[0] = '\0';
    RunRow(c.ctrl, 0, {});
    EXPECT_STREQ(setup.ErrorText, c.status);
    EXPECT_EQ(qx::Command.SendFlag, c.sendFlag);
    EXPECT_EQ(CmdString(), "");
    EXPECT_EQ(g_steps, 0);
  }
}

TEST_F(ControlTableTest, ArgumentsAreWrittenByFormat) {
  struct Case {
    Arg format;
    double arg;
    const char* text;
  } cases[] = {
      {Arg::Fixed6, 0.5, "0.500000"},
      {Arg::Fixed8, 1e-9, "0.00000000"},
      {Arg::Fixed9, 2e-9, "0.000000002"},
      {Arg::Fixed42, 1.5, "1.50"},
      {Arg::Int, -7.9, "-7"},
      {Arg::Int, 1e12, "2147483647"},
      {Arg::Int, std::nan(""), "0"},
      {Arg::OnOff, 1, "ON"},
      {Arg::OnOff, 2, "OFF"},
      {Arg::Words, 1, "ONE"},
      {Arg::Words, 2, ""},
      {Arg::Words, -1, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    static Case current;
    current = c;
    const ControlRow row[] = {{.ctrl = 1,
                               .action = [](Control& ctl) { ctl.arg = current.arg; },
                               .header = ":X",
                               .format = c.format,
                               .words = kWords}};
    qx::Command = qx::CommandState{};
    qx::RunControl(ControlTable{.subsystem = ":S", .rows = row}, 1, 0, {});
    EXPECT_EQ(std::string(qx::Command.ParamString), c.text);
    EXPECT_EQ(CmdString(), std::string(":S:X ") + c.text);
    EXPECT_EQ(QueryString(), ":S:X?");
  }
}

TEST_F(ControlTableTest, StepsRunInOrderAfterTheText) {
  RunRow(kWordsCtrl, 0, Bits(0));
  EXPECT_EQ(CmdString(), ":SUB:W ZERO");
  EXPECT_EQ(g_steps, 3);  // two steps of the row, then the table's own
}

// Unknown controls are checked through the dispatcher.
TEST_F(ControlTableTest, HostOnlyRowsAndEmptyTablesSendNothing) {
  RunRow(kNoLine, 0, {});
  EXPECT_FALSE(qx::Command.SendFlag);
  qx::Command.SendFlag = true;
  qx::RunControl(ControlTable{.cmdId = CMD_CHANNEL}, 0x465, 0, {});
  EXPECT_FALSE(qx::Command.SendFlag);
}

// Every row of every table agrees with its route and with the read-back
// rows: a line the dispatcher sends is reconciled, or says it has nothing
// to take over; a function the dispatcher never sends for has no row that
// waits for it.
TEST_F(ControlTableTest, TablesAgreeWithRoutesAndReadBackRows) {
  int rows = 0;
  for (const ControlTable* table : qx::AllControlTables()) {
    const qx::Route* route = qx::FindRoute(table->cmdId);
    ASSERT_NE(route, nullptr) << std::hex << table->cmdId;
    for (const ControlRow& row : table->rows) {
      SCOPED_TRACE(testing::Message() << std::hex << table->cmdId << " / " << row.ctrl);
      ++rows;
      QxControlInfo info{};
      ASSERT_TRUE(QxGetControlInfo(table->cmdId, row.ctrl, &info));
      EXPECT_EQ(info.varType, static_cast<QxVarType>(row.reads));
      if (row.leave != qx::Leave::Dispatcher) continue;
      EXPECT_EQ(route->kind, qx::RouteKind::SendWithReadBack);
      EXPECT_EQ(qx::HasReadBackRow(row.ctrl), !row.noReadBackRow);
    }
  }
  EXPECT_GT(rows, 0);
}

TEST_F(ControlTableTest, ControlInfoForAHost) {
  QxControlInfo info{};
  ASSERT_TRUE(QxGetControlInfo(CMD_ACQUIRE, CTL_ACQ_MEMORY, &info));
  EXPECT_TRUE(info.reachesInstrument);
  ASSERT_TRUE(QxGetControlInfo(CMD_INTERFACE, CTL_IF_SELECT, &info));
  EXPECT_FALSE(info.reachesInstrument);
  EXPECT_FALSE(QxGetControlInfo(CMD_ACQUIRE, 0x999, &info));
  EXPECT_FALSE(QxGetControlInfo(0x999, CTL_ACQ_MEMORY, &info));
  EXPECT_FALSE(QxGetControlInfo(CMD_ACQUIRE, CTL_ACQ_MEMORY, nullptr));
}

// A second QxMsgInit is a new instrument: nothing of the first survives.
TEST_F(ControlTableTest, QxMsgInitStartsTheLibraryOver) {
  qx::StoreU32(dso.Bytes + 0x10, 0x3F000000);
  ScriptReadBack();
  RunInt(CMD_ACQUIRE, CTL_ACQ_AVERAGES, 16);
  ASSERT_NE(qx::Link.FwDsoSetup.Bytes[0x13], 0);
  ASSERT_NE(CmdString(), "");
  qxtest::ScriptedSocket second;
  QxMsgInit(&main, &setup, &rgn, &pos, &second);
  const DSO_SETUP empty{};
  EXPECT_EQ(std::memcmp(qx::Link.FwDsoSetup.Bytes, empty.Bytes, sizeof empty.Bytes), 0);
  EXPECT_EQ(CmdString(), "");
  EXPECT_EQ(QueryString(), "");
  EXPECT_FALSE(qx::Command.SendFlag);
  EXPECT_EQ(GetIOCmd(), 0);
}

}  // namespace

// The IO command queue, observed through the dispatcher seam.
#include <cstring>
#include <vector>

#include "frame/state.h"
#include "support/fakes.h"

namespace {

struct Dispatched {
  unsigned long cmdId;
  MsgVar var;
  unsigned int ctrlId;
  long value;
  CWnd* wndA;
  CWnd* wndB;
};

std::vector<Dispatched> g_dispatched;

void Record(unsigned long cmdId, MsgVar var, unsigned int ctrlId, long value, CWnd* a, CWnd* b) {
  g_dispatched.push_back({cmdId, var, ctrlId, value, a, b});
}

class QueueTest : public qxtest::LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    g_dispatched.clear();
    saved_ = qx::Frame.Dispatch;
    qx::Frame.Dispatch = &Record;
  }
  void TearDown() override {
    qx::Frame.Dispatch = saved_;
    LibraryTest::TearDown();
  }
  // Takes and runs every pending command.
  void Drain() {
    while (GetIOCmd() != 0) IOCmdProcess();
  }
  qx::DispatchFn saved_ = nullptr;
  qxtest::RecordingWindow w1, w2, w3;
};

// 255 pending at most; a refusal disturbs none of them; the indices wrap.
TEST_F(QueueTest, HoldsAtMost255InOrderAndIndicesWrapAround) {
  EXPECT_EQ(GetIOCmd(), 0);
  for (long i = 1; i <= 255; ++i) ASSERT_TRUE(QxPostIOCmd(0x100 + i, 1, i, nullptr, nullptr, nullptr)) << i;
  EXPECT_FALSE(QxPostIOCmd(0x999, 1, 0, nullptr, nullptr, nullptr));
  EXPECT_FALSE(QxPostIOCmd(0x998, 1, 0, nullptr, nullptr, nullptr));
  for (long i = 1; i <= 255; ++i) {
    ASSERT_EQ(GetIOCmd(), 0x100 + i);
    IOCmdProcess();
  }
  EXPECT_EQ(GetIOCmd(), 0);
  for (long i = 1; i <= 300; ++i) {
    SetMsgVarInt(static_cast<int>(i));
    ASSERT_TRUE(QxPostIOCmd(0xC45, 0x6D1, i, nullptr, nullptr, nullptr));
    ASSERT_EQ(GetIOCmd(), 0xC45);
    IOCmdProcess();
    ASSERT_EQ(g_dispatched.back().value, i);
    ASSERT_EQ(g_dispatched.back().var.Low, static_cast<DWORD>(i));
  }
  EXPECT_EQ(GetIOCmd(), 0);
}

TEST_F(QueueTest, RefusesCommandIdsThatCannotBeToldApart) {
  EXPECT_FALSE(QxPostIOCmd(0, 1, 0, nullptr, nullptr, nullptr));
  EXPECT_FALSE(QxPostIOCmd(0x100000000ul + CMD_ACQUIRE, 1, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetIOCmd(), 0);
  EXPECT_TRUE(QxPostIOCmd(0xFFFFFFFFul, 1, 0, nullptr, nullptr, nullptr));
  EXPECT_EQ(GetIOCmd(), 0xFFFFFFFFl);
}

// Identical neighbours (command, control and value) collapse into the last;
// windows and message variable are not compared.
TEST_F(QueueTest, CollapsesRunsOfIdenticalCommands) {
  struct Case {
    const char* name;
    std::vector<unsigned long> posts;  // command ids, control 1, value 0
    std::vector<unsigned long> runs;   // command ids dispatched
  } cases[] = {
      {"A A A", {0xA, 0xA, 0xA}, {0xA}},
      {"A A B", {0xA, 0xA, 0xB}, {0xA, 0xB}},
      {"A B A", {0xA, 0xB, 0xA}, {0xA, 0xB, 0xA}},
      {"A B B A A", {0xA, 0xB, 0xB, 0xA, 0xA}, {0xA, 0xB, 0xA}},
  };
  for (const Case& c : cases) {
    g_dispatched.clear();
    for (unsigned long id : c.posts) ASSERT_TRUE(QxPostIOCmd(id, 1, 0, nullptr, nullptr, nullptr));
    Drain();
    std::vector<unsigned long> runs;
    for (const Dispatched& d : g_dispatched) runs.push_back(d.cmdId);
    EXPECT_EQ(runs, c.runs) << c.name;
  }
}

TEST_F(QueueTest, CollapsedRunUsesWindowsAndMessageOfItsLastPost) {
  SetMsgVarfloat(1.0f);
  QxPostIOCmd(CMD_CHANNEL, 0x465, 0, &w1, nullptr, nullptr);
  SetMsgVarfloat(2.0f);
  QxPostIOCmd(CMD_CHANNEL, 0x465, 0, &w2, &w3, nullptr);
  SetMsgVarfloat(0.5f);
  QxPostIOCmd(CMD_CHANNEL, 0x465, 0, &w3, &w1, nullptr);
  Drain();
  ASSERT_EQ(g_dispatched.size(), 1u);
  EXPECT_EQ(qx::VarFloat(g_dispatched[0].var), 0.5f);
  EXPECT_EQ(g_dispatched[0].wndA, &w3);
  EXPECT_EQ(g_dispatched[0].wndB, &w1);
  // Commands differing only in value are not merged.
  QxPostIOCmd(CMD_CHANNEL, 0x465, 0, nullptr, nullptr, nullptr);
  QxPostIOCmd(CMD_CHANNEL, 0x465, 1, nullptr, nullptr, nullptr);
  Drain();
  EXPECT_EQ(g_dispatched.size(), 3u);
}

TEST_F(QueueTest, ThirdWindowRunsTheCommandASecondTime) {
  QxPostIOCmd(CMD_ACQUIRE, 0x6BD, 3, &w1, &w2, &w3);
  Drain();
  ASSERT_EQ(g_dispatched.size(), 2u);
  EXPECT_EQ(g_dispatched[0].wndB, &w2);
  EXPECT_EQ(g_dispatched[1].wndA, &w1);
  EXPECT_EQ(g_dispatched[1].wndB, &w3);
  EXPECT_EQ(g_dispatched[1].value, 3);
}

// Each setter writes only the bytes of its own type.
TEST_F(QueueTest, SettersWriteOnlyTheirOwnBytes) {
  struct Case {
    const char* name;
    void (*set)();
    DWORD low, high;
  } cases[] = {
      {"bool", [] { SetMsgVarbool(true); }, 0xAAAAAA01u, 0xBBBBBBBBu},
      {"int", [] { SetMsgVarInt(-2); }, 0xFFFFFFFEu, 0xBBBBBBBBu},
      {"long", [] { SetMsgVarLong(0x1234); }, 0x1234u, 0xBBBBBBBBu},
      {"UINT", [] { SetMsgVarUINT(7u); }, 7u, 0xBBBBBBBBu},
      {"ULong", [] { SetMsgVarULong(9ul); }, 9u, 0xBBBBBBBBu},
      {"float", [] { SetMsgVarfloat(1.0f); }, 0x3F800000u, 0xBBBBBBBBu},
      {"double", [] { SetMsgVarDouble(1.0); }, 0u, 0x3FF00000u},
      {"LONG64", [] { SetMsgVarLONG64(-1); }, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    SetMsgVarLONG64(static_cast<std::int64_t>(0xBBBBBBBBAAAAAAAAull));
    c.set();
    ASSERT_TRUE(QxPostIOCmd(CMD_ACQUIRE, 1, 0, nullptr, nullptr, nullptr));
    ASSERT_NE(GetIOCmd(), 0);
    IOCmdProcess();
    EXPECT_EQ(g_dispatched.back().var.Low, c.low) << c.name;
    EXPECT_EQ(g_dispatched.back().var.High, c.high) << c.name;
  }
}

TEST_F(QueueTest, InitEmptiesTheQueueAndKeepsTheMessageVariable) {
  SetMsgVarDouble(2.5);
  QxPostIOCmd(CMD_ACQUIRE, 1, 0, nullptr, nullptr, nullptr);
  QxPostIOCmd(CMD_TRIGGER, 1, 0, nullptr, nullptr, nullptr);
  QxMsgInit(&main, &setup, &rgn, &pos, &socket);
  EXPECT_EQ(GetIOCmd(), 0);
  QxPostIOCmd(CMD_ACQUIRE, 2, 0, nullptr, nullptr, nullptr);
  Drain();
  ASSERT_EQ(g_dispatched.size(), 1u);
  EXPECT_EQ(qx::VarDouble(g_dispatched[0].var), 2.5);
}

}  // namespace

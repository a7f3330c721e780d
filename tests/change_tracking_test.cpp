// Change tracking, the at-stop snapshot, and the undo and redo slots.
#include <string>
#include <utility>
#include <vector>

#include "support/fakes.h"

namespace {

using qxtest::WindowMessage;

class ChangeTrackingTest : public qxtest::LibraryTest {};

// A pending ":CLEARUSB" goes out once, after the announcement; nothing else is sent.
TEST_F(ChangeTrackingTest, RunningAnnouncesOnceAndRestartsTheTimerEveryTime) {
  setup.RunState = 1;
  rgn.ClearUsbPending = 1;
  main.onMessage = [&](UINT, WPARAM, LPARAM) { EXPECT_TRUE(socket.sent.empty()); };
  SetChangeSetting();
  SetChangeSetting();
  EXPECT_EQ(main.messages, (std::vector<WindowMessage>{{&main, 0xC35, 0x115C, 0}}));
  EXPECT_EQ(main.timers, (std::vector<std::pair<UINT_PTR, UINT>>{{8, 500}, {8, 500}}));
  EXPECT_TRUE(GetChangeSetting());
  EXPECT_EQ(socket.sent, (std::vector<std::string>{qxtest::LanLine(":CLEARUSB")}));
  EXPECT_EQ(rgn.ClearUsbPending, 0);
}

TEST_F(ChangeTrackingTest, StoppedOnlyRequestsARedraw) {
  setup.RunState = 0;
  setup.RefreshFlag = 1;
  SetChangeSetting();
  EXPECT_EQ(rgn.RefreshWave, 1);
  EXPECT_TRUE(main.messages.empty());
  EXPECT_TRUE(main.timers.empty());
  EXPECT_FALSE(GetChangeSetting());
}

TEST_F(ChangeTrackingTest, NothingAtAllDuringPlaybackOrWhileRolling) {
  for (auto prepare : {+[](_QX_SETUP& s) { s.RecordState = 2; }, +[](_QX_SETUP& s) { s.RollOn = 1; }}) {
    for (BYTE run : {0, 1}) {
      setup = _QX_SETUP{};
      setup.Connected = 1;
      setup.InterfaceType = 1;
      setup.RefreshFlag = 1;
      setup.RunState = run;
      rgn.ClearUsbPending = 1;
      rgn.RefreshWave = 0;
      prepare(setup);
      SetChangeSetting();
      EXPECT_EQ(setup.ChangeSettingPending, 0);
      EXPECT_EQ(rgn.RefreshWave, 0);
      EXPECT_EQ(rgn.ClearUsbPending, 1);
    }
  }
  EXPECT_TRUE(main.messages.empty());
  EXPECT_TRUE(main.timers.empty());
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(ChangeTrackingTest, SnapshotDoesNotFollowLaterChanges) {
  setup.ChanScale[1] = 0.5f;
  setup.TimeScalePs = 1000;
  setup.AltSampleRate2[1] = 7.0f;
  setup.ChanStopWave[0] = 9;
  setup.AcqSampleRate2AtStop = 9.0f;
  SaveChangeSetting();
  setup.ChanScale[1] = 2.0f;
  setup.TimeScalePs = 5;
  EXPECT_EQ(setup.ChanScaleAtStop[1], 0.5f);
  EXPECT_EQ(qxtest::Value(setup.TimeScalePsAtStop), 1000);
  EXPECT_EQ(setup.AltSampleRate2AtStop[1], 7.0f);
  // Not part of the snapshot.
  EXPECT_EQ(setup.ChanStopWave[0], 9);
  EXPECT_EQ(setup.AcqSampleRate2AtStop, 9.0f);
}

TEST_F(ChangeTrackingTest, UndoAndRedoFillTheirOwnSlots) {
  setup.ChanScale[1] = 0.2f;
  setup.AltTimeScale[1] = 5e-6;
  setup.UndoUsed = 1;
  SaveRedoSetup();
  EXPECT_EQ(setup.UndoUsed, 1);
  setup.ChanScale[1] = 0.5f;
  setup.AltTimeScale[1] = 1e-5;
  SaveUndoSetup();
  EXPECT_EQ(setup.UndoUsed, 0);
  EXPECT_EQ(setup.UndoChan[1].Scale[0], 0.5f);
  EXPECT_EQ(setup.UndoChan[1].Scale[1], 0.2f);
  EXPECT_EQ(qxtest::Value(setup.UndoAltTimeScale[0][1]), 1e-5);
  EXPECT_EQ(qxtest::Value(setup.UndoAltTimeScale[1][1]), 5e-6);
}

}  // namespace

// The library against the simulated instrument over a real loopback TCP
// socket (and its in-process USB device): a fixture for end-to-end tests.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "sim/instrument.h"
#include "sim/server.h"
#include "sim/usb_device.h"
#include "support/fakes.h"

namespace qxtest {

// The library's 10 ms reply waits really wait a little, so the server thread
// gets to answer; pacing pauses are only recorded.
inline void ShortWait(DWORD ms) {
  RecordSleep(ms);
  if (ms <= 10) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

inline std::string Text(const BYTE* p) { return reinterpret_cast<const char*>(p); }

// A real socket that also keeps each line it sends, without its "\r" and NUL.
class RecordingTcp : public QxTcpSocket {
 public:
  int Send(const char* data, int length) override {
    sent.emplace_back(data, static_cast<std::size_t>(length > 0 ? length - 2 : 0));
    return QxTcpSocket::Send(data, length);
  }
  std::vector<std::string> sent;
};

class SimEndToEnd : public LibraryTest {
 protected:
  void SetUp() override {
    LibraryTest::SetUp();
    const int port = server_.Start("127.0.0.1", 0);
    ASSERT_GT(port, 0) << server_.LastError();
    ASSERT_TRUE(tcp_.Connect("127.0.0.1", static_cast<unsigned short>(port), 1000));
    QxMsgInit(&main, &setup, &rgn, &pos, &tcp_);
    QxSetSleepHook(&ShortWait);
    QxSetPanelUsb(&device_);
  }
  void TearDown() override {
    LibraryTest::TearDown();
    server_.Stop();
  }
  const std::uint8_t* Dso(int offset) {
    return (dso_ = instrument_.Block(qxsim::BlockId::Dso)).data() + offset;
  }

  qxsim::Instrument instrument_;
  qxsim::Server server_{instrument_};
  qxsim::UsbDevice device_{instrument_};
  RecordingTcp tcp_;
  std::vector<std::uint8_t> dso_;
};

}  // namespace qxtest

// Acquire, from a posted command to the line on the wire and the read-back
// (what the read-back takes over is checked against the simulated instrument).
#include <string>
#include <vector>

#include "frame/state.h"
#include "support/fakes.h"

namespace {

class AcquireTest : public qxtest::LibraryTest {};

const std::vector<std::string> kReadBack = {":SETUP:DSO?", ":SETUP:LA?", ":SETUP:ALT?"};

TEST_F(AcquireTest, EachControlSendsItsLineThenReadsTheBlocksBack) {
  struct Case {
    const char* name;
    unsigned int ctrl;
    void (*set)();
    std::string line;   // the set command, or "" for a bare carriage return
    std::string query;  // the matching query left beside it
    const char* status;
  } cases[] = {
      {"type average", CTL_ACQ_TYPE, [] { SetMsgVarInt(1); }, ":ACQUIRE:TYPE AVERAGE", ":ACQUIRE:TYPE?", ""},
      {"type out of range", CTL_ACQ_TYPE, [] { SetMsgVarInt(3); }, ":ACQUIRE:TYPE ", ":ACQUIRE:TYPE?", ""},
      {"real time", CTL_ACQ_MODE, [] { SetMsgVarbool(true); }, ":ACQUIRE:MODE RTIME", ":ACQUIRE:MODE?", ""},
      {"equivalent time", CTL_ACQ_MODE, [] { SetMsgVarbool(false); }, ":ACQUIRE:MODE ETIME", ":ACQUIRE:MODE?",
       ""},
      {"averages to the nearest power of two", CTL_ACQ_AVERAGES, [] { SetMsgVarInt(100); },
       ":ACQUIRE:AVERAGES 128", ":ACQUIRE:AVERAGES?", ""},
      {"averages clamped", CTL_ACQ_AVERAGES, [] { SetMsgVarInt(1000); }, ":ACQUIRE:AVERAGES 256",
       ":ACQUIRE:AVERAGES?", "Acquire average number at upper limit"},
      {"normal memory", CTL_ACQ_MEMORY, [] { SetMsgVarUINT(524287); }, ":ACQUIRE:MEMORY NORMAL",
       ":ACQUIRE:MEMORY?", ""},
      {"long memory", CTL_ACQ_MEMORY, [] { SetMsgVarUINT(524288); }, ":ACQUIRE:MEMORY FULL",
       ":ACQUIRE:MEMORY?", ""},
      {"sample rate", CTL_ACQ_SAMPLE_RATE, [] { SetMsgVarfloat(1e9f); }, "", ":ACQUIRE:SAMPLINGRATE?", ""},
      {"second sample rate", CTL_ACQ_SAMPLE_RATE2, [] { SetMsgVarfloat(2e6f); }, "", ":ACQUIRE:MODE?", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    socket.sent.clear();
    setup.ErrorText[0] = '\0';
    ScriptReadBack();
    c.set();
    Run(CMD_ACQUIRE, c.ctrl);
    std::vector<std::string> expected = {c.line};
    expected.insert(expected.end(), kReadBack.begin(), kReadBack.end());
    EXPECT_EQ(socket.SentTexts(), expected);
    EXPECT_EQ(std::string(qx::Command.QueryString), c.query);
    EXPECT_STREQ(setup.ErrorText, c.status);
  }
}

}  // namespace

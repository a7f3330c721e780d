// Interface settings: the link choice, and the LAN update that writes each
// parameter (unless DHCP is on) and always reads it back.
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "support/fakes.h"

namespace {

using Texts = std::vector<std::string>;

class InterfaceTest : public qxtest::LibraryTest {
 protected:
  // Replies to the six queries, in the order DHCP, IP, netmask, MAC, gateway, port.
  void ReplyWith(const Texts& replies) {
    for (const std::string& reply : replies) socket.Reply(qxtest::LanReply(reply));
  }
  void Apply() { RunInt(CMD_INTERFACE, CTL_LAN_APPLY, 0); }
  Texts Addresses() const { return {setup.LanIp, setup.LanNetmask, setup.LanMac, setup.LanGateway}; }
};

TEST_F(InterfaceTest, DhcpOnWritesOnlyItselfAndReadsEverything) {
  setup.LanDhcp = 1;
  ReplyWith({"ON", "192.168.1.77", "255.255.255.0", "02-4B-7A-01-02-03", "192.168.1.1", "5025"});
  Apply();
  EXPECT_EQ(socket.SentTexts(), (Texts{":LAN:DHCP ON", ":LAN:DHCP?", ":LAN:IP?", ":LAN:NETMASK?",
                                       ":LAN:MACADDRESS?", ":LAN:GATEWAY?", ":LAN:PORT?"}));
  EXPECT_EQ(setup.LanDhcp, 1);
  EXPECT_EQ(Addresses(), (Texts{"192.168.1.77", "255.255.255.0", "02-4B-7A-01-02-03", "192.168.1.1"}));
  EXPECT_EQ(setup.LanPort, 5025);
}

// The MAC address is the instrument's own: read, never written.
TEST_F(InterfaceTest, DhcpOffWritesEachParameterButTheMac) {
  std::strcpy(setup.LanIp, "10.0.0.5");
  std::strcpy(setup.LanNetmask, "255.0.0.0");
  std::strcpy(setup.LanGateway, "10.0.0.1");
  std::strcpy(setup.LanMac, "02-4B-7A-00-00-01");
  setup.LanPort = 5555;
  ReplyWith({"OFF", "10.0.0.5", "255.0.0.0", "02-4B-7A-00-00-01", "10.0.0.1", "5555"});
  RunBool(CMD_INTERFACE, CTL_LAN_DHCP, false);
  EXPECT_EQ(socket.SentTexts(),
            (Texts{":LAN:DHCP OFF", ":LAN:DHCP?", ":LAN:IP 10.0.0.5", ":LAN:IP?", ":LAN:NETMASK 255.0.0.0",
                   ":LAN:NETMASK?", ":LAN:MACADDRESS?", ":LAN:GATEWAY 10.0.0.1", ":LAN:GATEWAY?",
                   ":LAN:PORT 5555", ":LAN:PORT?"}));
  EXPECT_EQ(setup.LanDhcp, 0);
}

// Empty, over-long and garbage replies: each is cut to its field, the port
// takes a numeric prefix and saturates, and only "ON" means DHCP.
TEST_F(InterfaceTest, RepliesAreCutToTheirFields) {
  const struct {
    Texts replies;
    int dhcp;
    const char *ip, *mac;
    int port;
  } rows[] = {
      // clang-format off
      {{"", "", "", "", "", ""}, 0, "", "", 0},
      {{"ON\r", "123.123.123.123.99", "", "02-4B-7A-01-02-03-04-05", "", "5025abc"}, 0, "123.123.123.123",
       "02-4B-7A-01-02-03", 5025},
      {{"on", std::string(300, '7'), "", "", "", "-12.9"}, 0, "777777777777777", "", -12},
      {{"ON", "", "", "", "", "99999999999"}, 1, "", "", std::numeric_limits<std::int32_t>::max()},
      {{"ON", "", "", "", "", "nan"}, 1, "", "", 0},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.replies[5]);
    std::strcpy(setup.LanIp, "1.2.3.4");
    setup.LanPort = 77;
    ReplyWith(row.replies);
    Apply();
    EXPECT_EQ(setup.LanDhcp, row.dhcp);
    EXPECT_EQ(Addresses(), (Texts{row.ip, "", row.mac, ""}));
    EXPECT_EQ(setup.LanPort, row.port);
  }
}

TEST_F(InterfaceTest, NotConnectedStoresAndSendsNothing) {
  setup.Connected = 0;
  RunBool(CMD_INTERFACE, CTL_LAN_DHCP, true);
  Apply();
  EXPECT_EQ(setup.LanDhcp, 1);
  EXPECT_TRUE(socket.sent.empty());
}

TEST_F(InterfaceTest, SelectingALinkConnectsAndSaysWhich) {
  for (const auto& [type, text] : {std::pair{1, "LAN is already selected"}, {0, "USB is already selected"}}) {
    setup.Connected = 0;
    RunInt(CMD_INTERFACE, CTL_IF_SELECT, type);
    EXPECT_EQ(setup.Connected, 1);
    EXPECT_EQ(setup.InterfaceType, static_cast<UINT>(type));
    EXPECT_STREQ(setup.ErrorText, text);
  }
  EXPECT_TRUE(socket.sent.empty() && usb.calls.empty());
}

}  // namespace

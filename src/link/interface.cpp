// How the instrument is reached: the choice of link and the instrument's LAN
// parameters. Every LAN parameter is read back after it is written, so the
// record shows what the instrument really uses.
#include <cstring>

#include "c_locale.h"
#include "convert.h"
#include "frame/command_text.h"
#include "frame/handlers.h"
#include "frame/messages.h"
#include "link/handler_link.h"

namespace qx {
namespace {

enum class LanParam { Dhcp, Ip, Netmask, Mac, Gateway, Port };

// The six parameters in the order the instrument takes them.
struct LanParamRow {
  LanParam param;
  const char* header;  // after ":LAN"; the query adds "?"
};
constexpr LanParamRow kLanParams[] = {
    {LanParam::Dhcp, ":DHCP"},      {LanParam::Ip, ":IP"},           {LanParam::Netmask, ":NETMASK"},
    {LanParam::Mac, ":MACADDRESS"}, {LanParam::Gateway, ":GATEWAY"}, {LanParam::Port, ":PORT"},
};

struct TextField {
  char* text;
  std::size_t size;
};

// The record's text field of a parameter; DHCP and the port have none.
TextField TextOf(_QX_SETUP& s, LanParam param) {
  switch (param) {
    case LanParam::Ip: return {s.LanIp, sizeof s.LanIp};
    case LanParam::Netmask: return {s.LanNetmask, sizeof s.LanNetmask};
    case LanParam::Mac: return {s.LanMac, sizeof s.LanMac};
    case LanParam::Gateway: return {s.LanGateway, sizeof s.LanGateway};
    default: return {nullptr, 0};
  }
}

// The record's current value as the set command's argument. A text field
// the host left without its NUL is taken up to the end of the field.
CString CurrentValue(_QX_SETUP& s, LanParam param) {
  if (param == LanParam::Dhcp) return OnOff(s.LanDhcp == 1);
  if (param == LanParam::Port) {
    CString text;
    text.Format("%d", s.LanPort);
    return text;
  }
  const TextField field = TextOf(s, param);
  return CString(field.text, static_cast<int>(strnlen(field.text, field.size)));
}

// The reply as text: it ends at its first NUL or at the end of the buffer.
CString ReplyText() {
  const char* reply = reinterpret_cast<const char*>(Command.ReplyBuffer);
  return CString(reply, static_cast<int>(strnlen(reply, sizeof Command.ReplyBuffer)));
}

// Takes a reply over; false when DHCP turned out to be on, so the addresses
// and the port are the DHCP server's and must not be written.
bool TakeReply(_QX_SETUP& s, LanParam param) {
  const CString reply = ReplyText();
  switch (param) {
    case LanParam::Dhcp:
      Command.ParamString = reply;
      s.LanDhcp = reply == "ON" ? 1 : 0;
      return s.LanDhcp == 0;
    case LanParam::Port:
      // A numeric prefix is enough ("5025abc" is 5025); NaN and huge values saturate.
      s.LanPort = TruncateTo<std::int32_t>(ParseDouble(reply, nullptr));
      return true;
    default: {
      // Cut to the field: 15 characters of an address, 17 of the MAC, and a NUL.
      const TextField field = TextOf(s, param);
      std::memcpy(field.text, Command.ReplyBuffer, field.size);
      field.text[field.size - 1] = '\0';
      return true;
    }
  }
}

// Writes each parameter (while allowed) and reads it back.
void LanUpdate(bool write) {
  _QX_SETUP& s = Setup();
  for (const LanParamRow& row : kLanParams) {
    Command.ParamString = CurrentValue(s, row.param);
    BuildCommandText(":LAN", row.header);
    if (write) {
      // The MAC address is the instrument's own: it is read, never written.
      if (row.param != LanParam::Mac) SendLine(Command.CmdString);
      ReadCmdOPC();
    }
    std::memset(Command.ReplyBuffer, 0, sizeof Command.ReplyBuffer);
    QueryLine(Command.QueryString, Command.ReplyBuffer);
    if (!TakeReply(s, row.param)) write = false;
  }
}

// While not connected nothing is written and nothing read back.
void UpdateLanWhenConnected(Control&) {
  if (Setup().Connected == 1) LanUpdate(true);
}

constexpr ControlRow kRows[] = {
    {.ctrl = CTL_IF_SELECT,
     .reads = Var::Uint,
     .action =
         [](Control& c) {
           _QX_SETUP& s = Setup();
           s.Connected = 1;
           s.InterfaceType = c.u;
           RaiseStatus(s.InterfaceType == 1 ? Msg::LanSelected : Msg::UsbSelected);
         },
     .leave = Leave::Host},
    {.ctrl = CTL_LAN_DHCP,
     .reads = Var::Byte,
     .action =
         [](Control& c) {
           Setup().LanDhcp = c.byte;
           UpdateLanWhenConnected(c);
         },
     .leave = Leave::Handler},
    {.ctrl = CTL_LAN_APPLY, .action = UpdateLanWhenConnected, .leave = Leave::Handler},
};

}  // namespace

const ControlTable kInterfaceTable = {.cmdId = CMD_INTERFACE, .rows = kRows};

void InterfaceHandler(unsigned int ctrlId, long value, MsgVar var) { RunControl(kInterfaceTable, ctrlId, value, var); }

}  // namespace qx

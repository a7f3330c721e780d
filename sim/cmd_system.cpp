// System commands: identity, error queue, run control, setup blocks, LAN settings.
#include <cstdio>

#include "sim/handlers.h"

namespace qxsim::cmd {

namespace dso = L::dso;

std::string QueryIdentity(const Model&, const Call&) { return "QXSIM,QX2216 Simulated DSO,SIM0000001,1.0.0"; }
std::string QueryFpga(const Model&, const Call&) { return "QXSIM-FPGA 1.0.0"; }

const char* DoClearStatus(Model& m, const Call&) {
  m.errors.Clear();
  return nullptr;
}
std::string QueryError(const Model& m, const Call&) { return m.errors.Pop(); }

const char* DoRun(Model& m, const Call&) {
  m.Run();
  return nullptr;
}
const char* DoStop(Model& m, const Call&) {
  m.Stop();
  return nullptr;
}
const char* DoAuto(Model& m, const Call&) {
  m.Auto();
  return nullptr;
}
const char* DoDefault(Model& m, const Call&) {
  m.DefaultSetup();
  return nullptr;
}
const char* DoStartup(Model& m, const Call&) {
  m.Startup();
  return nullptr;
}
const char* DoClearUsb(Model& m, const Call&) {
  ++m.usbClears;
  return nullptr;
}

std::string QueryBlock(const Model& m, const Call& call) {
  const auto id = static_cast<BlockId>(call.row.aux);
  return std::string(reinterpret_cast<const char*>(m.Bytes(id)), static_cast<std::size_t>(BlockSize(id)));
}

// "a.b.c.d", four decimal octets; the first octet is the most significant byte.
const char* SetAddress(Model& m, const Call& call) {
  std::string_view text = call.argument;
  std::uint32_t address = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t dot = i < 3 ? text.find('.') : text.size();
    if (dot == std::string_view::npos) return kBadArgument;
    const std::string_view part = text.substr(0, dot);
    if (part.empty() || part.size() > 3) return kBadArgument;
    std::uint32_t octet = 0;
    for (char c : part) {
      if (c < '0' || c > '9') return kBadArgument;
      octet = octet * 10 + static_cast<std::uint32_t>(c - '0');
    }
    if (octet > 255) return kBadArgument;
    address = address << 8 | octet;
    text.remove_prefix(i < 3 ? dot + 1 : dot);
  }
  m.dso.SetU32(call.row.field.offset, address);
  return nullptr;
}

std::string QueryAddress(const Model& m, const Call& call) {
  const std::uint32_t a = m.dso.U32(call.row.field.offset);
  char text[20];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", a >> 24, (a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF);
  return text;
}

const char* SetPort(Model& m, const Call& call) {
  const auto port = scpi::ParseInteger(call.argument);
  if (!port || *port < 1 || *port > 65535) return kBadArgument;
  m.dso.SetU16(call.row.field.offset, static_cast<std::uint16_t>(*port));
  return nullptr;
}

std::string QueryPort(const Model& m, const Call& call) {
  return std::to_string(m.dso.U16(call.row.field.offset));
}

std::string QueryMac(const Model& m, const Call&) {
  char text[24];
  std::snprintf(text, sizeof text, "02-4B-7A-%02X-%02X-%02X", m.dso.U8(dso::LanMacTail),
                m.dso.U8(dso::LanMacTail + 1), m.dso.U8(dso::LanMacTail + 2));
  return text;
}

}  // namespace qxsim::cmd

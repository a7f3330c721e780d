#include "frame/command_text.h"

namespace qx {
namespace {
CString QueryHeader(const char* last) {
  CString q(last);
  q += '?';
  return q;
}
}  // namespace

void BuildCommandText(const char* subsystem, const char* header, const char* leaf) {
  if (leaf)
    Command.CmdString = StrConnect(subsystem, header, leaf, " ", Command.ParamString);
  else
    Command.CmdString = StrConnect(subsystem, header, " ", Command.ParamString, "");
  BuildQueryText(subsystem, header, leaf);
}

void BuildQueryText(const char* subsystem, const char* header, const char* leaf) {
  if (leaf)
    Command.QueryString = StrConnect(subsystem, header, QueryHeader(leaf), "", "");
  else
    Command.QueryString = StrConnect(subsystem, QueryHeader(header), "", "", "");
}

void BuildBareCommand(const char* subsystem, const char* header) {
  Command.CmdString = StrConnect(subsystem, header ? header : "", "", "", "");
}

}  // namespace qx

#include "link/handler_link.h"

#include <cstring>

#include "frame/handlers.h"
#include "link/link_state.h"

namespace qx {

int SendLine(const CString& line) { return WriteCommand(line); }

int SendLineThenOpc(const CString& line) {
  const int sent = WriteCommand(line);
  ReadCmdOPC();
  return sent;
}

void SendAndReconcile(const CString& line, unsigned int ctrlId, long value) {
  std::memset(Command.ReplyBuffer, 0, sizeof Command.ReplyBuffer);
  CString text = line;
  SendCommand(&text, Command.ReplyBuffer, Command.ReadBackFlag);
  // Only a read-back that brought every block whole is taken over: a block
  // that failed keeps an older state the instrument no longer has.
  if (Command.ReadBackFlag && Setup().Connected == 1 && LastReadBackWhole()) ReadBackReconcile(ctrlId, value);
}

int QueryLine(const CString& query, BYTE* reply) { return ReadCommand(query, reply); }

}  // namespace qx

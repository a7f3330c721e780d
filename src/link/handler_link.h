// What a handler sends on its own, beyond the line the dispatcher sends at
// the end of a command. No handler calls the transport directly: the few ways
// a handler talks to the instrument are here, so pacing, read-back and the
// reconcile stay in one place.
#pragma once

#include "frame/state.h"

namespace qx {

// One line, no read-back.
int SendLine(const CString& line);
// A line, then the operation-complete hook the instrument needs between
// dependent lines.
int SendLineThenOpc(const CString& line);
// A line with read-back of the setup blocks (when ReadBackFlag is set), then
// the reconcile of what the instrument applied for `ctrlId` and `value`.
// The transport decides what a line does while not connected; the reconcile
// runs only while connected and only after every block came back whole, so
// stale block copies never reach the records.
// The dispatcher's end-of-command send is this call too.
void SendAndReconcile(const CString& line, unsigned int ctrlId, long value);
// One query; the reply lands in `reply` (at least 256 bytes).
int QueryLine(const CString& query, BYTE* reply);

}  // namespace qx

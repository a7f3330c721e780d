// The console's words against the library's own control tables: every word
// posts its control with the message variable the handler reads, and its
// slot placeholder names the slot kind and range the handler checks.
#include <gtest/gtest.h>

#include "word_parser.h"

namespace qxhost {
namespace {

// Commands the dispatcher runs inline, without a control table of a handler.
bool Inline(unsigned long cmd) {
  return cmd == CMD_SELFCAL || cmd == CMD_CURSOR_MODE || cmd == CMD_MISC || cmd == CMD_APPLY_VIEW;
}

TEST(ConsoleControlInfoTest, EveryWordMatchesTheLibrarysControl) {
  for (const Word& w : Words()) {
    if (w.own != Own::None) continue;
    QxControlInfo info{};
    if (!QxGetControlInfo(w.cmd, w.ctrl, &info)) {
      EXPECT_TRUE(Inline(w.cmd)) << w.text << ": the library does not know " << w.cmdName << " / "
                                 << w.ctrlName;
      continue;
    }
    EXPECT_EQ(info.varType, w.var) << w.text;
    const Placeholder* p = PlaceholderOf(w);
    EXPECT_EQ(info.slot, p ? p->slot : QX_SLOT_NONE) << w.text;
    if (p) {
      EXPECT_EQ(info.slotCount, p->last - p->first + 1) << w.text;
    }
  }
}

}  // namespace
}  // namespace qxhost

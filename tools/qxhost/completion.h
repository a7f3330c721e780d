// Tab completion as a plain function: the words that may follow what is
// typed, so the keyboard front end and the tests share it.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "words.h"

namespace qxhost {

// The candidates for the last, partly typed word of `line` (nothing typed
// yet after a blank: every candidate), sorted and without repeats. After
// the words of a control its choices follow; after show its groups; after
// help the words again.
std::vector<std::string> Complete(std::string_view line, std::span<const Word> words = Words());

}  // namespace qxhost

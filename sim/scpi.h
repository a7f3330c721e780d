// The instrument's text language, below the command table: how bytes become
// lines, how a line splits into header keywords and an argument, how a
// keyword matches its long or short form, and how numbers are read and
// written (never through the process locale).
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace qxsim::scpi {

// Lines end in "\r", "\n", "\r\n", "\r" NUL or NUL. A line longer than
// kMaxLine bytes is discarded whole, up to its terminator.
class LineAssembler {
 public:
  static constexpr std::size_t kMaxLine = 4096;

  // Calls sink(line, overlong) for every complete line, in order; an
  // over-long line arrives as an empty text with overlong set.
  template <typename Sink>
  void Push(std::string_view bytes, Sink&& sink) {
    for (char c : bytes) {
      if (afterCr_) {
        afterCr_ = false;
        if (c == '\n' || c == '\0') continue;  // the rest of "\r\n" or "\r" NUL
      }
      if (c == '\r' || c == '\n' || c == '\0') {
        sink(std::string_view(line_.data(), size_), overflow_);
        size_ = 0;
        overflow_ = false;
        afterCr_ = c == '\r';
      } else if (!overflow_) {
        if (size_ == kMaxLine) {
          overflow_ = true;
          size_ = 0;
        } else {
          line_[size_++] = c;
        }
      }
    }
  }
  // Bytes of an unfinished line are waiting.
  bool Pending() const { return size_ > 0 || overflow_; }
  void Reset();

 private:
  // Fixed, so taking a byte never allocates (the USB port takes one per call).
  std::array<char, kMaxLine> line_;
  std::size_t size_ = 0;
  bool overflow_ = false;
  bool afterCr_ = false;
};

// A line split into its parts: the header (its keywords joined by ':', the
// leading ':' and the trailing '?' removed), whether it is a query, and the
// argument text. The command table's lookup reads the keywords.
struct Line {
  std::string_view header;
  bool query = false;
  std::string_view argument;
};
// False when the header is empty.
bool Split(std::string_view text, Line& out);

// Keyword specs are written in mixed case, as instrument manuals print them:
// the long form is the whole word, the short form its capitals and digits
// ("CHANnel" matches CHANNEL and CHAN, "LEVelA" LEVELA and LEVA). Matching
// ignores case. A pattern ending in '#' takes a decimal suffix ("CHANnel#"
// matches CHANNEL1, chan2), returned through `suffix`.
bool MatchKeyword(std::string_view pattern, std::string_view token, int* suffix);

inline std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}
// A decimal number in NR1, NR2 or NR3 form ("5", "-0.25", "+2.0e-08"); the
// whole text must be the number and finite.
std::optional<double> ParseNumber(std::string_view text);
// A whole decimal number; no fraction, no exponent.
std::optional<long long> ParseInteger(std::string_view text);
// The shortest text that reads back as the same value.
std::string FormatFloat(float value);
std::string FormatDouble(double value);

}  // namespace qxsim::scpi

// The framework stand-ins: CString, locale-proof numbers, windows, Sleep and
// the USB panel with no device installed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>

#include "QxMsg.h"
#include "c_locale.h"
#include "support/fakes.h"
#include "usb_panel.h"

namespace {

std::string Letters(int n, int from = 0) {
  std::string s;
  for (int i = 0; i < n; ++i) s += static_cast<char>('a' + (from + i) % 26);
  return s;
}

TEST(CString, BuildsJoinsAndCompares) {
  CString empty, abc("abc"), part("abcdef", 2), none(nullptr);
  EXPECT_TRUE(empty.IsEmpty() && none.IsEmpty());
  EXPECT_EQ(abc.GetLength(), 3);
  EXPECT_STREQ(part, "ab");
  EXPECT_STREQ(abc + "de", "abcde");
  EXPECT_STREQ("x" + abc, "xabc");
  EXPECT_STREQ(abc + abc, "abcabc");
  EXPECT_TRUE(abc == CString("abc") && abc == "abc" && abc != "ab" && abc != CString("abd"));
  EXPECT_FALSE(abc == static_cast<const char*>(nullptr));
  abc += 'd';
  abc += "e";
  abc += CString("f");
  EXPECT_STREQ(abc, "abcdef");
  abc.Empty();
  EXPECT_TRUE(abc.IsEmpty());
  EXPECT_STREQ(abc, "");
}

TEST(CString, GrowsBeyondInlineBufferAndAppendsItself) {
  const std::string full = Letters(CString::kInlineCapacity);
  CString s(full.c_str());
  s += '!';  // 128 characters: leaves the inline buffer
  EXPECT_EQ(std::string(s), full + "!");
  s += s;
  EXPECT_EQ(std::string(s), full + "!" + full + "!");
  s += s.GetString() + 250;  // a tail of itself
  EXPECT_EQ(s.GetLength(), 256 + 6);
  CString small("ab");
  small += small;
  small += small.GetString() + 1;
  EXPECT_STREQ(small, "ababbab");

  const std::string big = Letters(1000, 3);
  CString copy(big.c_str()), moved(std::move(copy));
  EXPECT_EQ(std::string(moved), big);
  EXPECT_TRUE(copy.IsEmpty());
  CString target("short");
  target = std::move(moved);
  EXPECT_EQ(std::string(target), big);
  target = std::move(small);  // inline source into a heap target
  EXPECT_STREQ(target, "ababbab");
  target = target.GetString() + 2;  // assigned a part of itself
  EXPECT_STREQ(target, "abbab");
}

TEST(CString, FormatMatchesPrintfInTheCLocale) {
  const std::pair<const char*, double> rows[] = {
      {"%f", 0.5},         {"%f", -1234567.891}, {"%0.9f", 1e-9 / 3}, {"%0.8f", 2.5e-3},
      {"%.6e", -123456.0}, {"%4.2f", 100.0 / 3}, {"%.150f", 1.0 / 3}};
  for (const auto& [format, value] : rows) {
    char want[512];
    std::snprintf(want, sizeof want, format, value);
    CString s("previous");
    s.Format(format, value);
    EXPECT_STREQ(s, want) << format;
    EXPECT_EQ(s.GetLength(), static_cast<int>(std::strlen(want)));
  }
  const std::string longText = Letters(200);
  CString s;
  s.Format(":CHANNEL%d|%d%s", 1, -7, longText.c_str());
  EXPECT_EQ(std::string(s), ":CHANNEL1|-7" + longText);
  s.Format("%s%s", s.GetString(), "+");  // an argument may be the string itself
  EXPECT_EQ(std::string(s), ":CHANNEL1|-7" + longText + "+");
}

// Builds de_DE.UTF-8 (decimal comma) under the test binary's directory and
// returns it as the process locale; empty when it cannot be built.
std::string CommaDecimalLocale() {
  const auto dir = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "locales";
  const auto built = dir / "de_DE.UTF-8";
  if (!std::filesystem::exists(built / "LC_NUMERIC")) {
    const auto scratch = dir / ("build-" + std::to_string(::getpid()));
    std::filesystem::create_directories(scratch);
    const std::string command =
        "localedef -i de_DE -f UTF-8 '" + (scratch / "de_DE.UTF-8").string() + "' >/dev/null 2>&1";
    (void)std::system(command.c_str());  // warnings give a nonzero status; the files tell
    std::error_code ignored;
    std::filesystem::rename(scratch / "de_DE.UTF-8", built, ignored);  // another run may have won
    std::filesystem::remove_all(scratch, ignored);
  }
  ::setenv("LOCPATH", dir.c_str(), 1);
  const char* name = std::setlocale(LC_ALL, "de_DE.UTF-8");
  ::unsetenv("LOCPATH");
  return name ? name : "";
}

TEST(Locale, NumbersStayCUnderACommaDecimalLocale) {
  if (std::system("command -v localedef >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "localedef is not installed: no comma-decimal locale to test under";
  const std::string name = CommaDecimalLocale();
  ASSERT_FALSE(name.empty()) << "localedef could not build de_DE.UTF-8";
  struct Restore {
    ~Restore() { std::setlocale(LC_ALL, "C"); }
  } restore;
  char native[32];
  std::snprintf(native, sizeof native, "%f", 0.5);
  ASSERT_STREQ(native, "0,500000") << "the locale does not use a decimal comma";

  CString s;
  s.Format("%0.9f|%4.2f|%.6e", 3e-9, 2.25, 2e-8);
  EXPECT_STREQ(s, "0.000000003|2.25|2.000000e-08");
  GetTimeScaleString(s, 2e-8);
  EXPECT_STREQ(s, "2.000000e-08");
  EXPECT_EQ(qx::ParseDouble("2.5e-3", nullptr), 0.0025);
  char* end = nullptr;
  EXPECT_EQ(qx::ParseDouble("1.25,7", &end), 1.25);
  EXPECT_STREQ(end, ",7");
  EXPECT_EQ(qx::ParseLong("-42x", &end, 10), -42);
  std::snprintf(native, sizeof native, "%f", 0.5);
  EXPECT_STREQ(native, "0,500000");  // the host's own locale is left as it was
}

struct CountingWindow : CWnd {
  int calls = 0;
  LRESULT WindowProc(UINT message, WPARAM, LPARAM) override {
    ++calls;
    return message + 1;
  }
};

TEST(Window, IsWindowUntilDestroyedAndMessagesStillArrive) {
  CountingWindow w;
  EXPECT_TRUE(IsWindow(w.m_hWnd));
  EXPECT_EQ(w.SendMessage(5), 6);
  EXPECT_TRUE(w.DestroyWindow());
  EXPECT_FALSE(IsWindow(w.m_hWnd));
  EXPECT_FALSE(w.DestroyWindow());
  EXPECT_FALSE(IsWindow(nullptr));
  EXPECT_EQ(w.SendMessage(7, 1, 2), 8);  // no message loop: WindowProc still runs
  EXPECT_EQ(w.calls, 2);

  // A window built where a destroyed one lived does not revive the old handle.
  alignas(CountingWindow) unsigned char storage[sizeof(CountingWindow)];
  auto* first = new (storage) CountingWindow;
  const HWND old = first->m_hWnd;
  first->~CountingWindow();
  EXPECT_FALSE(IsWindow(old));
  auto* second = new (storage) CountingWindow;
  EXPECT_FALSE(IsWindow(old));
  EXPECT_TRUE(IsWindow(second->m_hWnd));
  second->~CountingWindow();
}

TEST(Sleep, HookRecordsAndNullRestoresRealSleep) {
  using Clock = std::chrono::steady_clock;
  qxtest::Sleeps().clear();
  QxSetSleepHook(&qxtest::RecordSleep);
  auto start = Clock::now();
  Sleep(10000);
  Sleep(3);
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(1));
  EXPECT_EQ(qxtest::Sleeps(), (std::vector<DWORD>{10000, 3}));
  QxSetSleepHook(nullptr);
  start = Clock::now();
  Sleep(1);
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(1));
  EXPECT_EQ(qxtest::Sleeps().size(), 2u);
}

// Installing a panel is what every USB test does; this is the one without.
TEST(PanelUsb, EveryCallFailsWithNoDeviceInstalled) {
  qxtest::ScriptedUsb scripted;
  QxSetPanelUsb(&scripted);
  QxSetPanelUsb(nullptr);
  QxPanelUsb& usb = qx::PanelUsb();
  BYTE buffer[8] = {};
  EXPECT_EQ(usb.UsbRead(1, 0, 1, buffer), 0);
  EXPECT_EQ(usb.UsbWriteByte(1, ':'), 0);
  EXPECT_EQ(usb.UsbRequest(1, 6, 0, 0, 0), 0);
  EXPECT_EQ(usb.UsbBlockRead(1, 8, buffer), 0);
  EXPECT_EQ(usb.UsbBlockWrite(1, 8, buffer), 0);
  EXPECT_TRUE(scripted.calls.empty());
}

}  // namespace

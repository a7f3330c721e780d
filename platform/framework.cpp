// The framework stand-ins: CString, CWnd and its window registry, Sleep.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <thread>
#include <unordered_set>
#include <utility>

#include "QxPlatform.h"
#include "c_locale.h"

// ---------------------------------------------------------------------------
// CString
// ---------------------------------------------------------------------------
CString::CString() noexcept : data_(inline_), length_(0), capacity_(kInlineCapacity) { inline_[0] = '\0'; }

CString::CString(const char* text) : CString() {
  Assign(text, text ? static_cast<int>(std::strlen(text)) : 0);
}

CString::CString(const char* text, int length) : CString() { Assign(text, text ? std::max(length, 0) : 0); }

CString::CString(const CString& other) : CString() { Assign(other.data_, other.length_); }

CString::CString(CString&& other) noexcept : CString() { *this = std::move(other); }

CString& CString::operator=(const CString& other) {
  if (this != &other) Assign(other.data_, other.length_);
  return *this;
}

CString& CString::operator=(CString&& other) noexcept {
  if (this == &other) return *this;
  if (other.data_ == other.inline_) {
    Assign(other.data_, other.length_);  // fits: our capacity is at least inline
  } else {
    if (data_ != inline_) delete[] data_;
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = other.inline_;
    other.capacity_ = kInlineCapacity;
  }
  other.length_ = 0;
  other.inline_[0] = '\0';
  return *this;
}

CString& CString::operator=(const char* text) {
  Assign(text, text ? static_cast<int>(std::strlen(text)) : 0);
  return *this;
}

CString::~CString() {
  if (data_ != inline_) delete[] data_;
}

void CString::Empty() noexcept {
  length_ = 0;
  data_[0] = '\0';
}

namespace {
// Whether `text` points into [begin, end]: a total order, so defined for unrelated pointers too.
bool PointsInto(const char* text, const char* begin, const char* end) {
  return !std::less<const char*>()(text, begin) && !std::less<const char*>()(end, text);
}
}  // namespace

void CString::Reserve(int capacity) {
  if (capacity <= capacity_) return;
  const int grown =
      capacity_ > std::numeric_limits<int>::max() / 2 ? capacity : std::max(capacity, capacity_ * 2);
  // Through operator new, so the benchmarks' allocation counter sees it.
  char* fresh = new char[static_cast<std::size_t>(grown) + 1];
  std::memcpy(fresh, data_, static_cast<std::size_t>(length_) + 1);
  if (data_ != inline_) delete[] data_;
  data_ = fresh;
  capacity_ = grown;
}

void CString::Assign(const char* text, int length) {
  if (PointsInto(text, data_, data_ + length_)) {  // self-assignment of a part
    std::memmove(data_, text, static_cast<std::size_t>(length));
  } else {
    Reserve(length);
    if (length) std::memcpy(data_, text, static_cast<std::size_t>(length));
  }
  length_ = length;
  data_[length_] = '\0';
}

void CString::Append(const char* text, int length) {
  if (length <= 0) return;
  if (length > std::numeric_limits<int>::max() - length_) throw std::bad_alloc();
  if (PointsInto(text, data_, data_ + length_)) {  // appending a part of itself
    CString copy(text, length);
    Append(copy.data_, copy.length_);
    return;
  }
  Reserve(length_ + length);
  std::memcpy(data_ + length_, text, static_cast<std::size_t>(length));
  length_ += length;
  data_[length_] = '\0';
}

CString& CString::operator+=(const CString& other) {
  Append(other.data_, other.length_);
  return *this;
}

CString& CString::operator+=(const char* text) {
  if (text) Append(text, static_cast<int>(std::strlen(text)));
  return *this;
}

CString& CString::operator+=(char c) {
  Append(&c, 1);
  return *this;
}

CString operator+(const CString& a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const CString& a, const char* b) {
  CString r(a);
  r += b;
  return r;
}

CString operator+(const char* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}

bool operator==(const CString& a, const CString& b) noexcept {
  return a.length_ == b.length_ && std::memcmp(a.data_, b.data_, static_cast<std::size_t>(a.length_)) == 0;
}

// The whole string counts: a text with a NUL inside is not the text before it.
bool operator==(const CString& a, const char* b) noexcept {
  return b && std::strlen(b) == static_cast<std::size_t>(a.length_) &&
         std::memcmp(a.data_, b, static_cast<std::size_t>(a.length_)) == 0;
}

// Formats into a scratch buffer first: an argument may be this string itself.
void CString::Format(const char* format, ...) {
  if (!format) {
    Empty();
    return;
  }
  qx::CLocaleScope c_locale;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  char local[kInlineCapacity + 1];
  const int needed = std::vsnprintf(local, sizeof local, format, args);
  va_end(args);
  if (needed < 0) {
    Empty();
  } else if (needed <= kInlineCapacity) {
    Assign(local, needed);
  } else {
    auto big = std::make_unique<char[]>(static_cast<std::size_t>(needed) + 1);
    std::vsnprintf(big.get(), static_cast<std::size_t>(needed) + 1, format, again);
    Assign(big.get(), needed);
  }
  va_end(again);
}

// ---------------------------------------------------------------------------
// Windows: every window gets a handle never given before, so the handle of a
// destroyed window stays dead even when a new window takes its object's
// address. The registry holds the handles of the windows not yet destroyed.
// ---------------------------------------------------------------------------
namespace {
std::unordered_set<HWND>& LiveWindows() {
  static std::unordered_set<HWND> live;
  return live;
}

HWND NewHandle() {
  static std::uintptr_t last = 0;
  return reinterpret_cast<HWND>(++last);
}
}  // namespace

CWnd::CWnd() : m_hWnd(NewHandle()) { LiveWindows().insert(m_hWnd); }

CWnd::~CWnd() { LiveWindows().erase(m_hWnd); }

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) { return 0; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return WindowProc(message, wParam, lParam);
}

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT, void*) { return id; }

BOOL CWnd::DestroyWindow() { return LiveWindows().erase(m_hWnd) ? TRUE : FALSE; }

BOOL IsWindow(HWND window) { return window && LiveWindows().count(window) ? TRUE : FALSE; }

// ---------------------------------------------------------------------------
// Sleep
// ---------------------------------------------------------------------------
namespace {
void (*g_sleep_hook)(DWORD) = nullptr;
}

void Sleep(DWORD ms) {
  if (g_sleep_hook) {
    g_sleep_hook(ms);
    return;
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

void QxSetSleepHook(void (*hook)(DWORD ms)) { g_sleep_hook = hook; }

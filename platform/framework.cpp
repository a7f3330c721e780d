// The framework stand-ins: CString, CWnd and its window registry, Sleep.
#include <algorithm>
#include <chrono>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>
#include <unordered_set>

#include "QxPlatform.h"
#include "c_locale.h"

// ---------------------------------------------------------------------------
// CString
// ---------------------------------------------------------------------------
CString::CString() noexcept : data_(inline_), length_(0), capacity_(kInlineCapacity) { inline_[0] = '\0'; }

CString::CString(const char* text) : CString() { Assign(text, text ? static_cast<int>(std::strlen(text)) : 0); }

CString::CString(const char* text, int length) : CString() { Assign(text, text ? std::max(length, 0) : 0); }

CString::CString(const CString& other) : CString() { Assign(other.data_, other.length_); }

CString::CString(CString&& other) noexcept : CString() {
  if (other.data_ == other.inline_) {
    std::memcpy(inline_, other.inline_, static_cast<std::size_t>(other.length_) + 1);
    length_ = other.length_;
  } else {
    data_ = other.data_;
    length_ = other.length_;
    capacity_ = other.capacity_;
    other.data_ = other.inline_;
    other.capacity_ = kInlineCapacity;
  }
  other.length_ = 0;
  other.inline_[0] = '\0';
}

CString& CString::operator=(const CString& other) {
  if (this != &other) Assign(other.data_, other.length_);
  return *this;
}

CString& CString::operator=(CString&& other) noexcept {
  if (this == &other) return *this;
  if (other.data_ == other.inline_) {
    Assign(other.data_, other.length_);  // fits: our capacity is at least inline
  } else {
    if (data_ != inline_) std::free(data_);
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
  if (data_ != inline_) std::free(data_);
}

void CString::Empty() noexcept {
  length_ = 0;
  data_[0] = '\0';
}

void CString::Reserve(int capacity) {
  if (capacity <= capacity_) return;
  int grown = std::max(capacity, capacity_ * 2);
  char* fresh = static_cast<char*>(std::malloc(static_cast<std::size_t>(grown) + 1));
  if (!fresh) throw std::bad_alloc();
  std::memcpy(fresh, data_, static_cast<std::size_t>(length_) + 1);
  if (data_ != inline_) std::free(data_);
  data_ = fresh;
  capacity_ = grown;
}

void CString::Assign(const char* text, int length) {
  if (text >= data_ && text <= data_ + length_) {  // self-assignment of a part
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
  if (text >= data_ && text <= data_ + length_) {  // appending a part of itself
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

bool operator==(const CString& a, const char* b) noexcept { return b && std::strcmp(a.data_, b) == 0; }

void CString::Format(const char* format, ...) {
  qx::CLocaleScope c_locale;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  int needed = std::vsnprintf(data_, static_cast<std::size_t>(capacity_) + 1, format, args);
  va_end(args);
  if (needed < 0) {
    Empty();
  } else if (needed > capacity_) {
    length_ = 0;
    data_[0] = '\0';
    Reserve(needed);
    std::vsnprintf(data_, static_cast<std::size_t>(capacity_) + 1, format, again);
    length_ = needed;
  } else {
    length_ = needed;
  }
  va_end(again);
}

// ---------------------------------------------------------------------------
// Windows: a handle is an address unique to the window object; the registry
// holds the handles of the windows that are alive and not destroyed.
// ---------------------------------------------------------------------------
namespace {
std::unordered_set<HWND>& LiveWindows() {
  static std::unordered_set<HWND> live;
  return live;
}
}  // namespace

CWnd::CWnd() : m_hWnd(reinterpret_cast<HWND>(this)) { LiveWindows().insert(m_hWnd); }

CWnd::~CWnd() { LiveWindows().erase(m_hWnd); }

LRESULT CWnd::WindowProc(UINT, WPARAM, LPARAM) { return 0; }

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) { return WindowProc(message, wParam, lParam); }

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

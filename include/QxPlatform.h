// Framework types the library and its hosts share: a small, portable
// stand-in for the handful of MFC and Windows names the instrument's command
// layer was designed around (strings, windows, points, rectangles, sockets,
// the USB panel and the sleep call that paces the link).
#pragma once

#include <cstddef>
#include <cstdint>

// ---------------------------------------------------------------------------
// Scalar types
// ---------------------------------------------------------------------------
using BYTE = std::uint8_t;
using UINT = unsigned int;
using DWORD = std::uint32_t;
using BOOL = int;
using UINT_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using LPCTSTR = const char*;
struct QxWindowHandle;
using HWND = QxWindowHandle*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// ---------------------------------------------------------------------------
// Points and rectangles: 32-bit host pixels, x right, y down
// ---------------------------------------------------------------------------
struct CPoint {
  std::int32_t x;
  std::int32_t y;
  CPoint() = default;
  constexpr CPoint(std::int32_t px, std::int32_t py) : x(px), y(py) {}
  friend constexpr bool operator==(const CPoint& a, const CPoint& b) { return a.x == b.x && a.y == b.y; }
  friend constexpr bool operator!=(const CPoint& a, const CPoint& b) { return !(a == b); }
};

struct CRect {
  std::int32_t left;
  std::int32_t top;
  std::int32_t right;
  std::int32_t bottom;
  CRect() = default;
  constexpr CRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b)
      : left(l), top(t), right(r), bottom(b) {}
  // Wraps as 32-bit pixels do instead of overflowing on extreme host rectangles.
  constexpr std::int32_t Width() const { return Span(left, right); }
  constexpr std::int32_t Height() const { return Span(top, bottom); }
  friend constexpr bool operator==(const CRect& a, const CRect& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
  }
  friend constexpr bool operator!=(const CRect& a, const CRect& b) { return !(a == b); }

 private:
  static constexpr std::int32_t Span(std::int32_t from, std::int32_t to) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(to) - static_cast<std::uint32_t>(from));
  }
};

// ---------------------------------------------------------------------------
// CString: an owned narrow string. Texts up to 127 characters (every command
// line the library builds) live inside the object, so building, copying and
// passing commands by value never touches the heap.
// Format() and every number the library parses use the "C" locale whatever
// locale the host process has set: the instrument always reads "0.500000".
// ---------------------------------------------------------------------------
class CString {
 public:
  CString() noexcept;
  CString(const char* text);  // NOLINT: implicit, as MFC
  CString(const char* text, int length);
  CString(const CString& other);
  CString(CString&& other) noexcept;
  CString& operator=(const CString& other);
  CString& operator=(CString&& other) noexcept;
  CString& operator=(const char* text);
  ~CString();

  int GetLength() const noexcept { return length_; }
  bool IsEmpty() const noexcept { return length_ == 0; }
  void Empty() noexcept;
  const char* GetString() const noexcept { return data_; }
  operator LPCTSTR() const noexcept { return data_; }  // NOLINT: implicit, as MFC
  char GetAt(int index) const noexcept { return data_[index]; }

  CString& operator+=(const CString& other);
  CString& operator+=(const char* text);
  CString& operator+=(char c);
  friend CString operator+(const CString& a, const CString& b);
  friend CString operator+(const CString& a, const char* b);
  friend CString operator+(const char* a, const CString& b);
  friend bool operator==(const CString& a, const CString& b) noexcept;
  friend bool operator==(const CString& a, const char* b) noexcept;
  friend bool operator!=(const CString& a, const CString& b) noexcept { return !(a == b); }
  friend bool operator!=(const CString& a, const char* b) noexcept { return !(a == b); }

  // printf rules in the "C" locale.
  void Format(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  static constexpr int kInlineCapacity = 127;

 private:
  void Assign(const char* text, int length);
  void Append(const char* text, int length);
  void Reserve(int capacity);

  char* data_;
  int length_;
  int capacity_;
  char inline_[kInlineCapacity + 1];
};

// ---------------------------------------------------------------------------
// Windows. A host derives from CWnd and overrides WindowProc; SendMessage
// calls it synchronously. IsWindow(m_hWnd) is true from construction until
// DestroyWindow (or destruction).
// ---------------------------------------------------------------------------
class CWnd {
 public:
  CWnd();
  virtual ~CWnd();
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  // The stand-in keeps no timers; hosts and tests override this to see them.
  virtual UINT_PTR SetTimer(UINT_PTR id, UINT elapseMs, void* proc);
  BOOL DestroyWindow();

  HWND m_hWnd;
};

BOOL IsWindow(HWND window);

// ---------------------------------------------------------------------------
// Waiting. Every wait of the library goes through Sleep; a hook replaces the
// real sleep (tests record the durations, the console shortens them against
// its embedded simulator). A null hook restores real sleeping.
// ---------------------------------------------------------------------------
void Sleep(DWORD ms);
void QxSetSleepHook(void (*hook)(DWORD ms));

// ---------------------------------------------------------------------------
// The LAN socket. Receive never blocks: it returns the count read (> 0), or
// -1 when nothing is available, when the peer has closed, or on any error;
// 0 only when asked for 0 bytes.
// ---------------------------------------------------------------------------
class CWinSocket {
 public:
  CWinSocket() = default;
  virtual ~CWinSocket() = default;
  virtual int Send(const char* data, int length);
  virtual int Receive(char* buffer, int length);
};

// A real TCP link to an instrument (TCP_NODELAY, non-blocking receive).
// Connect gives up after timeoutMs. Send writes every byte; when the link
// fails it returns the count written so far: 0 when nothing could go out
// because the peer has closed (a send after that returns 0 at once), -1
// with no connection at all. IsConnected turns false once the peer is seen
// to have closed.
class QxTcpSocket : public CWinSocket {
 public:
  QxTcpSocket() = default;
  ~QxTcpSocket() override;
  QxTcpSocket(const QxTcpSocket&) = delete;
  QxTcpSocket& operator=(const QxTcpSocket&) = delete;

  bool Connect(const char* host, unsigned short port, int timeoutMs);
  void Close();
  bool IsConnected() const;
  int Send(const char* data, int length) override;
  int Receive(char* buffer, int length) override;

 private:
  bool PeerClosed();

  int fd_ = -1;
  bool peerClosed_ = false;
};

// ---------------------------------------------------------------------------
// The USB link: the host's panel library exposes five calls by ordinal.
// Every default returns 0 (failure); with no device installed every USB call
// of the library fails.
// ---------------------------------------------------------------------------
struct QxPanelUsb {
  virtual ~QxPanelUsb() = default;
  virtual int UsbRead(UINT device, int phase, int count, BYTE* buffer);             // ordinal 1
  virtual int UsbWriteByte(UINT device, BYTE value);                                // ordinal 2
  virtual int UsbRequest(UINT device, int code, int param1, int param2, int zero);  // ordinal 3
  virtual int UsbBlockRead(UINT device, int size, BYTE* buffer);                    // ordinal 5
  virtual int UsbBlockWrite(UINT device, int size, const BYTE* buffer);             // ordinal 6
};

void QxSetPanelUsb(QxPanelUsb* device);

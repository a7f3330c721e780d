// qxmsg: the command layer of a PC-hosted digital storage oscilloscope.
//
// Read top to bottom, this header is the map of the library:
//   1. the settings records the host owns (_QX_SETUP, _QX_RGN_SETUP,
//      _QX_POS_SETUP) and the instrument's three setup blocks;
//   2. the IO command queue: message variable, post, take, process;
//   3. the command and control identifiers a host posts;
//   4. status messages and the window messages the host receives;
//   5. the transport to the instrument (LAN socket or USB panel);
//   6. system start and the setup-block translation;
//   7. change tracking, undo and the screen routines;
//   8. value validators;
//   9. the small queries other parts of a host use while drawing;
//  10. the fields of the records and of the setup blocks, described.
//
// Nothing here is thread-safe: one host thread calls everything.
#pragma once

#include <cstdint>

#include "QxPlatform.h"

// ===========================================================================
// 1. Records
// ===========================================================================
// All three records are the host's; the library borrows them from QxMsgInit
// on. They are laid out with 4-byte packing, so a 64-bit field may sit on a
// 4-byte boundary, exactly as the host that is built against this header.
#pragma pack(push, 4)

enum _QX_ACTIVE_CHANNEL : std::int32_t {
  ACTIVE_CH1 = 0,
  ACTIVE_CH2 = 1,
  ACTIVE_LA = 4,
  ACTIVE_MATH1 = 5,
  ACTIVE_MATH2 = 6,
  ACTIVE_MATH3 = 7,
  ACTIVE_MATH4 = 8,
  ACTIVE_NONE = 9,
};

enum _QX_TRIG_TYPE : std::int32_t {
  TRIG_EDGE = 0,
  TRIG_PULSE = 1,
  TRIG_SLOPE = 2,
  TRIG_VIDEO = 3,
  TRIG_ALTERNATION = 4,
  TRIG_PATTERN = 5,
  TRIG_DURATION = 6,
};

enum _QX_VIDEO_STANDARD : std::int32_t {
  VIDEO_NTSC = 0,
  VIDEO_PALSECAM = 1,
};

// The six cursor points of a window-marks block; value * 8 is the byte
// position of the point inside its block.
enum _QX_MOUSE : std::int32_t {
  MOUSE_CURSOR_XA = 31,
  MOUSE_CURSOR_XB = 32,
  MOUSE_CURSOR_YA = 33,
  MOUSE_CURSOR_YB = 34,
  MOUSE_TRACK_A = 35,
  MOUSE_TRACK_B = 36,
};

// Per-channel undo/redo pair: index 0 undo, 1 redo.
struct QxUndoChan {
  float Scale[2];
  float Offset[2];
};

// Every setting of the instrument as the user sees it. Fields named ...AtStop
// describe the held (stopped) trace. Enumerated fields are stored as 32-bit
// integers holding the values of the enumeration named in the comment.
struct _QX_SETUP {
  // --- State, interface and host flags
  BYTE RunState;               // 1 acquiring, 0 stopped
  std::int32_t ActiveChannel;  // _QX_ACTIVE_CHANNEL
  UINT InterfaceType;          // 1 LAN socket, 0 USB
  float TimeScaleLimit;        // smallest time/div, seconds (host-set)
  BYTE ChangeSettingPending;
  BYTE HoldMarkers;
  BYTE RefreshFlag;
  BYTE Connected;
  UINT UsbDevice;
  BYTE AutoFlag0;
  BYTE AutoFlag1;

  // --- Analog channels: [0] CH1, [1] CH2
  BYTE ChanDisplay[2];
  float ChanScale[2];            // volts/div, probe included
  float ChanOffset[2];           // volts
  std::int32_t ChanCoupling[2];  // 1 AC, else DC
  float ChanProbe[2];
  BYTE ChanBWLimit[2];
  std::int32_t ChanUnit[2];
  char ChanUnitText[2][8];
  BYTE ChanInvert[2];
  std::int32_t ChanImpedance[2];  // 1 50 ohm, else 1 Mohm
  BYTE ChanStopWave[2];
  float ChanScaleAtStop[2];
  float ChanOffsetAtStop[2];
  BYTE ChanInvertAtStop[2];

  // --- Math slots, digital filters and FFT: [0..3] math slot
  BYTE MathDisplay[4];
  std::int32_t MathIndex[4];
  std::int32_t MathOperator[4];  // 0 ADD, 1 SUBTRACT, 2 MULTIPLE, 3 FFT, 4 FILTER
  std::int32_t MathSourceA[4];
  std::int32_t MathSourceB[4];
  float MathOffset[4];
  float MathScale[4];
  std::int32_t MathScaleIndex[4];
  BYTE MathInvert[4];
  char MathUnitText[4][8];
  BYTE MathDisplayAtStop[4];
  BYTE ChanFilter[4];
  std::int32_t ChanFilterType[4];  // 0 LOWPASS, 1 HIGHPASS, 2 BANDPASS, 3 BANDREJECT
  float ChanFilterUpper[4];
  float ChanFilterLower[4];
  std::int32_t MathFilterSource[4];
  std::int32_t MathFilterSourcePrev[4];
  std::int32_t FFTSource[4];
  std::int32_t FFTWindow[4];
  std::int32_t FFTVertUnit[4];  // 0 Vrms, 1 dBVrms
  std::int32_t FFTZoomCode[4];  // 1..7
  float FFTVrmsOffset[4];
  float FFTVrmsScale[4];
  std::int32_t FFTVrmsScaleIndex[4];
  float FFTDbOffset[4];
  float FFTDbScale[4];
  float FFTTimeOffset[4];
  float FFTTimeScale[4];
  float FFTTimeOffsetDiv[4];
  BYTE FFTFullScreen;

  // --- Reference waveforms: [0..3]
  BYTE RefDisplay[4];
  std::int32_t RefSource[4];  // 0 CH1, 1 CH2, 2..5 math slot 0..3
  std::int32_t RefOption[4];
  std::int32_t RefOperator[4];
  std::int32_t RefFFTVertUnit[4];
  std::int32_t RefFFTZoomCode[4];
  float RefFFTOffset[4];
  UINT RefMemDepth[4];
  float RefSampleRate[4];
  float RefOffset[4];
  float RefScale[4];
  double RefTimeOffset[4];
  double RefTimeScale[4];
  double RefTimeOffset2[4];
  double RefTimeScale2[4];
  std::int64_t RefTimeOffsetPs[4];
  std::int64_t RefTimeScalePs[4];
  std::int64_t RefTimeOffset2Ps[4];
  std::int64_t RefTimeScale2Ps[4];
  BYTE RefSaved[4];
  std::int16_t RefShift;  // units of 20 ps

  // --- Logic analyzer: [0..15] D0..D15
  BYTE LaEnable;
  BYTE LaChanDisplay[16];
  std::int32_t LaThresholdType;  // TTL, CMOS, ECL, USER
  float LaThreshold;
  float LaUserThreshold;
  BYTE LaGroup1;
  BYTE LaGroup2;
  std::int32_t LaSize;
  float LaTraceSpan;
  std::int32_t LaTraceSpanInner;
  float LaChanPos[16];
  BYTE LaEnableAtStop;

  // --- Timebase: seconds for display, picoseconds as the master copy
  BYTE DelayedOn;
  BYTE RollOn;
  BYTE RollOnAtStop;
  std::int32_t TimeFormat;  // 0 YT, 1 XY, 2 ROLLING
  double TimeOffset;
  double TimeScale;
  double DelayedOffset;
  double DelayedScale;
  double TimeOffsetAtStop;
  double TimeScaleAtStop;
  double DelayedOffsetAtStop;
  double DelayedScaleAtStop;
  std::int64_t TimeOffsetPs;
  std::int64_t TimeScalePs;
  std::int64_t DelayedOffsetPs;
  std::int64_t DelayedScalePs;
  std::int64_t TimeOffsetPsAtStop;
  std::int64_t TimeScalePsAtStop;
  std::int64_t DelayedOffsetPsAtStop;
  std::int64_t DelayedScalePsAtStop;

  // --- Cursors
  std::int32_t CursorMode;  // 0 off, 1 manual, 2 track, 3
  std::int32_t CursorXSource;
  std::int32_t CursorYSource;
  float CursorXA;
  float CursorXB;
  float CursorYA;
  float CursorYB;
  std::int32_t TrackSourceA;
  std::int32_t TrackSourceB;
  float TrackXA;
  float TrackXB;
  BYTE CursorXOn;
  BYTE CursorYOn;
  BYTE TrackAOn;
  BYTE TrackBOn;

  // --- Acquisition
  std::int32_t AcqType;  // 0 NORMAL, 1 AVERAGE, 2 PEAKDETECT
  BYTE AcqMode;          // 1 RTIME, 0 ETIME
  UINT AcqAverages;
  BYTE AcqMemFull;
  UINT AcqMemDepth;
  float AcqSampleRate;
  float AcqSampleRate2;
  float AcqSampleRateAtStop;
  float AcqSampleRate2AtStop;
  UINT AcqMemDepthAtStop;

  // --- Measurement
  BYTE MeasureAll;
  BYTE MeasureOn;
  std::int32_t MeasureSource[20];
  std::int32_t MeasureType[20];
  std::int32_t MeasureCount;
  std::int32_t MeasureSelected;

  // --- Display
  BYTE DispType;  // 1 DOTS, 0 VECTORS
  BYTE DispTypeSaved;
  BYTE DispGrid;
  BYTE DispFlag;
  float DispWaveIntensity;
  float DispGridIntensity;
  UINT DispGridColor;
  BYTE DispLock;

  // --- Trigger
  std::int32_t TrigType;    // _QX_TRIG_TYPE
  std::int32_t TrigStatus;  // 0 RUN, 1 STOP, 2 and 3 reported states, 4 AUTO
  float TrigHoldoff;
  std::int32_t TrigSweep;
  float TrigSensitivity;
  std::int32_t TrigCoupling;
  BYTE TrigLevelShown;
  std::int32_t TrigEdgeSlope;
  std::int32_t TrigEdgeSource;
  float TrigEdgeLevel;
  std::int32_t TrigPulseWhen;
  double TrigPulseWidth;
  std::int32_t TrigPulseSource;
  float TrigPulseLevel;
  std::int32_t TrigVideoPolarity;
  std::int32_t TrigVideoSource;
  std::int32_t TrigVideoSync;
  std::int32_t TrigVideoStandard;  // _QX_VIDEO_STANDARD
  std::int32_t TrigVideoLine;
  float TrigVideoLevel;
  std::int32_t TrigSlopeWhen;
  std::int32_t TrigSlopeSource;
  double TrigSlopeTime;
  float TrigSlopeLevelA;
  float TrigSlopeLevelB;
  std::int32_t TrigPattern[16];
  std::int32_t TrigDuration[16];
  std::int32_t TrigDurationQualifier;
  double TrigDurationTime;

  // --- Alternate trigger: [0] CH1, [1] CH2
  std::int32_t AltSource;
  std::int32_t AltTrigType[2];
  double AltHoldoff[2];
  float AltSensitivity[2];
  std::int32_t AltCoupling[2];
  UINT AltMemDepth[2];
  double AltTimeScale[2];
  double AltTimeOffset[2];
  std::int64_t AltTimeScalePs[2];
  std::int64_t AltTimeOffsetPs[2];
  float AltSampleRate[2];
  float AltSampleRate2[2];
  double AltTimeScaleAtStop[2];
  double AltTimeOffsetAtStop[2];
  std::int64_t AltTimeScalePsAtStop[2];
  std::int64_t AltTimeOffsetPsAtStop[2];
  float AltSampleRateAtStop[2];
  float AltSampleRate2AtStop[2];
  float AltEdgeLevel[2];
  std::int32_t AltEdgeSlope[2];
  float AltPulseLevel[2];
  std::int32_t AltPulseWhen[2];
  double AltPulseWidth[2];
  std::int32_t AltVideoPolarity[2];
  std::int32_t AltVideoSync[2];
  std::int32_t AltVideoStandard[2];
  float AltVideoLevel[2];
  std::uint16_t AltVideoLine[2];
  std::int32_t AltSlopeWhen[2];
  double AltSlopeTime[2];
  float AltSlopeLevelA[2];
  float AltSlopeLevelB[2];

  // --- Pass/fail test
  BYTE PassFailOn;
  std::int32_t PassFailSource;
  BYTE PassFailRun;
  BYTE PassFailFlag2;
  std::int32_t PassFailCount[3];
  std::int32_t PassFailOption;
  BYTE PassFailFlag1;
  float PassFailHorizRange;
  float PassFailVertRange;
  BYTE PassFailDisplay;

  // --- Record and playback
  std::int32_t RecordState;  // 0 idle, 1 recording, 2 playing, 3 paused
  std::int32_t RecordSource;
  float RecordInterval;
  std::int32_t RecordCurFrame;
  UINT RecordEndFrame;
  BYTE Recording;
  BYTE RecordDataValid;
  std::int32_t PlaySource;
  BYTE PlayRunning;
  BYTE PlayContinue;
  float PlayInterval;
  std::int32_t PlayStartFrame;
  std::int32_t PlayEndFrame;
  std::int32_t PlayCurFrame;
  std::int32_t PlayMode;
  char RecordFilePath[260];

  // --- Self-calibration, undo and redo: index 0 undo, 1 redo
  BYTE SelfCalEnable;
  BYTE UndoUsed;
  QxUndoChan UndoChan[2];
  double UndoTimeScale[2];
  double UndoTimeOffset[2];
  double UndoDelayedScale[2];
  double UndoDelayedOffset[2];
  double UndoAltTimeOffset[2][2];  // [undo/redo][channel]
  double UndoAltTimeScale[2][2];   // [undo/redo][channel]

  // --- Network interface and status text
  BYTE LanDhcp;
  std::int32_t LanPort;
  char LanIp[16];
  char LanGateway[16];
  char LanNetmask[16];
  char LanMac[18];
  char LanIpAtStart[16];
  std::int32_t LanPortAtStart;
  char ErrorText[64];
};

// Screen geometry. The host writes the rectangles and TrigMarkRef2; the
// library computes every marker point and raises the redraw requests.
// Each window-marks block (main, upper, lower) is 37 points: the offset
// markers, the trigger markers, two host-owned points, then the six cursor
// points at byte v * 8 of the block for _QX_MOUSE value v.
struct _QX_RGN_SETUP {
  BYTE RedrawScreen;
  BYTE RedrawFlag1;
  BYTE RedrawFlag2;
  BYTE RedrawFlag3;
  BYTE RedrawFlag4;
  BYTE RefreshWave;
  BYTE TrigLevelLineOn;
  BYTE CursorShown;
  BYTE RedrawMeasure;
  BYTE ErrorShown;
  BYTE ErrorPending;
  BYTE ClearUsbPending;
  BYTE CmdBusy;
  std::int32_t ActiveWindow;

  // main window marks
  CPoint ChanOffsetPtMain[2];
  CPoint MathOffsetPtMain[4];
  CPoint RefOffsetPtMain[4];
  CPoint LaOffsetPtMain[16];
  CPoint TrigLevelPtMain[2];
  CPoint TrigMarkMain;
  CPoint HostPtMain[2];
  CPoint CursorXAPtMain;
  CPoint CursorXBPtMain;
  CPoint CursorYAPtMain;
  CPoint CursorYBPtMain;
  CPoint TrackAPtMain;
  CPoint TrackBPtMain;

  // upper window marks
  CPoint ChanOffsetPtUpper[2];
  CPoint MathOffsetPtUpper[4];
  CPoint RefOffsetPtUpper[4];
  CPoint LaOffsetPtUpper[16];
  CPoint TrigLevelPtUpper[2];
  CPoint TrigMarkUpper;
  CPoint HostPtUpper[2];
  CPoint CursorXAPtUpper;
  CPoint CursorXBPtUpper;
  CPoint CursorYAPtUpper;
  CPoint CursorYBPtUpper;
  CPoint TrackAPtUpper;
  CPoint TrackBPtUpper;

  // lower window marks
  CPoint ChanOffsetPtLower[2];
  CPoint MathOffsetPtLower[4];
  CPoint RefOffsetPtLower[4];
  CPoint LaOffsetPtLower[16];
  CPoint TrigLevelPtLower[2];
  CPoint TrigMarkLower;
  CPoint HostPtLower[2];
  CPoint CursorXAPtLower;
  CPoint CursorXBPtLower;
  CPoint CursorYAPtLower;
  CPoint CursorYBPtLower;
  CPoint TrackAPtLower;
  CPoint TrackBPtLower;

  CPoint TrigMarkRef;
  CPoint TrigMarkRef2;
  std::int32_t UpperHeightRatio;  // fiftieths of the main window height
  std::int32_t LowerHeightRatio;
  CRect DelayedRect;
  CRect MainWaveRect;
  CRect UpperWaveRect;
  CRect LowerWaveRect;
};

// Which samples of the acquisition memory are drawn at which pixels.
struct ScreenWindow {
  std::int32_t FirstPoint;
  std::int32_t LastPoint;
  std::int32_t FirstX;
  std::int32_t LastX;
  std::int32_t ClipFirstX;
  std::int32_t ClipLastX;
  std::int32_t PointShift;  // input written by the host
};

enum : int {
  POS_MAIN = 0,
  POS_DELAYED = 1,
  POS_LA = 2,
  POS_LA_DELAYED = 3,
  POS_REF0 = 4,  // reference r at POS_REF0 + 2 * r
  POS_ALT_CH1 = 12,
  POS_ALT_CH2 = 13,
  POS_WINDOW_COUNT = 14,
};

struct _QX_POS_SETUP {
  ScreenWindow Window[POS_WINDOW_COUNT];
};

// The instrument's binary setup blocks, byte for byte as on the wire.
struct DSO_SETUP {
  BYTE Bytes[780];
};
struct _QX_LA_SETUP {
  BYTE Bytes[260];
};
struct DSO_ALT_SETUP {
  BYTE Bytes[396];
};

#pragma pack(pop)

// What is fixed about the layout: the host is compiled against the same
// declarations, so any drift here is a silent corruption there.
#include <cstddef>
#include <type_traits>
static_assert(sizeof(CPoint) == 8 && sizeof(CRect) == 16);
static_assert(sizeof(DSO_SETUP) == 780 && sizeof(_QX_LA_SETUP) == 260 && sizeof(DSO_ALT_SETUP) == 396);
static_assert(alignof(_QX_SETUP) == 4 && alignof(_QX_RGN_SETUP) == 4);
// 64-bit fields sit on 4-byte boundaries: no padding after a 32-bit field.
static_assert(offsetof(_QX_SETUP, TimeOffset) == offsetof(_QX_SETUP, TimeFormat) + 4);
static_assert(std::is_same_v<decltype(_QX_SETUP::ChanScale), float[2]>);
static_assert(std::is_same_v<decltype(_QX_SETUP::TimeScale), double>);
static_assert(std::is_same_v<decltype(_QX_SETUP::TimeScalePs), std::int64_t>);
static_assert(std::is_same_v<decltype(_QX_SETUP::AcqAverages), UINT> && sizeof(UINT) == 4);
static_assert(std::is_same_v<decltype(_QX_SETUP::AltVideoLine), std::uint16_t[2]>);
static_assert(std::is_same_v<decltype(_QX_SETUP::RefShift), std::int16_t>);
static_assert(std::is_same_v<decltype(_QX_SETUP::UndoAltTimeScale), double[2][2]>);
static_assert(sizeof(QxUndoChan) == 16);
static_assert(sizeof(_QX_SETUP::ErrorText) >= 44 && sizeof(_QX_SETUP::RecordFilePath) >= 260);
static_assert(sizeof(_QX_SETUP::LanMac) == 18 && sizeof(_QX_SETUP::LanIp) == 16);
static_assert(sizeof(_QX_ACTIVE_CHANNEL) == 4 && sizeof(_QX_TRIG_TYPE) == 4 && sizeof(_QX_MOUSE) == 4);
// Window-marks blocks: 37 points each, cursor point v at byte v * 8.
constexpr std::size_t kQxMarksBlockBytes = 37 * sizeof(CPoint);
static_assert(offsetof(_QX_RGN_SETUP, ChanOffsetPtUpper) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              kQxMarksBlockBytes);
static_assert(offsetof(_QX_RGN_SETUP, ChanOffsetPtLower) - offsetof(_QX_RGN_SETUP, ChanOffsetPtUpper) ==
              kQxMarksBlockBytes);
static_assert(offsetof(_QX_RGN_SETUP, TrigMarkRef) - offsetof(_QX_RGN_SETUP, ChanOffsetPtLower) ==
              kQxMarksBlockBytes);
static_assert(offsetof(_QX_RGN_SETUP, TrigMarkMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) == 224);
static_assert(offsetof(_QX_RGN_SETUP, CursorXAPtMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              MOUSE_CURSOR_XA * 8);
static_assert(offsetof(_QX_RGN_SETUP, CursorXBPtMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              MOUSE_CURSOR_XB * 8);
static_assert(offsetof(_QX_RGN_SETUP, CursorYAPtMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              MOUSE_CURSOR_YA * 8);
static_assert(offsetof(_QX_RGN_SETUP, CursorYBPtMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              MOUSE_CURSOR_YB * 8);
static_assert(offsetof(_QX_RGN_SETUP, TrackAPtMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              MOUSE_TRACK_A * 8);
static_assert(offsetof(_QX_RGN_SETUP, TrackBPtMain) - offsetof(_QX_RGN_SETUP, ChanOffsetPtMain) ==
              MOUSE_TRACK_B * 8);
static_assert(sizeof(ScreenWindow) == 7 * 4 && sizeof(_QX_POS_SETUP) == 14 * sizeof(ScreenWindow));

// ===========================================================================
// 2. IO command queue
// ===========================================================================
// The typeless message variable that travels with a posted command: two
// 32-bit words, low and high.
struct MsgVar {
  DWORD Low;
  DWORD High;
};

// One queued user action. The window words (and Value, which may carry an
// address) are pointer-sized on a 64-bit build.
struct IOCmdSlot {
  UINT CmdId;
  UINT CtrlId;
  long Value;
  CWnd* Wnd1;
  CWnd* Wnd2;
  CWnd* Wnd3;
  DWORD MsgVarLow;
  DWORD MsgVarHigh;
};
static_assert(sizeof(MsgVar) == 8);
static_assert(sizeof(IOCmdSlot) == 2 * sizeof(UINT) + sizeof(long) + 3 * sizeof(CWnd*) + 2 * sizeof(DWORD),
              "a queue slot is eight words in the documented order");

// Hands the library the host's objects and empties the queue. May be called
// again at any time to start over.
void QxMsgInit(CWnd* mainWnd, _QX_SETUP* setup, _QX_RGN_SETUP* rgn, _QX_POS_SETUP* pos, CWinSocket* socket);

// Each setter writes only the bytes of its own type into the message variable.
void SetMsgVarbool(bool value);
void SetMsgVarInt(int value);
void SetMsgVarLong(long value);
void SetMsgVarUINT(unsigned int value);
void SetMsgVarULong(unsigned long value);
void SetMsgVarfloat(float value);
void SetMsgVarDouble(double value);
void SetMsgVarLONG64(std::int64_t value);

// Appends one command with the current message variable; false when the
// queue (255 pending commands) is full, or for a command id of 0 or one
// wider than 32 bits. A refused post changes nothing.
bool QxPostIOCmd(unsigned long cmdId, unsigned int ctrlId, long value, CWnd* wnd1, CWnd* wnd2, CWnd* wnd3);
// Takes the oldest pending command: its CmdId, or 0 when the queue is empty.
long GetIOCmd();
// Runs the command just taken, after collapsing identical followers.
void IOCmdProcess();

// ===========================================================================
// 3. Command and control identifiers
// ===========================================================================
constexpr unsigned long CMD_CURSOR_MODE = 0x889;
constexpr unsigned long CMD_SELFCAL = 0x9E0;
constexpr unsigned long CMD_MISC = 0xC34;
constexpr unsigned long CMD_RUN_CONTROL = 0xC35;
constexpr unsigned long CMD_CHANNEL = 0xC3F;
constexpr unsigned long CMD_MATH = 0xC40;
constexpr unsigned long CMD_REF = 0xC41;
constexpr unsigned long CMD_DIGITAL = 0xC42;
constexpr unsigned long CMD_TIMEBASE = 0xC43;
constexpr unsigned long CMD_TRIGGER = 0xC44;
constexpr unsigned long CMD_ACQUIRE = 0xC45;
constexpr unsigned long CMD_DISPLAY = 0xC46;
constexpr unsigned long CMD_CURSOR_MANUAL = 0xC47;
constexpr unsigned long CMD_CURSOR_TRACK = 0xC48;
constexpr unsigned long CMD_PASS_FAIL = 0xC49;
constexpr unsigned long CMD_RECORD = 0xC4A;
constexpr unsigned long CMD_MEASURE = 0xC4B;
constexpr unsigned long CMD_INTERFACE = 0xC4D;
constexpr unsigned long CMD_APPLY_VIEW = 0x11AC;

// Cursor mode (CMD_CURSOR_MODE) and miscellaneous (CMD_MISC) controls.
constexpr unsigned int CTL_CURSOR_OFF = 0x88A;
constexpr unsigned int CTL_CURSOR_MODE3 = 0x88B;
constexpr unsigned int CTL_CURSOR_MANUAL = 0x88C;
constexpr unsigned int CTL_CURSOR_TRACK = 0x88D;
constexpr unsigned int CTL_MISC_XY_REFUSED = 0xC9E;
constexpr unsigned int CTL_MISC_CURSOR_MANUAL = 0xCA1;
constexpr unsigned int CTL_MISC_CURSOR_TRACK = 0xCA2;
// Views the host edited in the records itself (CMD_APPLY_VIEW).
constexpr unsigned int CTL_APPLY_OFFSETS = 0x11AD;
constexpr unsigned int CTL_APPLY_SCALES = 0x11AE;
// The control id with which the host is told that a status message waits.
constexpr unsigned int CTL_STATUS_MESSAGE = 0x1148;
// The control id with which the host is told that a setting changed while
// the instrument runs (see SetChangeSetting).
constexpr unsigned int CTL_SETTING_CHANGED = 0x115C;

// Acquire (CMD_ACQUIRE).
constexpr unsigned int CTL_ACQ_TYPE = 0x6BD;
constexpr unsigned int CTL_ACQ_MODE = 0x6C7;
constexpr unsigned int CTL_ACQ_AVERAGES = 0x6D1;
constexpr unsigned int CTL_ACQ_MEMORY = 0x6DB;
constexpr unsigned int CTL_ACQ_SAMPLE_RATE = 0x6E5;
constexpr unsigned int CTL_ACQ_SAMPLE_RATE2 = 0x6EF;

// Interface settings (CMD_INTERFACE).
constexpr unsigned int CTL_IF_SELECT = 0xB0C;
constexpr unsigned int CTL_LAN_DHCP = 0xB0E;
constexpr unsigned int CTL_LAN_APPLY = 0xB0F;

// The controls of the channels (CMD_CHANNEL, 0x465..0x4A1), math
// (CMD_MATH, 0x48D..0x537), references (CMD_REF, 0x591..0x5CD), the logic
// analyzer (CMD_DIGITAL, 0x5F5..0x61E), display (CMD_DISPLAY), pass/fail
// (CMD_PASS_FAIL), record and playback (CMD_RECORD) and measure
// (CMD_MEASURE) are posted by number. QxGetControlInfo tells a host how each
// reads its message variable and which slot its value names.

// Timebase (CMD_TIMEBASE).
constexpr unsigned int CTL_TIMEBASE_MODE = 0x659;
constexpr unsigned int CTL_TIMEBASE_FORMAT = 0x65A;
constexpr unsigned int CTL_TIMEBASE_OFFSET = 0x663;
constexpr unsigned int CTL_TIMEBASE_SCALE = 0x66D;
constexpr unsigned int CTL_DELAYED_OFFSET = 0x677;
constexpr unsigned int CTL_DELAYED_SCALE = 0x681;
constexpr unsigned int CTL_TIMEBASE_REFRESH = 0x695;
// The time base the alternate trigger keeps per channel (value: 0 CH1, 1 CH2).
constexpr unsigned int CTL_ALT_TIMESCALE = 0x7DF;
constexpr unsigned int CTL_ALT_TIMEOFFSET = 0x7E9;

// Trigger (CMD_TRIGGER).
constexpr unsigned int CTL_TRIG_TYPE = 0x721;
constexpr unsigned int CTL_TRIG_SWEEP = 0x723;
constexpr unsigned int CTL_TRIG_COUPLING = 0x724;
constexpr unsigned int CTL_TRIG_SENSITIVITY = 0x725;
constexpr unsigned int CTL_TRIG_HOLDOFF = 0x735;
constexpr unsigned int CTL_EDGE_SLOPE = 0x73F;
constexpr unsigned int CTL_EDGE_SOURCE = 0x740;
constexpr unsigned int CTL_EDGE_LEVEL = 0x749;
constexpr unsigned int CTL_PULSE_SOURCE = 0x753;
constexpr unsigned int CTL_PULSE_MODE = 0x754;
constexpr unsigned int CTL_PULSE_LEVEL = 0x75D;
constexpr unsigned int CTL_PULSE_WIDTH = 0x767;
constexpr unsigned int CTL_VIDEO_SOURCE = 0x771;
constexpr unsigned int CTL_VIDEO_POLARITY = 0x772;
constexpr unsigned int CTL_VIDEO_MODE = 0x773;
constexpr unsigned int CTL_VIDEO_STANDARD = 0x774;
constexpr unsigned int CTL_VIDEO_LEVEL = 0x77B;
constexpr unsigned int CTL_VIDEO_LINE = 0x785;
constexpr unsigned int CTL_SLOPE_SOURCE = 0x78F;
constexpr unsigned int CTL_SLOPE_MODE = 0x790;
constexpr unsigned int CTL_SLOPE_LEVELA = 0x799;
constexpr unsigned int CTL_SLOPE_LEVELB = 0x7A3;
constexpr unsigned int CTL_SLOPE_TIME = 0x7AD;
// Pattern and duration triggers over D0..D15: the slot value is the digital
// channel (bit control) or the group of eight (group control).
constexpr unsigned int CTL_PATTERN_BIT = 0x7B7;
constexpr unsigned int CTL_PATTERN_GROUP = 0x7B8;
constexpr unsigned int CTL_DURATION_QUALIFIER = 0x7C2;
constexpr unsigned int CTL_DURATION_TIME = 0x7CB;
// Alternate trigger: the slot value is the channel (0 CH1, 1 CH2), except
// for the source.
constexpr unsigned int CTL_ALT_SOURCE = 0x7D5;
constexpr unsigned int CTL_ALT_TYPE = 0x7D6;
constexpr unsigned int CTL_ALT_SENSITIVITY = 0x7D9;
constexpr unsigned int CTL_ALT_HOLDOFF = 0x7DA;
constexpr unsigned int CTL_ALT_COUPLING = 0x7DB;
constexpr unsigned int CTL_ALT_EDGE_SLOPE = 0x7F3;
constexpr unsigned int CTL_ALT_EDGE_LEVEL = 0x7FD;
constexpr unsigned int CTL_ALT_PULSE_MODE = 0x807;
constexpr unsigned int CTL_ALT_PULSE_LEVEL = 0x811;
constexpr unsigned int CTL_ALT_PULSE_WIDTH = 0x81B;
constexpr unsigned int CTL_ALT_SLOPE_MODE = 0x825;
constexpr unsigned int CTL_ALT_SLOPE_TIME = 0x82F;
constexpr unsigned int CTL_ALT_SLOPE_LEVELA = 0x839;
constexpr unsigned int CTL_ALT_SLOPE_LEVELB = 0x843;
constexpr unsigned int CTL_ALT_VIDEO_POLARITY = 0x84D;
constexpr unsigned int CTL_ALT_VIDEO_STANDARD = 0x84E;
constexpr unsigned int CTL_ALT_VIDEO_MODE = 0x84F;
constexpr unsigned int CTL_ALT_VIDEO_LINE = 0x857;
constexpr unsigned int CTL_ALT_VIDEO_LEVEL = 0x861;

// Run control (CMD_RUN_CONTROL).
constexpr unsigned int CTL_AUTO = 0x101D;
constexpr unsigned int CTL_RUN = 0x101E;
constexpr unsigned int CTL_STOP = 0x101F;
constexpr unsigned int CTL_RUN_STATE2 = 0x1020;  // the host reports acquisition state 2
constexpr unsigned int CTL_RUN_STATE3 = 0x1021;  // the host reports acquisition state 3
constexpr unsigned int CTL_DEFAULT = 0x1026;
constexpr unsigned int CTL_CLEAR_COMMAND = 0x1080;

// Cursors (CMD_CURSOR_MANUAL, CMD_CURSOR_TRACK).
constexpr unsigned int CTL_CURSOR_X_SOURCE = 0x893;
constexpr unsigned int CTL_CURSOR_Y_SOURCE = 0x894;
constexpr unsigned int CTL_CURSOR_X_POS = 0x89D;  // value 0 cursor A, 1 B
constexpr unsigned int CTL_CURSOR_X_ON = 0x8A7;
constexpr unsigned int CTL_CURSOR_Y_POS = 0x8B1;  // value 0 cursor A, else B
constexpr unsigned int CTL_CURSOR_Y_ON = 0x8BB;
constexpr unsigned int CTL_TRACK_A_SOURCE = 0x8C5;
constexpr unsigned int CTL_TRACK_B_SOURCE = 0x8C6;
constexpr unsigned int CTL_TRACK_POS = 0x8CF;  // value 0 cursor A, else B
constexpr unsigned int CTL_TRACK_ON = 0x8D0;   // value 0 cursor A, 1 B

// What the library knows of a control: how it reads the message variable,
// what the command's slot value names, and whether its line reaches the
// instrument. Consoles and bindings take a control's type from here.
enum QxVarType { QX_VAR_NONE, QX_VAR_BOOL, QX_VAR_BYTE, QX_VAR_INT, QX_VAR_UINT, QX_VAR_FLOAT, QX_VAR_DOUBLE,
                 QX_VAR_INT64 };
enum QxSlotKind { QX_SLOT_NONE, QX_SLOT_CHANNEL, QX_SLOT_MATH, QX_SLOT_REF, QX_SLOT_DIGITAL, QX_SLOT_GROUP,
                  QX_SLOT_ALT_CHANNEL };
struct QxControlInfo {
  QxVarType varType;
  QxSlotKind slot;
  int slotCount;             // valid slot values 0..slotCount-1 (a channel takes 0 and 1)
  bool reachesInstrument;    // the control's line is sent (by the dispatcher or the handler)
};
// False for a command or control the library does not know (or not yet).
bool QxGetControlInfo(unsigned long cmdId, unsigned int ctrlId, QxControlInfo* info);

// Window messages the library sends to the host's windows.
constexpr UINT QX_MSG_MISC = 0xC34;    // to the main window after a CMD_MISC command
constexpr UINT QX_MSG_NOTIFY = 0xC35;  // to the main window after every other command
constexpr UINT QX_TIMER_CHANGE = 8;    // timer restarted by SetChangeSetting
constexpr UINT QX_TIMER_CHANGE_MS = 500;

// ===========================================================================
// 4. Status messages and window refresh
// ===========================================================================
// Stores a status message for the host; the host is told at the end of the
// next dispatched command.
void SetSystemError(CString message);
// Raises RefreshWave when the run state and the host's RefreshFlag ask for it.
void SetRefreshWave(bool refresh);

// ===========================================================================
// 5. Transport to the instrument
// ===========================================================================
int WriteCommand(CString cmd);
int ReadCommand(CString cmd, BYTE* reply);
int ReadSetup(CString cmd, BYTE* block);
void SendCommand(CString* cmd, BYTE* reply, bool readBack);
int ReadCmdOPC();
bool ReadSerial(BYTE* reply);
bool ReadFPGAVersion(BYTE* reply);

// Link health. A setup block is taken only whole (its announced length its
// size, all of it within the 3 s reply bound); a block that was not keeps
// its previous contents, and a read-back that did not bring every block
// whole is not reconciled into the records.
enum QxBlockOutcome : BYTE {
  QX_BLOCK_NOT_READ = 0,  // not asked for (an earlier USB block failed, or no read yet)
  QX_BLOCK_WHOLE = 1,
  QX_BLOCK_FAILED = 2,
};
struct QxLinkHealth {
  QxBlockOutcome Start[3];     // DSO, LA, ALT as the last QxInitSystem read them
  QxBlockOutcome ReadBack[3];  // as the last SendCommand with read-back read them
  DWORD Timeouts;              // LAN replies whose length never came within the bound
  DWORD ShortReplies;          // LAN replies whose payload stopped short at the bound
  DWORD RefusedReplies;        // setup replies announcing another length than the block's
  DWORD FailedSends;           // lines that could not go out (the peer has closed)
};
// Counts run from QxMsgInit.
QxLinkHealth QxGetLinkHealth();

// ===========================================================================
// 6. System start and setup blocks
// ===========================================================================
bool QxInitSystem();
bool QxInitHardware();
bool QxSetFirmwareSetup();
bool QxReadFirmwareSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt);
bool QxWriteFirmwareSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt);
void QxPushSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt);
void QxPopSetup(DSO_SETUP* dso, _QX_LA_SETUP* la, DSO_ALT_SETUP* alt);

// ===========================================================================
// 7. Change tracking, undo and screen routines
// ===========================================================================
void SetChangeSetting();
bool GetChangeSetting();
void SaveChangeSetting();
void SaveUndoSetup();
void SaveRedoSetup();

// Screen parameters: which samples of the acquisition memory land on which
// pixels (_QX_POS_SETUP), and the re-read of what the instrument applied.
void GetAcqSaRate();
void GetTimeScalePara();
void GetRunScreenPara();
void GetStopScreenPara(std::int16_t shift);  // shift: the held trace moved, in 20 ps steps
void GetChangeSettingScreenPara();
void GetRefScreenPara(int ref);
// One spectrum's window from its offset (divisions) and zoomCodes[slot].
void GetFFTHorizZoomScale(int slot, float offset, ScreenWindow* entry, int* zoomCodes);

// Screen regions: every marker point of the current layout.
void RebuildRgnSetup();
void RebuildRefPos();  // the reference markers only
CPoint GetLaOffsetPoint(float position, CRect rect);

// Cursors: divisions in _QX_SETUP, pixel points in _QX_RGN_SETUP. The
// validators place cursor point `which` and return the divisions used.
float ValidateCursorX(float divisions, _QX_MOUSE which);
float ValidateCursorY(float divisions, _QX_MOUSE which);
float GetCursorDiv(CPoint reference, CPoint point, CRect window, bool horizontal);
CPoint GetCursorPt(CPoint reference, float divisions, CRect window, bool horizontal);
void RebuildCursorDiv();
void RebuildCursorPt();
CRect CursorWindowRect(std::int32_t source);

// ===========================================================================
// 8. Value validators
// ===========================================================================
// Each takes the candidate value first (except where an argument list says
// otherwise) and returns it clamped into the instrument's range and rounded
// to a value the instrument represents. A bound crossed raises its status
// message (most have one); a value exactly on a bound passes silently; NaN
// becomes the lower bound. Some bounds are read from the _QX_SETUP record.

// Vertical: channels, references, math and FFT (volts, divisions).
float ValidateCHScale(float scale, float probe);
float ValidateRefVertScale(float scale, float probe);            // as ValidateCHScale
float ValidateCHOffset(float scale, float offset, float probe);  // validates offset
float ValidateRefVertOffset(float scale, float offset);          // validates offset
float ValidateFilterLimit(float limit);
float ValidateMathScalef(float scale);
float ValidateFFTVrmsScalef(float scale);
float ValidateFFTdBVrmsScale(float scale);
float ValidateMathOffset(float offset, float scale);
float ValidateFFTVrmsOffset(float offset, float scale);    // as ValidateMathOffset
float ValidateFFTdBVrmsOffset(float offset, float scale);  // as ValidateMathOffset
float ValidateFFTHorizOffset(float position, float scale);
float ValidateLaUserThresholdLevel(float level);
int ValidateMathScalen(int index);
int ValidateFFTVrmsScalen(int index);
// Snaps an FFT hertz/div to a zoom step of the slot's time scale and stores
// the zoom code in zoomCodes[slot] (zoomCodes may be null; a slot outside
// 0..3 stores nothing and uses the main time scale).
float ValidateFFTHorizScale(float value, int slot, int* zoomCodes);
// The same for a reference FFT, whose unit span comes from `current` and the
// slot's present zoom code; returns `current` when zoomCodes is null or the
// slot lies outside 0..3.
float ValidateRefFFTHorizScale(float value, float current, int slot, int* zoomCodes);

// Display and pass/fail.
float ValidateWaveIntensity(float intensity);
float ValidateGridIntensity(float intensity);
float ValidatePFHorizRange(float range);
float ValidatePFVertRange(float range);

// Trigger. source 3 is the external input divided by five.
float ValidateTrigSensitivity(float sensitivity);
float ValidateTrigHoldoff(float holdoff);
float ValidateTrigLevel(float level, float scale, float offset, int source);
double ValidateTrigPulseWidth(double width);
double ValidateTrigSlopeTime(double time);
double ValidateTrigDurationTime(double time);       // as ValidateTrigSlopeTime
int ValidateTrigVideoLine(int line, int standard);  // standard: _QX_VIDEO_STANDARD

// Timebase (seconds; the 64-bit forms in picoseconds).
double ValidateTimeScale(double scale);
double ValidateRefHorizScale(double scale);
double ValidateRefHorizOffset(double offset);
double ValidateAltTrigHorizScale(double scale);  // clamps silently
double ValidateTimeOffset(double offset);
double ValidateAltTrigHorizOffset(double first, double second);  // ValidateTimeOffset(second)
std::int64_t ValidateTimeScale64(std::int64_t scalePs);
std::int64_t ValidateTimeDelayedOffset64(std::int64_t offsetPs);  // no bounds

// Acquisition, record and playback.
int ValidateAcqAvgNumber(int count);  // nearest power of two, 2..256
float ValidRecordInterval(float interval);
float ValidPlaybackInterval(float interval);
unsigned ValidRecordEndFrame(unsigned frames);
int ValidRecordCurFrame(int frame);  // 1..RecordEndFrame, silently
int ValidPlaybackCurFrm(int frame);  // PlayStartFrame..PlayEndFrame

// ===========================================================================
// 9. Queries
// ===========================================================================
bool SetActiveChannel(_QX_ACTIVE_CHANNEL channel);
void SetChanEnabledStop(bool enabled);
bool GetMathEnabled();
bool GetMathEnabledStop();
bool GetFFTOperator();
bool GetFFTSplitScreen();

// Trigger. The source is that of the current trigger type (for the
// alternate trigger, the channel addressed); its unit is "V" unless it is CH1
// or CH2. The level is that of `type` with the type's own source: `which`
// picks slope level A (0) or B (1), `which2` the alternate slope level.
int GetTrigSource();
void GetTrigChanUnit(CString& unit);
float GetTrigLevelValue(_QX_TRIG_TYPE type, int which, int which2);

// Timebase.
void SetTimeBase(std::int64_t& mainScalePs, std::int64_t mainOffsetPs, std::int64_t& delayedScalePs,
                 std::int64_t& delayedOffsetPs, bool mainChanged);
double GetDelayedOffset(double scale, double offset, CRect rect, CPoint point);
std::int64_t ConvertToLONG(float value, int digits);

// ===========================================================================
// 10. Field descriptions of the records and of the setup blocks
// ===========================================================================
#include "QxFields.h"

#include "QxCommon.h"

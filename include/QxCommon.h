// The common library: command-text joining, the instrument's rounding rules,
// time text, record files and the mapping between settings and screen pixels.
//
// Screen conventions: a window's centre is cy = top + Height() / 2 (integer
// division); 8 divisions span its height; 50 pixels make one horizontal
// division; results are rounded half away from zero; every x is held to
// -7000..7000.
#pragma once

#include "QxPlatform.h"

struct _QX_SETUP;

// a, b, c, d and e joined in this order, nothing added. Set commands are
// (subsystem, header, " ", value, ""), queries (subsystem, "HEADER?", "", "", "").
CString StrConnect(const CString& a, const CString& b, const CString& c, const CString& d, const CString& e);

// value rounded half away from zero to `digits` significant digits, never to
// a step finer than 10^exponent; the result is the double nearest that decimal.
// The value counts as the shortest decimal that reads back as it (0.0015 is a
// tie); NaN and infinities pass through.
double GetValidData(double value, int digits, int exponent);

// The nearest step of 1-2-5 per decade on a logarithmic scale, ties upward
// (within 1e-12 relative of a midpoint counts as on it); the sign is kept and
// 0 stays 0.
double ValidateScale(double value);

// The time in NR3 form, "%.6e" ("2.000000e-08").
void GetTimeScaleString(CString& text, double seconds);

// Step 0..12 of 0.001, 0.002, 0.005 ... 10 times base; steps outside 0..12
// are held to the nearest end.
float GetMathScale(int step, float base);

// Offset marker of a trace: (15, cy - offset/scale * H/8), y held inside.
CPoint GetVoltOffsetPt(float scale, float offset, CRect rect);
// The offset a marker point stands for (inverse of GetVoltOffsetPt).
float GetVoltOffset(float scale, CRect rect, CPoint point);
// Trigger-level marker: (right - 15, cy - (level + offset)/scale * H/8).
CPoint GetTrigLevelPt(float scale, float offset, float level, CRect rect);
// Trigger-position marker: a positive offset moves it left.
CPoint GetTrigOffsetPt(double scale, double offset, CPoint ref);
// Horizontal marker in XY format.
CPoint GetXYTimeOffsetPt(double scale, double offset, CPoint ref);
// The span of the delayed (zoomed) window inside the upper window.
CRect GetDelayedRect(double mainScale, double delayedScale, double mainOffset, double delayedOffset,
                     CRect upper, CPoint ref);

// The host's recorded frames, handed to SaveRecFile.
struct QxRecordData {
  UINT frameCount;
  UINT frameBytes;
  const BYTE* frames;
};

// Writes "QXREC01\0", u32 header size, u32 sizeof(_QX_SETUP), u32 frame
// count, u32 frame bytes (all little-endian), the record, then the frames.
// The file is written beside `path` under a temporary name and renamed over
// it when complete. True when the file is in place.
bool SaveRecFile(LPCTSTR path, const _QX_SETUP* setup, const QxRecordData* data);

// The library's names for the controls that the host's numbering gives as
// numbers only. Hosts post these by number (the public header names only the
// controls the host's numbering names); the library's tables and tests use
// the names so each row says what it is.
#pragma once

// Vertical channels (CMD_CHANNEL): the command's value is the channel, 0 CH1, any other CH2.
constexpr unsigned int CTL_CH_SCALE = 0x465;
constexpr unsigned int CTL_CH_OFFSET = 0x46F;
constexpr unsigned int CTL_CH_COUPLING = 0x479;
constexpr unsigned int CTL_CH_BWLIMIT = 0x47A;
constexpr unsigned int CTL_CH_PROBE = 0x47B;
constexpr unsigned int CTL_CH_DISPLAY = 0x47C;
constexpr unsigned int CTL_CH_INVERT = 0x47D;
constexpr unsigned int CTL_CH_UNIT = 0x47E;  // stays on the host
constexpr unsigned int CTL_CH_IMPEDANCE = 0x47F;
constexpr unsigned int CTL_CH_FILTER_DISPLAY = 0x483;
constexpr unsigned int CTL_CH_FILTER_UPPER = 0x48D;
constexpr unsigned int CTL_CH_FILTER_LOWER = 0x497;
constexpr unsigned int CTL_CH_FILTER_TYPE = 0x4A1;

// Reference waveforms (CMD_REF): the slot value names the reference, 0..3.
constexpr unsigned int CTL_REF_SOURCE = 0x591;       // int: 0 CH1, 1 CH2, 2..5 math slots 1..4
constexpr unsigned int CTL_REF_OPTION = 0x592;       // int
constexpr unsigned int CTL_REF_DISPLAY = 0x593;      // byte
constexpr unsigned int CTL_REF_SCALE = 0x59B;        // float, units per division
constexpr unsigned int CTL_REF_OFFSET = 0x5A5;       // float
constexpr unsigned int CTL_REF_TIME_SCALE = 0x5AF;   // double, seconds (hertz for an FFT reference)
constexpr unsigned int CTL_REF_TIME_OFFSET = 0x5B9;  // double
constexpr unsigned int CTL_REF_FILLED = 0x5C3;       // the host copied a trace into the slot
constexpr unsigned int CTL_REF_SNAPSHOT = 0x5CD;     // take the acquisition's rate and depth

// Logic analyzer (CMD_DIGITAL): per-channel controls take the channel 0..15 as the slot value.
constexpr unsigned int CTL_LA_DISPLAY = 0x5F5;         // byte
constexpr unsigned int CTL_LA_CHANNEL = 0x5FF;         // byte, slot = channel
constexpr unsigned int CTL_LA_GROUP1 = 0x600;          // byte: D0..D7
constexpr unsigned int CTL_LA_GROUP2 = 0x601;          // byte: D8..D15
constexpr unsigned int CTL_LA_THRESHOLD_TYPE = 0x609;  // int: 0 TTL, 1 CMOS, 2 ECL, 3 USER
constexpr unsigned int CTL_LA_THRESHOLD = 0x60A;       // float: the user threshold, sent while USER
constexpr unsigned int CTL_LA_USER_THRESHOLD = 0x60E;  // float: stored only
constexpr unsigned int CTL_LA_POSITION = 0x613;        // float, divisions; slot = channel
constexpr unsigned int CTL_LA_SIZE = 0x61D;            // int: 0 wide, other compact
constexpr unsigned int CTL_LA_DEFAULT = 0x61E;         // default positions

// Display (CMD_DISPLAY).
constexpr unsigned int CTL_DISP_TYPE = 0x86B;
constexpr unsigned int CTL_DISP_GRID = 0x86C;
constexpr unsigned int CTL_DISP_FLAG = 0x86D;
constexpr unsigned int CTL_DISP_CLEAR = 0x86E;
constexpr unsigned int CTL_DISP_WAVE_INTENSITY = 0x875;
constexpr unsigned int CTL_DISP_GRID_INTENSITY = 0x87F;
constexpr unsigned int CTL_DISP_LOCK = 0x880;

// Pass/fail test (CMD_PASS_FAIL).
constexpr unsigned int CTL_PF_ENABLE = 0x915;
constexpr unsigned int CTL_PF_SOURCE = 0x916;
constexpr unsigned int CTL_PF_RUN = 0x917;
constexpr unsigned int CTL_PF_OPTION = 0x918;
constexpr unsigned int CTL_PF_HORIZ_RANGE = 0x919;
constexpr unsigned int CTL_PF_VERT_RANGE = 0x91A;
constexpr unsigned int CTL_PF_FLAG1 = 0x91B;
constexpr unsigned int CTL_PF_FLAG2 = 0x91C;
constexpr unsigned int CTL_PF_DISPLAY = 0x91D;

// Record and playback (CMD_RECORD).
constexpr unsigned int CTL_REC_SOURCE = 0x97A;
constexpr unsigned int CTL_REC_INTERVAL = 0x97B;
constexpr unsigned int CTL_REC_END_FRAME = 0x97D;
constexpr unsigned int CTL_REC_START = 0x980;
constexpr unsigned int CTL_REC_STOP = 0x981;  // value: the host's const QxRecordData*
constexpr unsigned int CTL_REC_REFUSED = 0x982;
constexpr unsigned int CTL_PLAY_INTERVAL = 0x9A3;
constexpr unsigned int CTL_PLAY_FRAME = 0x9A6;
constexpr unsigned int CTL_PLAY_MODE = 0x9A7;
constexpr unsigned int CTL_PLAY_REPLAY = 0x9A9;  // value: the control that started playback
constexpr unsigned int CTL_PLAY_LEAVE = 0x9AA;
constexpr unsigned int CTL_PLAY_CONTINUE = 0x9AD;
constexpr unsigned int CTL_PLAY_STEP_BACK = 0x9AE;
constexpr unsigned int CTL_PLAY_RESUME = 0x9AF;  // value: the control that started playback

// Measure (CMD_MEASURE).
constexpr unsigned int CTL_MEASURE_ALL = 0x8E3;  // variable: the source
constexpr unsigned int CTL_MEASURE_ADD = 0x8E4;  // value: the source; variable: the type
constexpr unsigned int CTL_MEASURE_CLEAR = 0x8E7;

// The common library: rounding to the instrument's resolution, scale steps,
// time text, the screen mappings and the record file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "QxMsg.h"
#include "le_bytes.h"

namespace {

TEST(GetValidData, RoundsToDigitsAndFinestStep) {
  struct Case {
    double value;
    int digits, exponent;
    double want;
  };
  const Case cases[] = {
      {0.002, 3, -3, 0.002},  // bounds the validators pass come back as the very same double
      {1e-7, 3, -9, 1e-7},
      {1.5, 3, -2, 1.5},
      {6.0, 3, -2, 6.0},
      {1.5, 3, -4, 1.5},
      {6.0, 3, -4, 6.0},
      {0.0015, 3, -3, 0.002},  // the step limits (0.001) and a tie goes away from zero
      {0.00149, 3, -3, 0.001},
      {-0.0015, 3, -3, -0.002},
      {-0.00149, 3, -3, -0.001},
      {0.0005, 3, -3, 0.001},
      {0.0004, 3, -3, 0.0},
      {1.5004, 3, -3, 1.5},  // the digits limit
      {1.505, 3, -3, 1.51},  // ties: the double of 1.505 lies below the decimal, still a tie
      {-1.505, 3, -3, -1.51},
      {1.0005, 4, -6, 1.001},
      {2.675, 3, -9, 2.68},
      {0.9996, 3, -3, 1.0},  // the carry opens a new decade
      {987654321.0, 2, 0, 990000000.0},
      {123456.0, 3, -3, 123000.0},
      {0.0, 3, -3, 0.0},
      {1.23456789e300, 3, -3, 1.23e300},  // far beyond exact powers of ten
      {1.23456e-25, 3, -30, 1.23e-25},
      {1.23456e-300, 3, -3, 0.0},
      {1.23456e-300, 3, -310, 1.23e-300},
      {1.2345e-320, 2, -400, 1.2e-320},  // subnormal
      {DBL_MAX, 3, -3, DBL_MAX},         // 1.80e308 is beyond the range: held
      {-DBL_MAX, 1, -3, -DBL_MAX},
      {1.23456, 0, -3, 1.0},  // at least one digit
      {1.23456, 40, -40, 1.23456},
      {1.5, 3, INT_MIN, 1.5},
      {1.5, 3, INT_MAX, 0.0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(GetValidData(c.value, c.digits, c.exponent), c.want)
        << c.value << " " << c.digits << " " << c.exponent;
  EXPECT_TRUE(std::isnan(GetValidData(NAN, 3, -3)));
  EXPECT_EQ(GetValidData(HUGE_VAL, 3, -3), HUGE_VAL);
  EXPECT_EQ(GetValidData(-HUGE_VAL, 3, -3), -HUGE_VAL);
}

TEST(ValidateScale, NearestOneTwoFiveStepTiesUpward) {
  const double cases[][2] = {
      {1.0, 1.0},
      {1.4, 1.0},
      {1.5, 2.0},
      {3.1, 2.0},
      {3.2, 5.0},
      {7.0, 5.0},
      {7.1, 10.0},
      {9.99, 10.0},
      {10.0, 10.0},
      {99.0, 100.0},
      {0.1, 0.1},
      {0.7, 0.5},
      {0.71, 1.0},
      {0.0003, 2e-4},
      {3.5e-4, 5e-4},
      {2.3e-9, 2e-9},
      {4.4e6, 5e6},
      {-0.3, -0.2},
      {-7.1e-3, -1e-2},
      {0.0, 0.0},
      {std::sqrt(2.0), 2.0},
      {std::sqrt(10.0), 5.0},
      {std::sqrt(50.0), 10.0},
      {std::sqrt(2.0) * 1e-3, 2e-3},
      {std::sqrt(50.0) * 1e6, 1e7},
      {-std::sqrt(10.0) * 1e-9, -5e-9},
      {std::nextafter(std::sqrt(2.0), 0.0), 2.0},  // a midpoint off by an ulp is still one
      {1.41421356, 1.0},                           // below by 2e-9: not one
      {5e-324, 5e-324},
      {1.2e-310, 1e-310},
      {1.7e308, 1e308},  // 2e308 is no double
  };
  for (const auto& c : cases) EXPECT_EQ(ValidateScale(c[0]), c[1]) << c[0];
  EXPECT_TRUE(std::isnan(ValidateScale(NAN)));
  EXPECT_EQ(ValidateScale(-HUGE_VAL), -HUGE_VAL);
}

TEST(GetTimeScaleString, WritesNr3) {
  const std::pair<double, const char*> cases[] = {
      {2e-8, "2.000000e-08"}, {5e-4, "5.000000e-04"}, {1.0, "1.000000e+00"}, {-3e-9, "-3.000000e-09"}};
  CString text("old");
  for (const auto& [seconds, want] : cases) {
    GetTimeScaleString(text, seconds);
    EXPECT_STREQ(text, want);
  }
}

TEST(GetMathScale, StepsTimesBaseHeldAtBothEnds) {
  const struct {
    int step;
    float base, want;
  } cases[] = {{0, 1, 0.001f},       {2, 1, 0.005f},  {5, 10, 0.5f},   {9, 1, 1},
               {11, 2, 10},          {12, 1, 10},     {-1, 1, 0.001f}, {13, 1, 10},
               {INT_MIN, 1, 0.001f}, {INT_MAX, 3, 30}};
  for (const auto& c : cases) EXPECT_FLOAT_EQ(GetMathScale(c.step, c.base), c.want) << c.step;
}

TEST(ScreenMap, VoltOffsetRoundTripsWithinOnePixel) {
  const CRect rects[] = {{0, 0, 700, 400}, {10, 20, 710, 421}, {0, -200, 700, 200}, {5, 5, 105, 55}};
  for (const CRect& r : rects)
    for (float scale : {0.002f, 0.5f, 5.0f})
      for (double div = -4.5; div <= 4.5; div += 0.37) {
        const float offset = static_cast<float>(div * scale);
        const CPoint p = GetVoltOffsetPt(scale, offset, r);
        EXPECT_EQ(p.x, 15);
        ASSERT_TRUE(p.y >= r.top && p.y <= r.bottom);
        if (p.y == r.top || p.y == r.bottom) continue;  // held: no inverse
        EXPECT_NEAR(GetVoltOffset(scale, r, p), offset, scale * 8.0 / r.Height()) << div;
        EXPECT_EQ(GetVoltOffsetPt(scale, GetVoltOffset(scale, r, p), r), p);
      }
}

TEST(ScreenMap, MarkerPoints) {
  const CRect r(0, 0, 700, 400), r256(0, 0, 100, 256);
  const CPoint ref(350, 10);
  const std::pair<CPoint, CPoint> cases[] = {
      {GetVoltOffsetPt(0.5f, 1.0f, r), {15, 100}},
      {GetVoltOffsetPt(1, 0.015625f, r256), {15, 127}},  // half a pixel rounds away from the centre
      {GetVoltOffsetPt(1, -0.015625f, r256), {15, 129}},
      {GetVoltOffsetPt(1, 0, CRect(0, 0, 10, 401)), {15, 200}},
      {GetVoltOffsetPt(1, 0, CRect(0, -101, 10, 0)), {15, -51}},
      {GetVoltOffsetPt(1, 100, r), {15, 0}},  // held inside the window
      {GetVoltOffsetPt(1, -100, r), {15, 400}},
      {GetTrigLevelPt(1, 0.5f, 1.5f, r), {685, 100}},
      {GetTrigLevelPt(1, 0, -10, r), {685, 400}},
      {GetTrigLevelPt(1, 0, 0, CRect(0, 0, 10000, 400)), {7000, 200}},
      {GetTrigOffsetPt(1e-3, 2e-3, ref), {250, 10}},  // a later trigger point moves left
      {GetTrigOffsetPt(1e-3, -1e-3, ref), {400, 10}},
      {GetTrigOffsetPt(1, 0.01, ref), {349, 10}},
      {GetTrigOffsetPt(1, -0.01, ref), {351, 10}},
      {GetTrigOffsetPt(1e-9, 1, ref), {-7000, 10}},
      {GetTrigOffsetPt(1, 0, CPoint(9000, 0)), {7000, 0}},
      {GetXYTimeOffsetPt(1e-3, 2e-3, ref), {450, 10}},
      {GetXYTimeOffsetPt(1e-9, 1, ref), {7000, 10}},
      // zero and NaN scales give defined points
      {GetVoltOffsetPt(0, 1, r), {15, 0}},
      {GetVoltOffsetPt(0, 0, r), {15, 200}},
      {GetVoltOffsetPt(NAN, 1, r), {15, 200}},
      {GetTrigLevelPt(0, 0, -1, r), {685, 400}},
      {GetTrigOffsetPt(0, 1, ref), {-7000, 10}},
      {GetTrigOffsetPt(NAN, 1, ref), {350, 10}},
      {GetXYTimeOffsetPt(0, -1, ref), {-7000, 10}},
      // extreme host rectangles
      {GetVoltOffsetPt(1, 0, CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX)), {15, -1}},
      {GetTrigLevelPt(1, 0, 0, CRect(0, 0, INT_MIN, 0)), {-7000, 0}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_TRUE(cases[i].first == cases[i].second)
        << "case " << i << ": (" << cases[i].first.x << "," << cases[i].first.y << ")";
  EXPECT_EQ(GetVoltOffset(1, CRect(0, 0, 10, 0), CPoint(0, 5)), 0.0f);
  EXPECT_TRUE(std::isfinite(GetVoltOffset(1, CRect(INT_MIN, INT_MIN, INT_MAX, INT_MAX), CPoint(0, INT_MIN))));
}

TEST(ScreenMap, DelayedRect) {
  const CRect upper(0, 10, 700, 410);
  const CPoint ref(350, 0);
  const std::pair<CRect, CRect> cases[] = {
      {GetDelayedRect(1e-3, 1e-4, 0, 2e-3, upper, ref), {415, 10, 485, 410}},
      {GetDelayedRect(1e-3, 1e-3, 1e-3, 0, upper, ref), {-50, 10, 650, 410}},
      {GetDelayedRect(1e-3, 1, 0, 0, upper, ref), {-7000, 10, 7000, 410}},
      {GetDelayedRect(0, 1e-3, 0, 0, upper, ref), {-7000, 10, 7000, 410}},
      {GetDelayedRect(NAN, 1e-3, 0, 0, upper, ref), {350, 10, 350, 410}},
  };
  for (const auto& [got, want] : cases) EXPECT_TRUE(got == want) << got.left << " " << got.right;
}

class RecFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("qxrec-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
           std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    setup.ChanScale[1] = 0.25f;
    setup.TimeScalePs = 0x0102030405060708;
    for (int i = 0; i < 15; ++i) frames[i] = static_cast<BYTE>(0xA0 + i);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }

  std::string Path(const char* name) const { return (dir / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      names.push_back(e.path().filename().string());
    return names;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path dir;
  _QX_SETUP setup{};
  BYTE frames[15];
  QxRecordData data{3, 5, frames};
};

TEST_F(RecFile, RoundTrip) {
  const std::string path = Path("a.rec");
  ASSERT_TRUE(SaveRecFile(path.c_str(), &setup, &data));
  const std::string file = Read(path);
  ASSERT_EQ(file.size(), 24 + sizeof setup + 15);
  const BYTE* b = reinterpret_cast<const BYTE*>(file.data());
  EXPECT_EQ(std::memcmp(b, "QXREC01\0", 8), 0);
  EXPECT_EQ(qx::LoadU32(b + 8), 24u);
  EXPECT_EQ(qx::LoadU32(b + 12), sizeof setup);
  EXPECT_EQ(qx::LoadU32(b + 16), 3u);
  EXPECT_EQ(qx::LoadU32(b + 20), 5u);
  EXPECT_EQ(std::memcmp(b + 24, &setup, sizeof setup), 0);
  EXPECT_EQ(std::memcmp(b + 24 + sizeof setup, frames, 15), 0);
  EXPECT_EQ(Names(), std::vector<std::string>{"a.rec"});  // no temporary left

  QxRecordData none{0, 5, nullptr};
  ASSERT_TRUE(SaveRecFile(path.c_str(), &setup, &none));  // rewrite in place
  EXPECT_EQ(Read(path).size(), 24 + sizeof setup);
}

TEST_F(RecFile, FailureLeavesNoHalfFileAndKeepsTheOldOne) {
  const std::string path = Path("a.rec");
  ASSERT_TRUE(SaveRecFile(path.c_str(), &setup, &data));
  const std::string old = Read(path);
  QxRecordData missing{2, 4, nullptr};
  std::filesystem::create_directory(dir / "sub.rec");
  EXPECT_FALSE(SaveRecFile(Path("nodir/b.rec").c_str(), &setup, &data));
  EXPECT_FALSE(SaveRecFile(Path("b.rec").c_str(), &setup, &missing));
  EXPECT_FALSE(SaveRecFile(path.c_str(), &setup, &missing));
  EXPECT_FALSE(SaveRecFile(Path("sub.rec").c_str(), &setup, &data));  // written, then cannot replace
  EXPECT_FALSE(SaveRecFile(nullptr, &setup, &data));
  EXPECT_FALSE(SaveRecFile("", &setup, &data));
  EXPECT_FALSE(SaveRecFile(path.c_str(), nullptr, &data));
  EXPECT_FALSE(SaveRecFile(path.c_str(), &setup, nullptr));
  {  // the disk fills up half way through the write
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto* previous = ::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = SaveRecFile(path.c_str(), &setup, &data);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, previous);
    EXPECT_FALSE(ok);
  }
  EXPECT_EQ(Read(path), old);
  auto names = Names();
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.rec", "sub.rec"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "sub.rec"));
}

}  // namespace

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
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>
#include <vector>

#include "QxMsg.h"

namespace {

TEST(GetValidData, RoundsToDigitsAndFinestStep) {
  // clang-format off
  const std::tuple<double, int, int, double> cases[] = {  // value, digits, finest exponent, result
      // Bounds the validators pass come back as the very same double.
      {0.002, 3, -3, 0.002}, {1e-7, 3, -9, 1e-7}, {1.5, 3, -2, 1.5}, {6.0, 3, -4, 6.0},
      // The step limits (0.001); a tie goes away from zero.
      {0.0015, 3, -3, 0.002}, {0.00149, 3, -3, 0.001}, {-0.0015, 3, -3, -0.002}, {-0.00149, 3, -3, -0.001},
      {0.0005, 3, -3, 0.001}, {0.0004, 3, -3, 0.0},
      // The digits limit; the double of 1.505 lies below the decimal and is still a tie.
      {1.5004, 3, -3, 1.5}, {1.505, 3, -3, 1.51}, {-1.505, 3, -3, -1.51}, {1.0005, 4, -6, 1.001},
      {2.675, 3, -9, 2.68}, {0.9996, 3, -3, 1.0} /* a new decade */, {987654321.0, 2, 0, 990000000.0},
      {123456.0, 3, -3, 123000.0}, {0.0, 3, -3, 0.0},
      // Far beyond exact powers of ten, subnormal, beyond the range (held), odd digit counts.
      {1.23456789e300, 3, -3, 1.23e300}, {1.23456e-25, 3, -30, 1.23e-25}, {1.23456e-300, 3, -3, 0.0},
      {1.23456e-300, 3, -310, 1.23e-300}, {1.2345e-320, 2, -400, 1.2e-320}, {DBL_MAX, 3, -3, DBL_MAX},
      {-DBL_MAX, 1, -3, -DBL_MAX}, {HUGE_VAL, 3, -3, HUGE_VAL}, {-HUGE_VAL, 3, -3, -HUGE_VAL},
      {1.23456, 0, -3, 1.0}, {1.23456, 40, -40, 1.23456}, {1.5, 3, INT_MIN, 1.5}, {1.5, 3, INT_MAX, 0.0}};
  // clang-format on
  for (const auto& [value, digits, exponent, want] : cases)
    EXPECT_EQ(GetValidData(value, digits, exponent), want) << value << " " << digits << " " << exponent;
  EXPECT_TRUE(std::isnan(GetValidData(NAN, 3, -3)));
}

TEST(ValidateScale, NearestOneTwoFiveStepTiesUpward) {
  // clang-format off
  const std::pair<double, double> cases[] = {
      {1.0, 1.0}, {1.4, 1.0}, {1.5, 2.0}, {3.1, 2.0}, {3.2, 5.0}, {7.0, 5.0}, {7.1, 10.0}, {10.0, 10.0},
      {99.0, 100.0}, {0.7, 0.5}, {0.71, 1.0}, {0.0003, 2e-4}, {3.5e-4, 5e-4}, {2.3e-9, 2e-9}, {4.4e6, 5e6},
      {-0.3, -0.2}, {-7.1e-3, -1e-2}, {0.0, 0.0}, {-HUGE_VAL, -HUGE_VAL},
      // Midpoints go up, also when computed a few ulps off; 2e-9 below is not one.
      {std::sqrt(2.0), 2.0}, {std::sqrt(10.0), 5.0}, {std::sqrt(50.0), 10.0}, {std::sqrt(2.0) * 1e-3, 2e-3},
      {std::sqrt(50.0) * 1e6, 1e7}, {-std::sqrt(10.0) * 1e-9, -5e-9}, {1.41421356, 1.0},
      {std::nextafter(std::sqrt(2.0), 0.0), 2.0},
      // Subnormals, and the largest step where 2e308 is no double.
      {5e-324, 5e-324}, {1.2e-310, 1e-310}, {1.7e308, 1e308}};
  // clang-format on
  for (const auto& [value, want] : cases) EXPECT_EQ(ValidateScale(value), want) << value;
  EXPECT_TRUE(std::isnan(ValidateScale(NAN)));
}

TEST(GetTimeScaleStringAndMathScale, Nr3TextAndStepsHeldAtBothEnds) {
  CString text("old");
  for (const auto& [seconds, want] :
       {std::pair{5e-4, "5.000000e-04"}, {1.0, "1.000000e+00"}, {-3e-9, "-3.000000e-09"}}) {
    GetTimeScaleString(text, seconds);
    EXPECT_STREQ(text, want);
  }
  const std::tuple<int, float, float> steps[] = {
      // step, base, scale
      {0, 1, 0.001f},  {2, 1, 0.005f}, {5, 10, 0.5f},        {9, 1, 1},       {11, 2, 10}, {12, 1, 10},
      {-1, 1, 0.001f}, {13, 1, 10},    {INT_MIN, 1, 0.001f}, {INT_MAX, 3, 30}};
  for (const auto& [step, base, want] : steps) EXPECT_FLOAT_EQ(GetMathScale(step, base), want) << step;
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

TEST(ScreenMap, MarkerPointsAndDelayedRect) {
  const CRect r(0, 0, 700, 400), r256(0, 0, 100, 256), huge(INT_MIN, INT_MIN, INT_MAX, INT_MAX);
  const CPoint ref(350, 10);
  // clang-format off
  const std::pair<CPoint, CPoint> cases[] = {
      {GetVoltOffsetPt(0.5f, 1.0f, r), {15, 100}}, {GetVoltOffsetPt(1, 0, CRect(0, 0, 10, 401)), {15, 200}},
      {GetVoltOffsetPt(1, 0, CRect(0, -101, 10, 0)), {15, -51}},
      {GetVoltOffsetPt(1, 0.015625f, r256), {15, 127}},  // half a pixel rounds away from the centre
      {GetVoltOffsetPt(1, -0.015625f, r256), {15, 129}},
      {GetVoltOffsetPt(1, 100, r), {15, 0}}, {GetVoltOffsetPt(1, -100, r), {15, 400}},  // held inside
      {GetTrigLevelPt(1, 0.5f, 1.5f, r), {685, 100}}, {GetTrigLevelPt(1, 0, -10, r), {685, 400}},
      {GetTrigLevelPt(1, 0, 0, CRect(0, 0, 10000, 400)), {7000, 200}},
      {GetTrigOffsetPt(1e-3, 2e-3, ref), {250, 10}},  // a later trigger point moves left
      {GetTrigOffsetPt(1e-3, -1e-3, ref), {400, 10}}, {GetTrigOffsetPt(1, 0.01, ref), {349, 10}},
      {GetTrigOffsetPt(1, -0.01, ref), {351, 10}}, {GetTrigOffsetPt(1e-9, 1, ref), {-7000, 10}},
      {GetTrigOffsetPt(1, 0, CPoint(9000, 0)), {7000, 0}}, {GetXYTimeOffsetPt(1e-3, 2e-3, ref), {450, 10}},
      {GetXYTimeOffsetPt(1e-9, 1, ref), {7000, 10}},
      // zero and NaN scales, and extreme host rectangles, give defined points
      {GetVoltOffsetPt(0, 1, r), {15, 0}}, {GetVoltOffsetPt(0, 0, r), {15, 200}},
      {GetVoltOffsetPt(NAN, 1, r), {15, 200}}, {GetTrigLevelPt(0, 0, -1, r), {685, 400}},
      {GetTrigOffsetPt(0, 1, ref), {-7000, 10}}, {GetTrigOffsetPt(NAN, 1, ref), {350, 10}},
      {GetXYTimeOffsetPt(0, -1, ref), {-7000, 10}}, {GetVoltOffsetPt(1, 0, huge), {15, -1}},
      {GetTrigLevelPt(1, 0, 0, CRect(0, 0, INT_MIN, 0)), {-7000, 0}}};
  // clang-format on
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_TRUE(cases[i].first == cases[i].second)
        << "case " << i << ": (" << cases[i].first.x << "," << cases[i].first.y << ")";
  EXPECT_EQ(GetVoltOffset(1, CRect(0, 0, 10, 0), CPoint(0, 5)), 0.0f);
  EXPECT_TRUE(std::isfinite(GetVoltOffset(1, huge, CPoint(0, INT_MIN))));

  const CRect upper(0, 10, 700, 410);
  const std::pair<CRect, CRect> rects[] = {
      {GetDelayedRect(1e-3, 1e-4, 0, 2e-3, upper, ref), {415, 10, 485, 410}},
      {GetDelayedRect(1e-3, 1e-3, 1e-3, 0, upper, ref), {-50, 10, 650, 410}},
      {GetDelayedRect(1e-3, 1, 0, 0, upper, ref), {-7000, 10, 7000, 410}},
      {GetDelayedRect(0, 1e-3, 0, 0, upper, ref), {-7000, 10, 7000, 410}},
      {GetDelayedRect(NAN, 1e-3, 0, 0, upper, ref), {350, 10, 350, 410}}};
  for (const auto& [got, want] : rects) EXPECT_TRUE(got == want) << got.left << " " << got.right;
}

class RecFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    setup.ChanScale[1] = 0.25f;
    setup.TimeScalePs = 0x0102030405060708;
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string Path(const char* name) const { return (dir / name).string(); }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() /
      ("qxrec-" + std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + "-" +
       std::to_string(::getpid()));
  _QX_SETUP setup{};
  const BYTE frames[15] = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                           0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE};
  const QxRecordData data{3, 5, frames};
};

std::string Le32(std::uint32_t v) { return {char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; }

TEST_F(RecFile, HeaderRecordAndFramesAndARewriteInPlace) {
  const std::string path = Path("a.rec");
  ASSERT_TRUE(SaveRecFile(path.c_str(), &setup, &data));
  const std::string file = Read(path), record(reinterpret_cast<const char*>(&setup), sizeof setup);
  const std::string header = std::string("QXREC01\0", 8) + Le32(24) + Le32(sizeof setup) + Le32(3) + Le32(5);
  EXPECT_EQ(file.substr(0, 24), header);
  EXPECT_TRUE(file.substr(24) == record + std::string(frames, frames + 15)) << file.size() << " bytes";
  EXPECT_EQ(Names(), std::vector<std::string>{"a.rec"});  // no temporary left
  const QxRecordData none{0, 5, nullptr};
  ASSERT_TRUE(SaveRecFile(path.c_str(), &setup, &none));
  EXPECT_EQ(Read(path).size(), 24 + sizeof setup);
}

TEST_F(RecFile, FailureLeavesNoHalfFileAndKeepsTheOldOne) {
  const std::string path = Path("a.rec");
  ASSERT_TRUE(SaveRecFile(path.c_str(), &setup, &data));
  const std::string old = Read(path);
  const QxRecordData missing{2, 4, nullptr};
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
  EXPECT_EQ(Names(), (std::vector<std::string>{"a.rec", "sub.rec"}));
  EXPECT_TRUE(std::filesystem::is_empty(dir / "sub.rec"));
}

}  // namespace

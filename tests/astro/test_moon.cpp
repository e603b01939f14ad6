#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "moon.h"
#include "precession.h"
#include "series_tables.h"

using namespace lumtar::astro;
using detail::kMoonCounts;
using detail::kMoonSeries;
using detail::MoonTerm;

namespace {

double Deg(double rad) { return rad * kDegPerRad; }

// v rounded to the given number of decimals.
double Rounded(double v, int decimals) {
  const double s = std::pow(10.0, decimals);
  return std::round(v * s) / s;
}

}  // namespace

TEST(MoonTables, ListLengthsAndOrder) {
  const int counts[12] = {442, 149, 34, 2, 206, 45, 12, 0, 221, 52, 12, 0};
  for (int s = 0; s < 12; ++s) {
    EXPECT_EQ(kMoonCounts[s], counts[s]) << s;
    for (int k = 1; k < kMoonCounts[s]; ++k) EXPECT_LE(kMoonSeries[s][k].a, kMoonSeries[s][k - 1].a) << s;
  }
}

TEST(MoonTables, TellingRows) {
  // Each telling value, with the decimals it is given to, equals the table's
  // value rounded to those decimals.
  struct Row {
    int series, index;
    double v[6];
    int decimals[6];
  } rows[] = {
      {0, 0, {22639.586, 0.78475822, 8328.691424623, 1.5229241, 25.0719, -0.123598}, {3, 8, 9, 7, 4, 6}},
      {0, 1, {4586.438, 0.1873974, 7214.06286536, -2.184756, -18.86, 0.0828}, {3, 7, 8, 6, 2, 4}},
      {4, 0, {18461.24, 0.05710892, 8433.466157492, -0.6400617, -0.5345, -0.00294}, {2, 8, 9, 7, 4, 5}},
      {8, 0, {385000.51, 0, 0, 0, 0, 0}, {2, 8, 8, 8, 8, 8}},
      {8, 1, {20905.354, 5.4971472, 8328.691424623, 1.522924, 25.0719, -0.1236}, {3, 7, 9, 6, 4, 4}},
  };
  for (const Row& r : rows) {
    const MoonTerm& m = kMoonSeries[r.series][r.index];
    const double got[6] = {m.a, m.phase, m.freq, m.c2, m.c3, m.c4};
    for (int k = 0; k < 6; ++k)
      EXPECT_DOUBLE_EQ(Rounded(got[k], r.decimals[k]), r.v[k]) << "series " << r.series << " row " << r.index << " field " << k;
  }
}

TEST(Moon, SeriesAtJ2000) {
  EXPECT_NEAR(Deg(MoonSeries(0, 0)), 223.319, 0.0005);
  EXPECT_NEAR(Deg(MoonSeries(1, 0)), 5.171, 0.0005);
  EXPECT_NEAR(MoonSeries(2, 0), 402448.7, 0.05);
  EclipticPosition p = MoonApparentPosition(0);
  EXPECT_NEAR(p.longitude, 223.315, 0.0005);
  EXPECT_NEAR(p.latitude, 5.171, 0.0005);
  EclipticPosition q = ApparentPosition(kMoon, 0);
  EXPECT_EQ(q.longitude, p.longitude);
  EXPECT_EQ(q.latitude, p.latitude);
  EXPECT_EQ(MoonSeries(3, 0), 0);
  EXPECT_EQ(MoonSeries(-1, 0), 0);
}

TEST(Moon, TermCountCut) {
  // n = 0: none of the t^0 list, the first term of each non-empty higher
  // list; the empty t^3 lists of latitude and distance add nothing.
  const double t = 0.83;
  for (int k = 1; k <= 2; ++k) {
    double sum = 0;
    for (int i = 1; i < 4; ++i) {
      if (kMoonCounts[4 * k + i] == 0) continue;
      const MoonTerm& m = kMoonSeries[4 * k + i][0];
      sum += m.a * std::cos(m.phase + m.freq * t + m.c2 * t * t / 1e4 + m.c3 * t * t * t / 1e8 +
                            m.c4 * t * t * t * t / 1e8) *
             std::pow(t, i);
    }
    const double expected = k == 2 ? sum : sum / kArcsecPerRad;
    EXPECT_NEAR(MoonSeries(k, t, 0), expected, std::fabs(expected) * 1e-14) << k;
  }
  EXPECT_EQ(MoonSeries(0, 0.2, 5000), MoonSeries(0, 0.2, -1));
  EXPECT_EQ(MoonSeries(2, 0.2, std::numeric_limits<int>::max()), MoonSeries(2, 0.2, -1));
  EXPECT_NEAR(MoonSeries(0, 0.2, 20), MoonSeries(0, 0.2, -1), 2e-4);
}

TEST(Moon, NewMoonOf2000January6) {
  const ClockTime c = CalendarOfJulianDay(TimeOfElongation(0) * 36525 + kJ2000);
  EXPECT_EQ(c.year * 10000 + c.month * 100 + c.day, 20000106);
  EXPECT_NEAR(c.hour * 60 + c.minute + c.second / 60.0, 18 * 60 + 15, 1);
}

TEST(Moon, ElongationInverse) {
  // Every 19th new moon and first quarter from 1600 to 2100: the full
  // inverse hits the elongation, the quick one comes within minutes.
  for (int k = -4950; k <= 1240; k += 19) {
    for (double q : {0.0, kPi / 2}) {
      const double w = k * kTwoPi + q;
      const double t = TimeOfElongation(w);
      EXPECT_NEAR(MoonSunElongation(t, -1, 60), w, 1e-6) << k;  // 0.2"
      EXPECT_NEAR(TimeOfElongationFast(w), t, 10.0 / 1440 / 36525) << k;
    }
  }
}

TEST(Moon, LongitudeRateFollowsTheSeries) {
  for (double t = -4; t <= 1; t += 0.0731) {
    const double h = 1e-6;
    const double numeric = (MoonLongitude(t + h) - MoonLongitude(t - h)) / (2 * h);
    EXPECT_NEAR(MoonLongitudeRate(t), numeric, 15) << t;  // 0.2 %
  }
}

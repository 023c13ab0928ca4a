// Number formatting and the block-buffered text writer, compared with printf
// and with the standard stream formatting of the same items.
#include "io/text_writer.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iomanip>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "io/number_format.hpp"
#include "support/text.hpp"

namespace {

using testing_support::FromBits;
using testing_support::Printf;

std::string Fixed(double value, int decimals) {
  char text[400];
  return std::string(text, FormatFixed(text, value, decimals));
}

std::string General(double value, int precision) {
  char text[400];
  return std::string(text, FormatGeneral(text, value, precision));
}

std::string Integer(std::int64_t value) {
  char text[400];
  return std::string(text, FormatInteger(text, value));
}

// Counts mismatches instead of failing on each, so that a systematic fault
// reports a few examples rather than millions of lines.
class Mismatches {
 public:
  void Check(const std::string& got, const std::string& expected, double value, int digits) {
    if (got == expected) return;
    if (++count_ <= 10) {
      ADD_FAILURE() << std::hexfloat << value << std::defaultfloat << " (" << value << ") with "
                    << digits << ": got \"" << got << "\", expected \"" << expected << "\"";
    }
  }
  ~Mismatches() { EXPECT_EQ(count_, 0) << "values formatted differently from printf"; }

 private:
  long count_ = 0;
};

void CheckFixed(Mismatches& mismatches, double value, int decimals) {
  mismatches.Check(Fixed(value, decimals), Printf("%.*f", decimals, value), value, decimals);
}

void CheckFixedBothSigns(Mismatches& mismatches, double value) {
  for (const int decimals : {6, 15}) {
    CheckFixed(mismatches, value, decimals);
    CheckFixed(mismatches, -value, decimals);
  }
}

// Values whose decimal expansion ends exactly on a half at the first dropped
// digit: k + j / 2^(d+1) with j odd has d+1 decimals and its last one is 5.
TEST(FormatFixed, TiesAndCarriesRoundAsPrintfDoes) {
  Mismatches mismatches;
  for (const int decimals : {0, 1, 2, 3, 6, 15}) {
    const double step = std::ldexp(1.0, -(decimals + 1));
    for (std::int64_t k : {0LL, 1LL, 2LL, 7LL, 10LL, 123LL, 99999LL, 1000000LL, 4503599627LL}) {
      for (int j = 1; j < 64; j += 2) {
        const double value = static_cast<double>(k) + j * step;
        if (value - static_cast<double>(k) != j * step) continue;  // not exact
        CheckFixed(mismatches, value, decimals);
        CheckFixed(mismatches, -value, decimals);
      }
    }
  }
  // k + 0.5 at many scales with no decimals: half to even.
  for (std::int64_t k = 0; k < 20000; ++k) {
    CheckFixed(mismatches, static_cast<double>(k) + 0.5, 0);
    CheckFixed(mismatches, -(static_cast<double>(k) + 0.5), 0);
  }
  for (int e = 0; e < 52; ++e) {
    const double k = std::ldexp(1.0, e);
    CheckFixed(mismatches, k + 0.5, 0);
    CheckFixed(mismatches, k - 0.5, 0);
    CheckFixed(mismatches, k + 1.5, 0);
  }
  // Few decimals, exactly representable.
  EXPECT_EQ(Fixed(0.125, 2), "0.12");
  EXPECT_EQ(Fixed(0.375, 2), "0.38");
  EXPECT_EQ(Fixed(2.5, 0), "2");
  EXPECT_EQ(Fixed(3.5, 0), "4");
  EXPECT_EQ(Fixed(-0.5, 0), "-0");
  EXPECT_EQ(Fixed(0.0078125, 6), "0.007812");
  EXPECT_EQ(Fixed(0.0234375, 6), "0.023438");

  // Values that round to the next unit, at every number of decimals.
  const double values[] = {
      0.9999999999999999, 9.9999995,           99.9999995,         0.9999995,
      0.99999949,         0.99999951,          999999.9999995,     0.9999999999999995,
      9.999999999999999,  0.49999999999999994, 0.5000000000000001, 1.0000005,
      2.0000005};
  for (const double value : values) {
    for (int decimals = 0; decimals <= 17; ++decimals) {
      CheckFixed(mismatches, value, decimals);
      CheckFixed(mismatches, -value, decimals);
    }
  }
  // Neighbours of the values 10^k - 0.5 * 10^-d, where the rounding carries
  // through every digit.
  for (const int decimals : {6, 15}) {
    for (int k = -5; k <= 15; ++k) {
      double value = std::pow(10.0, k) - 0.5 * std::pow(10.0, -decimals);
      for (int step = 0; step < 8; ++step) value = std::nextafter(value, 0.0);
      for (int step = 0; step < 16; ++step) {
        CheckFixed(mismatches, value, decimals);
        CheckFixed(mismatches, -value, decimals);
        value = std::nextafter(value, 1e300);
      }
    }
  }
  // Around 2^53, where the doubles become whole numbers.
  double value = 0x1p53;
  for (int step = 0; step < 200; ++step) value = std::nextafter(value, 0.0);
  for (int step = 0; step < 400; ++step) {
    for (int decimals = 0; decimals <= 17; ++decimals) {
      CheckFixed(mismatches, value, decimals);
      CheckFixed(mismatches, -value, decimals);
    }
    value = std::nextafter(value, 1e300);
  }
  for (const double v : {0x1p53 - 0.5, 0x1p53 - 1.5, 0x1p53 - 1.0, 0x1p53 + 2.0, 0x1p52 + 0.5,
                         0x1p52 - 0.25, 0x1p52 - 0.75}) {
    CheckFixedBothSigns(mismatches, v);
  }
}

TEST(FormatFixed, HandPickedValues) {
  // Expected texts worked out by hand from the exact binary values.
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {0.0, 6, "0.000000"},
      {-0.0, 6, "-0.000000"},
      {20.0, 6, "20.000000"},
      {0.1, 15, "0.100000000000000"},
      {-0.25, 15, "-0.250000000000000"},
      {0.1, 20, "0.10000000000000000555"},
      {0.9999999999999999, 6, "1.000000"},
      {0.9999999999999999, 15, "1.000000000000000"},
      {9.9999995, 6, "9.999999"},  // the double is just below the half
      {9.99999951, 6, "10.000000"},
      {-0.0000004, 6, "-0.000000"},
      {0.0000005, 6, "0.000000"},  // the double is just below the half
      {2.5e-6, 6, "0.000003"},     // the double is just above the half
      {0.0000015, 6, "0.000002"},  // the double is just above the half
      {1e-320, 6, "0.000000"},
      {123.5, 6, "123.500000"},
      {9007199254740991.0, 6, "9007199254740991.000000"},
      {9007199254740992.0, 6, "9007199254740992.000000"},
      {9007199254740994.0, 0, "9007199254740994"},
      {1e22, 0, "10000000000000000000000"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Fixed(c.value, c.decimals), c.text) << c.value << " with " << c.decimals;
  }
}

TEST(FormatFixed, AllMagnitudesMatchPrintf) {
  Mismatches mismatches;
  std::mt19937_64 rng(4242);
  // Random mantissas over every decimal exponent from 1e-320 to 1e300, with
  // more values where the digits are actually formatted (below 2^53).
  std::uniform_real_distribution<double> unit(1.0, 10.0);
  for (int e = -320; e <= 300; ++e) {
    // Above 2^53 and far below one unit of the last decimal the text is all
    // given digits or all zeros; fewer values are needed there.
    const int count = (e >= -17 && e <= 16) ? 10000 : 40;
    const double scale = std::pow(10.0, e);
    for (int i = 0; i < count; ++i) {
      const double value = unit(rng) * scale;
      CheckFixedBothSigns(mismatches, value);
    }
  }
  // Short decimal values, which sit close to the ties.
  for (int i = 0; i < 150000; ++i) {
    const std::int64_t digits = static_cast<std::int64_t>(rng() % 100000000);
    const int exponent = static_cast<int>(rng() % 23) - 15;
    const double value = static_cast<double>(digits) * std::pow(10.0, exponent);
    CheckFixedBothSigns(mismatches, value);
  }
  EXPECT_EQ(Fixed(-0.0, 15), Printf("%.*f", 15, -0.0));
}

TEST(FormatFixed, RandomBitPatternsMatchPrintf) {
  Mismatches mismatches;
  std::mt19937_64 rng(99);
  for (int i = 0; i < 250000; ++i) {
    const std::uint64_t bits = rng();
    if (i % 8 == 0) {
      CheckFixed(mismatches, FromBits(bits), 6);
      CheckFixed(mismatches, FromBits(bits), 15);
    }
    // The same mantissa bits with an exponent below 2^53.
    const std::uint64_t exponent = 0x3ff - 70 + rng() % 122;
    const double near = FromBits((bits & 0x800fffffffffffffULL) | (exponent << 52));
    CheckFixed(mismatches, near, 6);
    CheckFixed(mismatches, near, 15);
  }
  for (int decimals = 0; decimals <= 17; ++decimals) {
    for (int i = 0; i < 20000; ++i) {
      const std::uint64_t exponent = 0x3ff - 60 + rng() % 113;
      CheckFixed(mismatches, FromBits((rng() & 0x800fffffffffffffULL) | (exponent << 52)),
                 decimals);
    }
  }
  for (const double special :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::max(), std::numeric_limits<double>::denorm_min(),
        std::numeric_limits<double>::min()}) {
    CheckFixedBothSigns(mismatches, special);
  }
}

TEST(FormatGeneral, MatchesPrintf) {
  Mismatches mismatches;
  std::mt19937_64 rng(5);
  std::uniform_real_distribution<double> unit(1.0, 10.0);
  for (int i = 0; i < 100000; ++i) {
    const double value =
        i % 2 ? FromBits(rng()) : unit(rng) * std::pow(10.0, static_cast<int>(rng() % 40) - 20);
    for (const int precision : {6, 15}) {
      mismatches.Check(General(value, precision), Printf("%.*g", precision, value), value,
                       precision);
    }
  }
}

TEST(FormatGeneral, NotationFollowsTheExponent) {
  // General notation: fixed for exponents -4 .. p-1, otherwise an exponent of
  // at least two digits; trailing zeros and a trailing point dropped.
  struct Case {
    double value;
    int precision;
    const char* text;
  };
  const Case cases[] = {
      {1.47, 6, "1.47"},
      {1.0, 6, "1"},
      {0.0, 6, "0"},
      {-0.0, 6, "-0"},
      {123456.0, 6, "123456"},
      {1234567.0, 6, "1.23457e+06"},
      {1234567.0, 15, "1234567"},
      {0.0001, 6, "0.0001"},
      {0.00001, 6, "1e-05"},
      {0.000012345678, 6, "1.23457e-05"},
      {1.0 / 3, 6, "0.333333"},
      {1.0 / 3, 15, "0.333333333333333"},
      {0.1, 15, "0.1"},
      {2.0 / 3, 6, "0.666667"},
      {1e100, 6, "1e+100"},
      {-2.5e-300, 6, "-2.5e-300"},
      {999999.5, 6, "1e+06"},
      {99.99995, 6, "99.9999"},  // the double is just below the half
      {99.999951, 6, "100"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(General(c.value, c.precision), c.text) << c.value << " with " << c.precision;
  }
}

TEST(FormatInteger, MatchesPrintf) {
  const std::int64_t min = std::numeric_limits<std::int64_t>::min();
  const std::int64_t max = std::numeric_limits<std::int64_t>::max();
  std::vector<std::int64_t> values = {0,   1,       -1, 9, 10, -10, 2147483647, -2147483648LL,
                                      min, min + 1, max};
  std::int64_t power = 1;
  for (int k = 0; k < 18; ++k) {
    power *= 10;
    for (const std::int64_t v : {power - 1, power, power + 1}) {
      values.push_back(v);
      values.push_back(-v);
    }
  }
  std::mt19937_64 rng(11);
  for (int i = 0; i < 300000; ++i) {
    const std::int64_t raw = static_cast<std::int64_t>(rng());
    values.push_back(raw >> (rng() % 64));
  }
  long mismatches = 0;
  for (const std::int64_t v : values) {
    char expected[32];
    std::snprintf(expected, sizeof expected, "%lld", static_cast<long long>(v));
    if (Integer(v) != expected && ++mismatches <= 10) {
      ADD_FAILURE() << v << ": got \"" << Integer(v) << "\"";
    }
  }
  EXPECT_EQ(mismatches, 0);
}

// ---- TextWriter ----

TEST(TextWriter, WidthPadsOnTheLeftForOneItem) {
  std::ostringstream os;
  {
    TextWriter w(os);
    w << Width10 << 42 << 7 << '\n';
    w << Width4 << 12345 << '\n';
    w << Width7 << "ab"
      << "cd" << '\n';
    w << Width7 << 1.47 << Width7 << 1.0 << Width7 << 1234567.0 << '\n';
    w << Width10 << std::int64_t{-12345678901} << Width4 << 'x' << '\n';
    w.Width(3) << -5 << '|';
    w.Width(0) << 5 << '|';
  }
  EXPECT_EQ(os.str(),
            "        427\n"
            "12345\n"
            "     abcd\n"
            "   1.47      11.23457e+06\n"
            "-12345678901   x\n"
            " -5|5|");
}

TEST(TextWriter, IntegerFieldsMatchTheStreamAtEveryWidth) {
  // Every value up to 10^6, the neighbourhood of each power of ten up to
  // 10^12 (where the digit count changes) and their negatives, in fields
  // from none to wider than any number here.
  std::vector<std::int64_t> values;
  for (std::int64_t v = 0; v <= 1000000; ++v) values.push_back(v);
  for (std::int64_t power = 10; power <= 1000000000000; power *= 10) {
    for (std::int64_t v = power - 3; v <= power + 3; ++v) values.push_back(v);
  }
  for (std::size_t i = 0, n = values.size(); i < n; i += 7) values.push_back(-values[i]);
  for (const int width : {0, 1, 3, 4, 7, 8, 9, 10, 12}) {
    std::ostringstream os;
    std::ostringstream reference;
    {
      TextWriter w(os);
      for (const std::int64_t v : values) {
        w.Width(width) << v << '|';
        reference << std::setw(width) << v << '|';
      }
    }
    ASSERT_EQ(os.str().size(), reference.str().size()) << "width " << width;
    EXPECT_TRUE(os.str() == reference.str()) << "width " << width;
  }
}

TEST(TextWriter, RealsFollowTheChosenNotation) {
  std::ostringstream os;
  {
    TextWriter w(os);
    w << 0.1 << ' ';
    w.SetGeneral(15);
    w << 1.0 / 3 << ' ' << 0.1 << ' ';
    w.SetFixed(6);
    w << Width10 << 20.0 << Width10 << 0.0 << ' ';
    w.SetFixed(15);
    w << -0.25 << ' ';
    w.SetGeneral(6);
    w << 1.0 / 3;
  }
  EXPECT_EQ(os.str(), "0.1 0.333333333333333 0.1  20.000000  0.000000 -0.250000000000000 0.333333");
}

TEST(TextWriter, NothingIsLostAcrossBlocks) {
  // Several megabytes of mixed items, written the same way through a
  // standard stream as the reference, with single items larger than any
  // sensible block among them.
  std::ostringstream os;
  std::ostringstream reference;
  std::mt19937_64 rng(3);
  std::uniform_real_distribution<double> real(-1e4, 1e4);
  {
    TextWriter w(os);
    w.SetFixed(15);
    reference << std::fixed << std::setprecision(15);
    const std::string huge(700'000, 'h');
    w << Width10 << huge << Width4 << 1;
    reference << std::setw(10) << huge << std::setw(4) << 1;
    while (reference.tellp() < 6'000'000) {
      switch (rng() % 6) {
        case 0: {
          const int v = static_cast<int>(rng() % 2000001) - 1000000;
          w << Width10 << v;
          reference << std::setw(10) << v;
          break;
        }
        case 1: {
          const double v = real(rng);
          w << Width10 << v << "  ";
          reference << std::setw(10) << v << "  ";
          break;
        }
        case 2: {
          const std::string text(rng() % 40, static_cast<char>('a' + rng() % 26));
          w << Width7 << text;
          reference << std::setw(7) << text;
          break;
        }
        case 3: {
          const int v = static_cast<int>(rng() % 100000);
          w << Width4 << v;
          reference << std::setw(4) << v;
          break;
        }
        case 4: {
          const std::string text(rng() % 1'500'000, '.');
          if (rng() % 8 == 0) {
            w << Width10 << text;
            reference << std::setw(10) << text;
          }
          break;
        }
        default:
          w << '\n';
          reference << '\n';
      }
    }
  }
  ASSERT_EQ(os.str().size(), reference.str().size());
  EXPECT_TRUE(os.str() == reference.str()) << "output differs from the stream's formatting";
}

}  // namespace

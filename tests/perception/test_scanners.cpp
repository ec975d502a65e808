// The scanners' acceptance rules, which decide which value of a message lands where,
// and their behaviour at the edges of the text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "perception/msgparse.h"

namespace {

// The conversion walked literally, dividing the place value once per digit.
double WalkedConversion(std::string s) {
    if (s.empty()) return 0.0;
    const bool negative = s[0] == '-';
    if (negative) s.erase(0, 1);
    const size_t dot = s.find('.');
    const size_t k = dot == std::string::npos ? s.size() : dot;
    double place = k == 0 ? 0.1 : 1.0;
    for (size_t i = 1; i < k; ++i) place *= 10.0;
    double r = 0.0;
    for (char c : s) {
        if (c == '.') continue;
        r += (c - '0') * place;
        place /= 10.0;
    }
    return negative ? -r : r;
}

struct Scan {
    double value;
    int start;
    int end;
};

Scan Float(const std::string& s, int from) {
    Scan r{0.0, from, -7};
    r.value = MsgParse::GetFloat(s, r.start, r.end);
    return r;
}

}  // namespace

TEST(StringToFloat, PlaceValuesSignAndOddTokens) {
    EXPECT_DOUBLE_EQ(MsgParse::StringToFloat("-12.5"), -12.5);
    EXPECT_EQ(MsgParse::StringToFloat("3"), 3.0);
    EXPECT_NEAR(MsgParse::StringToFloat("1.2.3"), 1.23, 1e-12);
    EXPECT_EQ(MsgParse::StringToFloat(""), 0.0);
    EXPECT_NEAR(MsgParse::StringToFloat(".5"), 0.5, 1e-15);
    EXPECT_TRUE(std::signbit(MsgParse::StringToFloat("-0.00")));
    // Long tokens overflow the place value: a peer can hand us inf and NaN.
    EXPECT_TRUE(std::isinf(MsgParse::StringToFloat(std::string(400, '9'))));
    EXPECT_TRUE(std::isnan(MsgParse::StringToFloat("1" + std::string(400, '0'))));
}

TEST(StringToFloat, SameBitsAsDividingThePlaceValueDigitByDigit) {
    std::mt19937 rng(7);
    const char alphabet[] = "0123456789.-";
    for (int n = 0; n < 20000; ++n) {
        std::string token;
        const int len = static_cast<int>(rng() % 80);
        for (int i = 0; i < len; ++i) token += alphabet[rng() % (i == 0 ? 12 : 11)];
        const double a = MsgParse::StringToFloat(token);
        const double b = WalkedConversion(token);
        ASSERT_TRUE(std::memcmp(&a, &b, sizeof a) == 0 || (std::isnan(a) && std::isnan(b)))
            << token;
    }
}

TEST(GetFloat, ANumberOnlyCountsAfterABlankAndBeforeABlankOrBracket) {
    Scan r = Float("(ax 12.5)", 0);
    EXPECT_DOUBLE_EQ(r.value, 12.5);
    EXPECT_EQ(r.start, 4);
    EXPECT_EQ(r.end, 7);
    EXPECT_DOUBLE_EQ(Float("(12 5)", 0).value, 5.0);       // never right after '('
    EXPECT_DOUBLE_EQ(Float("x -.5 7)", 0).value, 7.0);     // '-' must precede a digit
    EXPECT_DOUBLE_EQ(Float("x 0.5e-3 8)", 0).value, 8.0);  // skipped whole
    EXPECT_DOUBLE_EQ(Float("x -4.25 1)", 0).value, -4.25);
    EXPECT_DOUBLE_EQ(Float("(a (b c) 3 4)", 0).value, 3.0);
    r = Float("(t 12", 0);  // ends the text without ')'
    EXPECT_EQ(r.start, -1);
    EXPECT_EQ(r.value, 0.0);
}

TEST(GetFloat, FailsCleanlyOutsideTheText) {
    const std::string s = "(a 1) (b 2)";
    for (int from : {-1, -100, static_cast<int>(s.size()), static_cast<int>(s.size()) + 5}) {
        const Scan r = Float(s, from);
        EXPECT_EQ(r.start, -1) << from;
        EXPECT_EQ(r.value, 0.0);
    }
    EXPECT_DOUBLE_EQ(Float(s, 5).value, 2.0);
    EXPECT_EQ(Float("", 0).start, -1);
}

TEST(GetString, SkipsDelimitersAndStopsAtBlankOrClosingBracket) {
    const std::string s = "(pm BeforeKickOff))";
    int start = 3, end = 0;
    EXPECT_EQ(MsgParse::GetString(s, start, end), "BeforeKickOff");
    EXPECT_EQ(start, 4);
    EXPECT_EQ(end, 17);
    start = 0;
    EXPECT_EQ(MsgParse::GetString("((ab(cd ef", start, end), "ab(cd");
}

TEST(GetString, WordAtTheEndAndNothingLeft) {
    int start = 1, end = 0;
    EXPECT_EQ(MsgParse::GetString(" word", start, end), "word");
    EXPECT_EQ(end, 5);
    start = 0;
    EXPECT_EQ(MsgParse::GetString(") ( ))", start, end), "");
    EXPECT_EQ(start, -1);
    start = -3;
    EXPECT_EQ(MsgParse::GetString("abc", start, end), "");
    EXPECT_EQ(start, -1);
    start = 3;
    EXPECT_EQ(MsgParse::GetString("abc", start, end), "");
    EXPECT_EQ(start, -1);
}

TEST(GetPolar, ThreeNumbersInARowOrNone) {
    int start = 0, end = 0;
    const Polar p = MsgParse::GetPolar("(pol 1.5 -20.25 3))", start, end);
    EXPECT_DOUBLE_EQ(p.Px, 1.5);
    EXPECT_DOUBLE_EQ(p.Py, -20.25);
    EXPECT_DOUBLE_EQ(p.Pz, 3.0);
    EXPECT_EQ(start, 16);
    EXPECT_EQ(end, 16);
    start = 0;
    MsgParse::GetPolar("(pol 1.5 2)", start, end);
    EXPECT_EQ(start, -1);

    Polar seen(9, 9, 9);
    EXPECT_TRUE(MsgParse::GetPolar("(See (B (pol 3.03 -7.88 -9.55)))", "B", seen));
    EXPECT_DOUBLE_EQ(seen.Py, -7.88);
    EXPECT_FALSE(MsgParse::GetPolar("(See (B (pol 3.03 -7.88)))", "B", seen));
    EXPECT_FALSE(MsgParse::GetPolar("(See (F1L (pol 1 2 3)))", "B", seen));
    EXPECT_DOUBLE_EQ(seen.Py, -7.88);  // untouched by the failures
}

// Every start in every prefix of a real entry, in buffers of exactly that size, so that
// the sanitizer build sees any read at or past the end.
TEST(Scanners, NeverReadPastTheEndOfATruncatedText) {
    const std::string full =
        "(P (team Red) (id 2) (head (pol 4.48 -15.15 0.06)) (rfoot (pol -.5 1e3 -6.71)))";
    for (size_t len = 0; len <= full.size(); ++len) {
        std::unique_ptr<char[]> buf(new char[len == 0 ? 1 : len]);
        std::memcpy(buf.get(), full.data(), len);
        const std::string_view s(buf.get(), len);
        for (int from = -1; from <= static_cast<int>(len) + 1; ++from) {
            int a = from, b = 0;
            MsgParse::GetFloat(s, a, b);
            if (a >= 0) {
                EXPECT_LT(b, static_cast<int>(len));
            }
            a = from;
            MsgParse::GetString(s, a, b);
            if (a >= 0) {
                EXPECT_LE(b, static_cast<int>(len));
            }
            a = from;
            MsgParse::GetPolar(s, a, b);
        }
    }
}

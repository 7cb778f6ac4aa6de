#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

#include "forms/numbers.h"

using namespace forms;

namespace {

ErrorKind errorOf(auto&& f) {
    try {
        f();
    } catch (const RuntimeError& e) {
        return e.kind();
    }
    ADD_FAILURE() << "no error raised";
    return ErrorKind::InvalidArgument;
}

}  // namespace

TEST(ToInteger, RoundsHalvesToEven) {
    EXPECT_EQ(ToInteger(2.5).value(), 2);
    EXPECT_EQ(ToInteger(3.5).value(), 4);
    EXPECT_EQ(ToInteger(-2.5).value(), -2);
    EXPECT_EQ(ToInteger(0.5).value(), 0);
    EXPECT_EQ(ToInteger(600.5).value(), 600);
    EXPECT_EQ(ToInteger(52.5).value(), 52);
    EXPECT_EQ(ToInteger(2.5000001).value(), 3);
    EXPECT_EQ(ToInteger(-0.4).value(), 0);
    EXPECT_EQ(ToInteger(-1.6).value(), -2);
}

TEST(ToInteger, RaisesOverflowOutsideSixteenBits) {
    EXPECT_EQ(ToInteger(32767.4).value(), 32767);
    EXPECT_EQ(ToInteger(-32768.5).value(), -32768);
    EXPECT_EQ(errorOf([] { ToInteger(32767.5); }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { ToInteger(-32769); }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { ToInteger(1e300); }), ErrorKind::Overflow);
}

TEST(IntegerArithmetic, IsCheckedAtSixteenBits) {
    EXPECT_EQ((Int(std::int16_t{32766}) + 1).value(), 32767);
    EXPECT_EQ(errorOf([] { Int(std::int16_t{32767}) + 1; }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { Int(std::int16_t{-32768}) - 1; }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { Int(std::int16_t{16384}) * 2; }), ErrorKind::Overflow);
    // Division of two integers is a real division.
    EXPECT_EQ((Int(std::int16_t{101}) / 2).value(), 50.5);
}

TEST(RealArithmetic, FaultsAreRaised) {
    EXPECT_EQ(errorOf([] { Sqrt(-1); }), ErrorKind::InvalidArgument);
    EXPECT_EQ(errorOf([] { Real(1) / 0; }), ErrorKind::DivisionByZero);
    EXPECT_EQ(errorOf([] { Real(-3) / 0; }), ErrorKind::DivisionByZero);
    EXPECT_EQ(errorOf([] { Real(0) / 0; }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { Real(1e308) * 10; }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { Real(1e308) + 1e308; }), ErrorKind::Overflow);
    EXPECT_EQ(Sqrt(0).value(), 0);
    // Underflow is not a fault.
    EXPECT_EQ((Real(1e-300) * 1e-300).value(), 0);
}

TEST(SinglePrecision, RoundsToNearestFloatAndChecksRange) {
    const double d = std::sqrt(101.0 * 101 + 100.0 * 100) / 2;
    EXPECT_EQ(ToSingle(d).value(), static_cast<double>(static_cast<float>(d)));
    EXPECT_NE(ToSingle(d).value(), d);
    EXPECT_EQ(ToSingle(0.1).value(), static_cast<double>(0.1f));
    EXPECT_EQ(ToSingle(3.4e38).value(), static_cast<double>(3.4e38f));
    EXPECT_EQ(errorOf([] { ToSingle(1e39); }), ErrorKind::Overflow);
    EXPECT_EQ(errorOf([] { ToSingle(-1e39); }), ErrorKind::Overflow);
}

TEST(IntegerText, HasASignPosition) {
    EXPECT_EQ(IntegerText(Int(45)), " 45");
    EXPECT_EQ(IntegerText(Int(0)), " 0");
    EXPECT_EQ(IntegerText(Int(-7)), "-7");
    EXPECT_EQ(IntegerText(Int(std::int16_t{-32768})), "-32768");
}

TEST(RealText, WritesLikeTheRuntime) {
    EXPECT_EQ(RealText(67.5), " 67.5");
    EXPECT_EQ(RealText(1.01), " 1.01");
    EXPECT_EQ(RealText(20), " 20");
    EXPECT_EQ(RealText(0.5), " .5");
    EXPECT_EQ(RealText(0.01), " .01");
    EXPECT_EQ(RealText(-0.5), "-.5");
    EXPECT_EQ(RealText(0), " 0");
    EXPECT_EQ(RealText(-50), "-50");
    EXPECT_EQ(RealText(89.5), " 89.5");
    EXPECT_EQ(RealText(Real(150) / 100), " 1.5");
    EXPECT_EQ(RealText(std::sqrt(20000.0) / 100), " 1.4142135623731");
    EXPECT_EQ(RealText(Real(2) / 3), " .666666666666667");
    EXPECT_EQ(RealText(1e-5), " 1E-05");
    EXPECT_EQ(RealText(1e20), " 1E+20");
}

TEST(PlainRealText, KeepsTheLeadingZero) {
    EXPECT_EQ(PlainRealText(0.5), "0.5");
    EXPECT_EQ(PlainRealText(Real(2) / 1.5), "1.33333333333333");
    EXPECT_EQ(PlainRealText(-0.25), "-0.25");
    EXPECT_EQ(PlainRealText(2), "2");
}

TEST(FixedTwo, RoundsTheDecimalTextHalfAwayFromZero) {
    EXPECT_EQ(FixedTwo(" 1.01"), "1.01");
    EXPECT_EQ(FixedTwo(" .5"), "0.50");
    EXPECT_EQ(FixedTwo(" 20"), "20.00");
    EXPECT_EQ(FixedTwo("-.5"), "-0.50");
    EXPECT_EQ(FixedTwo(" 0"), "0.00");
    EXPECT_EQ(FixedTwo("1.33333333333333"), "1.33");
    // 1.005 is below 1.005 in binary; the text is what is rounded.
    EXPECT_EQ(FixedTwo("1.005"), "1.01");
    EXPECT_EQ(FixedTwo("-1.005"), "-1.01");
    EXPECT_EQ(FixedTwo(" 9.995"), "10.00");
    EXPECT_EQ(FixedTwo(" 99.999"), "100.00");
    EXPECT_EQ(FixedTwo(" .004"), "0.00");
    EXPECT_EQ(FixedTwo(" 1.4142135623731"), "1.41");
    EXPECT_EQ(FixedTwo(" 1E-05"), "0.00");
    EXPECT_EQ(FixedTwo(" 1.2345E+2"), "123.45");
    // Not a number: the text stays as it is.
    EXPECT_EQ(FixedTwo(""), "");
    EXPECT_EQ(FixedTwo("abc"), "abc");
}

TEST(TextToReal, ReadsTheLeadingNumber) {
    EXPECT_EQ(TextToReal(" 45").value(), 45);
    EXPECT_EQ(TextToReal("").value(), 0);
    EXPECT_EQ(TextToReal(" ").value(), 0);
    EXPECT_EQ(TextToReal("-7").value(), -7);
    EXPECT_EQ(TextToReal(" 70.5").value(), 70.5);
    EXPECT_EQ(TextToReal(".5x").value(), 0.5);
    EXPECT_EQ(TextToReal("12 34").value(), 12);
    EXPECT_EQ(TextToReal("abc").value(), 0);
}

TEST(Conversions, IgnoreTheLocale) {
    // The decimal separator is always "." whatever the process's locale.
    const char* old = std::setlocale(LC_ALL, nullptr);
    const std::string saved = old ? old : "C";
    if (std::setlocale(LC_ALL, "pt_PT.UTF-8") || std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        EXPECT_EQ(RealText(0.5), " .5");
        EXPECT_EQ(PlainRealText(1.25), "1.25");
        EXPECT_EQ(FixedTwo(" 1.5"), "1.50");
        EXPECT_EQ(TextToReal(" 2.5").value(), 2.5);
    }
    std::setlocale(LC_ALL, saved.c_str());
}

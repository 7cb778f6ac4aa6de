// The numbers that handlers compute with, and the conversions between numbers and texts.
//
// Int is the 16-bit signed integer that sliders hold. Adding, subtracting and multiplying two of
// them is checked and raises Overflow out of range; dividing them is a real division, as the
// handlers' formulas mean it ("L / 2" may end in .5).
//
// Real is a 64-bit IEEE number whose every operation is checked: division of a non-zero number
// by zero raises DivisionByZero, a result that is not a number or too large raises Overflow.
// Sqrt of a negative number raises InvalidArgument.
#pragma once

#include <compare>
#include <concepts>
#include <cstdint>
#include <string>
#include <string_view>

#include "forms/errors.h"

namespace forms {

class Int {
  public:
    constexpr Int() = default;
    constexpr Int(std::int16_t v) : v_(v) {}
    // Only exact int literals convert implicitly (p * 2, h + 1); they are small by construction.
    template <std::same_as<int> T>
    constexpr Int(T v) : v_(static_cast<std::int16_t>(v)) {}

    constexpr std::int16_t value() const { return v_; }

    friend Int operator+(Int a, Int b) { return narrow(int{a.v_} + int{b.v_}); }
    friend Int operator-(Int a, Int b) { return narrow(int{a.v_} - int{b.v_}); }
    friend Int operator*(Int a, Int b) { return narrow(int{a.v_} * int{b.v_}); }
    friend constexpr bool operator==(Int a, Int b) = default;
    friend constexpr auto operator<=>(Int a, Int b) = default;

  private:
    static Int narrow(int v) {
        if (v < -32768 || v > 32767) raise(ErrorKind::Overflow);
        return Int(static_cast<std::int16_t>(v));
    }
    std::int16_t v_ = 0;
};

class Real {
  public:
    constexpr Real() = default;
    template <std::floating_point T>
    constexpr Real(T v) : v_(static_cast<double>(v)) {}
    template <std::same_as<int> T>
    constexpr Real(T v) : v_(v) {}
    constexpr Real(Int v) : v_(v.value()) {}

    constexpr double value() const { return v_; }

    friend Real operator+(Real a, Real b) { return checked(a.v_ + b.v_); }
    friend Real operator-(Real a, Real b) { return checked(a.v_ - b.v_); }
    friend Real operator*(Real a, Real b) { return checked(a.v_ * b.v_); }
    friend Real operator/(Real a, Real b) {
        if (b.v_ == 0)
            raise(a.v_ == 0 || a.v_ != a.v_ ? ErrorKind::Overflow : ErrorKind::DivisionByZero);
        return checked(a.v_ / b.v_);
    }
    friend Real operator-(Real a) { return Real(-a.v_); }
    friend constexpr bool operator==(Real a, Real b) { return a.v_ == b.v_; }
    friend constexpr std::partial_ordering operator<=>(Real a, Real b) { return a.v_ <=> b.v_; }

  private:
    static Real checked(double r) {
        // Finite results pass; infinities and not-a-number are the runtime's overflow.
        if (r - r != 0) raise(ErrorKind::Overflow);
        return Real(r);
    }
    double v_ = 0;
};

// A 16-bit integer divided by another is a real division.
inline Real operator/(Int a, Int b) {
    return Real(a) / Real(b);
}

Real Sqrt(Real x);  // raises InvalidArgument below zero
Real Atn(Real x);   // arctangent in radians
inline Real Sqr(Real x) {
    return x * x;
}

// Stores a real into a single-precision variable and reads it back: rounds to the nearest
// float (ties to even); a value beyond the float range raises Overflow.
Real ToSingle(Real x);

// Nearest integer, halves to even; Overflow outside -32768..32767.
Int ToInteger(Real x);

// " 45", " 0", "-7".
std::string IntegerText(Int n);
// " 67.5", " .5", "-.5", " 20": sign position, up to 15 significant digits, "." always.
std::string RealText(Real x);
// "0.5", "1.33333333333333": no sign position, leading zero kept, "." always.
std::string PlainRealText(Real x);
// The pattern "#0.00" applied to a number written as text: decimal rounding of the text, a 5 in
// the third decimal going away from zero. A text that is not a number comes back unchanged.
std::string FixedTwo(std::string_view text);
// The leading number of a text ("" and texts without a number give 0).
Real TextToReal(std::string_view text);

}  // namespace forms

#include "forms/numbers.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

// Some standard libraries (the one that comes with the WebAssembly compiler among them) convert
// only integers with <charconv>. There, and wherever PERNADAS_NO_FLOAT_CHARCONV asks for it so
// that the native tests can check it, the C library's conversions stand in: "%.15g" is what
// to_chars writes in its general form with 15 digits, and strtod in the "C" locale (the only one
// the program uses) reads a plain decimal to the same nearest double as from_chars.
#if !defined(PERNADAS_NO_FLOAT_CHARCONV) && !defined(__cpp_lib_to_chars)
#define PERNADAS_NO_FLOAT_CHARCONV 1
#endif

namespace forms {

Real Sqrt(Real x) {
    if (x < Real(0.0)) raise(ErrorKind::InvalidArgument);
    return Real(std::sqrt(x.value())) + Real(0.0);
}

Real Atn(Real x) {
    return Real(std::atan(x.value())) + Real(0.0);
}

Real ToSingle(Real x) {
    const double v = x.value();
    const double largest = std::numeric_limits<float>::max();
    if (std::fabs(v) > largest) {
        // Above the largest float, only what lies within half a step of it rounds down to it.
        if (std::fabs(v) >= largest + std::ldexp(1.0, 103)) raise(ErrorKind::Overflow);
        return Real(v < 0 ? -largest : largest);
    }
    return Real(static_cast<double>(static_cast<float>(v)));
}

Int ToInteger(Real x) {
    const double v = x.value();
    if (std::isnan(v)) raise(ErrorKind::Overflow);
    double r = std::floor(v);
    const double diff = v - r;
    if (diff > 0.5 || (diff == 0.5 && std::fmod(r, 2.0) != 0)) r += 1;
    if (r < -32768 || r > 32767) raise(ErrorKind::Overflow);
    return Int(static_cast<std::int16_t>(r));
}

std::string IntegerText(Int n) {
    const int v = n.value();
    std::string s = v < 0 ? "-" : " ";
    char buf[8];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v < 0 ? -v : v);
    s.append(buf, end);
    return s;
}

namespace {

// Up to 15 significant digits, trailing zeros removed, "." as separator, exponents written
// the way the runtime writes them ("1E-05", "1E+20").
std::string generalDigits(double magnitude) {
    char buf[64];
#ifdef PERNADAS_NO_FLOAT_CHARCONV
    const int length = std::snprintf(buf, sizeof buf, "%.15g", magnitude);
    std::string s(buf, static_cast<std::size_t>(length));
#else
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::general, 15);
    std::string s(buf, end);
#endif
    const auto e = s.find('e');
    if (e != std::string::npos) {
        std::string mantissa = s.substr(0, e);
        const char sign = s[e + 1];
        std::string digits = s.substr(e + 2);
        while (digits.size() > 2 && digits.front() == '0') digits.erase(0, 1);
        s = mantissa + "E" + sign + digits;
    }
    return s;
}

}  // namespace

std::string RealText(Real x) {
    const double v = x.value();
    std::string s = generalDigits(std::fabs(v));
    if (s.size() > 1 && s[0] == '0' && s[1] == '.') s.erase(0, 1);
    s.insert(s.begin(), v < 0 ? '-' : ' ');
    return s;
}

std::string PlainRealText(Real x) {
    const double v = x.value();
    std::string s = generalDigits(std::fabs(v));
    if (v < 0) s.insert(s.begin(), '-');
    return s;
}

std::string FixedTwo(std::string_view text) {
    // Read the text as a decimal number: blanks, an optional sign, digits, an optional point
    // and digits, an optional exponent, blanks.
    std::size_t i = 0;
    const std::size_t n = text.size();
    auto skipBlanks = [&] {
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < n && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    std::string digits;  // all digits, the point implied after `point` of them
    long point = 0;
    bool any = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') digits += text[i++], ++point, any = true;
    if (i < n && text[i] == '.') {
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') digits += text[i++], any = true;
    }
    if (!any) return std::string(text);
    if (i < n && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool expNegative = false;
        if (i < n && (text[i] == '-' || text[i] == '+')) expNegative = text[i++] == '-';
        long exponent = 0;
        bool expAny = false;
        while (i < n && text[i] >= '0' && text[i] <= '9') {
            if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
            ++i, expAny = true;
        }
        if (!expAny) return std::string(text);
        point += expNegative ? -exponent : exponent;
    }
    skipBlanks();
    if (i != n) return std::string(text);

    // Bring the point to a place inside the digits, with at least three decimals after it.
    if (point < 0) {
        digits.insert(0, static_cast<std::size_t>(-point), '0');
        point = 0;
    }
    if (static_cast<long>(digits.size()) < point + 3)
        digits.append(static_cast<std::size_t>(point + 3) - digits.size(), '0');
    std::string kept = digits.substr(0, static_cast<std::size_t>(point + 2));
    const bool roundUp = digits[static_cast<std::size_t>(point + 2)] >= '5';
    if (roundUp) {
        std::size_t k = kept.size();
        while (k > 0 && kept[k - 1] == '9') kept[--k] = '0';
        if (k == 0)
            kept.insert(0, 1, '1');
        else
            ++kept[k - 1];
    }
    const std::string decimals = kept.substr(kept.size() - 2);
    const std::size_t firstDigit = kept.find_first_not_of('0');
    const std::string whole = firstDigit >= kept.size() - 2
                                  ? std::string("0")
                                  : kept.substr(firstDigit, kept.size() - 2 - firstDigit);
    const bool zero = whole == "0" && decimals == "00";
    std::string out = negative && !zero ? "-" : "";
    out += whole;
    out += '.';
    out += decimals;
    return out;
}

Real TextToReal(std::string_view text) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
    std::string number;
    if (i < n && (text[i] == '-' || text[i] == '+')) {
        if (text[i] == '-') number += '-';
        ++i;
    }
    bool any = false;
    while (i < n && text[i] >= '0' && text[i] <= '9') number += text[i++], any = true;
    if (i < n && text[i] == '.') {
        number += '.';
        ++i;
        while (i < n && text[i] >= '0' && text[i] <= '9') number += text[i++], any = true;
    }
    if (!any) return Real(0.0);
    double v = 0;
    const char* first = number.data();
    if (*first == '-') ++first;
#ifdef PERNADAS_NO_FLOAT_CHARCONV
    // Out of range, from_chars leaves the value as it was; so does this.
    errno = 0;
    const double read = std::strtod(first, nullptr);
    if (errno != ERANGE) v = read;
#else
    std::from_chars(first, number.data() + number.size(), v);
#endif
    if (number[0] == '-') v = -v;
    return Real(v) + Real(0.0);
}

}  // namespace forms

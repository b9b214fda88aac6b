#include "data/numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace lichuan::numbers {

namespace {

bool isIgnored(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\r') ||
           c == QLatin1Char('\n');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// The leading number of a text as plain ASCII ("-1.5e3"), and whether it had any mantissa digit.
struct Scanned {
    std::string number;
    bool hasDigits = false;
};

Scanned scanLeadingNumber(QStringView text) {
    Scanned scanned;
    qsizetype i = 0;
    auto skip = [&] {
        while (i < text.size() && isIgnored(text.at(i)))
            ++i;
    };
    skip();
    if (i < text.size() && (text.at(i) == QLatin1Char('+') || text.at(i) == QLatin1Char('-'))) {
        if (text.at(i) == QLatin1Char('-'))
            scanned.number += '-';
        ++i;
    }
    bool point = false;
    for (skip(); i < text.size(); ++i, skip()) {
        const QChar c = text.at(i);
        if (isDigit(c)) {
            scanned.number += char(c.unicode());
            scanned.hasDigits = true;
        } else if (c == QLatin1Char('.') && !point) {
            scanned.number += '.';
            point = true;
        } else {
            break;
        }
    }
    if (!scanned.hasDigits)
        return scanned;

    // An exponent counts only when digits follow its letter (and optional sign).
    if (i < text.size()) {
        const QChar e = text.at(i).toUpper();
        if (e == QLatin1Char('E') || e == QLatin1Char('D')) {
            qsizetype j = i + 1;
            std::string exponent = "e";
            while (j < text.size() && isIgnored(text.at(j)))
                ++j;
            if (j < text.size() && (text.at(j) == QLatin1Char('+') || text.at(j) == QLatin1Char('-')))
                exponent += char(text.at(j++).unicode());
            bool exponentDigits = false;
            for (; j < text.size(); ++j) {
                if (isDigit(text.at(j))) {
                    exponent += char(text.at(j).unicode());
                    exponentDigits = true;
                } else if (!isIgnored(text.at(j))) {
                    break;
                }
            }
            if (exponentDigits)
                scanned.number += exponent;
        }
    }
    return scanned;
}

// |value| × 10^decimals rounded half away from zero, computed on the 15-significant-digit decimal form of
// the value, as decimal digits without leading zeros ("0" for zero).
std::string scaledDigits(double value, int decimals) {
    if (!std::isfinite(value))
        return "0";
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    if (ec != std::errc())
        return "0";
    // buffer holds "d.ddddddddddddddde±x".
    const std::string text(buffer, end);
    const auto ePos = text.find('e');
    std::string mantissa = text.substr(0, 1) + text.substr(2, ePos - 2);
    const int exponent = std::stoi(text.substr(ePos + 1));
    const int integerDigits = exponent + 1 + decimals; // digits of the mantissa before the rounding point

    std::string digits;
    if (integerDigits >= int(mantissa.size())) {
        digits = mantissa + std::string(std::size_t(integerDigits) - mantissa.size(), '0');
    } else if (integerDigits < 0) {
        digits = "0";
    } else {
        digits = mantissa.substr(0, std::size_t(integerDigits));
        if (mantissa[std::size_t(integerDigits)] >= '5') {
            int k = int(digits.size()) - 1;
            while (k >= 0 && digits[std::size_t(k)] == '9')
                digits[std::size_t(k--)] = '0';
            if (k < 0)
                digits.insert(digits.begin(), '1');
            else
                ++digits[std::size_t(k)];
        }
    }
    const auto first = digits.find_first_not_of('0');
    return first == std::string::npos ? std::string("0") : digits.substr(first);
}

} // namespace

double leadingNumber(QStringView text) {
    const Scanned scanned = scanLeadingNumber(text);
    if (!scanned.hasDigits)
        return 0;
    double value = 0;
    const char* begin = scanned.number.data();
    const char* end = begin + scanned.number.size();
    // from_chars takes no leading "+" and reads ".5" as it should; a value out of range reads 0.
    const auto result = std::from_chars(begin, end, value);
    if (result.ec != std::errc() || !std::isfinite(value))
        return 0;
    return value;
}

bool hasLeadingNumber(QStringView text) {
    return scanLeadingNumber(text).hasDigits;
}

QString fixed(double value, int decimals) {
    decimals = std::max(0, decimals);
    std::string digits = scaledDigits(value, decimals);
    const bool negative = value < 0 && digits != "0";
    if (digits.size() <= std::size_t(decimals))
        digits.insert(digits.begin(), std::size_t(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - std::size_t(decimals), 1, '.');
    if (negative)
        digits.insert(digits.begin(), '-');
    return QString::fromLatin1(digits.data(), qsizetype(digits.size()));
}

QString shortest(double value) {
    if (!std::isfinite(value) || value == 0)
        return QStringLiteral("0");
    char buffer[64];
    const auto [end, ec] =
        std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value), std::chars_format::scientific, 14);
    if (ec != std::errc())
        return QStringLiteral("0");
    const std::string text(buffer, end);
    const auto ePos = text.find('e');
    std::string mantissa = text.substr(0, 1) + text.substr(2, ePos - 2);
    const int exponent = std::stoi(text.substr(ePos + 1));
    const auto last = mantissa.find_last_not_of('0');
    mantissa.erase(last + 1);

    std::string out = value < 0 ? "-" : "";
    if (exponent >= 15 || exponent < -4) {
        // Scientific form as the old runtime printed it: 1.5E+15, 1E-05.
        out += mantissa.substr(0, 1);
        if (mantissa.size() > 1)
            out += "." + mantissa.substr(1);
        const int magnitude = std::abs(exponent);
        out += exponent < 0 ? "E-" : "E+";
        if (magnitude < 10)
            out += '0';
        out += std::to_string(magnitude);
    } else if (exponent < 0) {
        out += "0." + std::string(std::size_t(-exponent - 1), '0') + mantissa;
    } else if (int(mantissa.size()) <= exponent + 1) {
        out += mantissa + std::string(std::size_t(exponent + 1) - mantissa.size(), '0');
    } else {
        out +=
            mantissa.substr(0, std::size_t(exponent + 1)) + "." + mantissa.substr(std::size_t(exponent + 1));
    }
    return QString::fromLatin1(out.data(), qsizetype(out.size()));
}

long long roundHalfEven(double value) {
    if (!std::isfinite(value) || std::fabs(value) > 9.0e18)
        return 0;
    const double floor = std::floor(value);
    const double fraction = value - floor;
    auto result = static_cast<long long>(floor);
    if (fraction > 0.5 || (fraction == 0.5 && (result % 2 != 0)))
        ++result;
    return result;
}

Decimal4 Decimal4::fromText(QStringView text) {
    const double value = leadingNumber(text);
    const std::string digits = scaledDigits(value, 4);
    Decimal4 result;
    // Amounts beyond 10^14 do not occur; such a text counts as zero rather than overflowing.
    if (digits.size() > 18)
        return result;
    result.units_ = std::stoll(digits);
    if (value < 0)
        result.units_ = -result.units_;
    return result;
}

QString Decimal4::toFixed2() const {
    const long long magnitude = units_ < 0 ? -units_ : units_;
    long long hundredths = magnitude / 100;
    if (magnitude % 100 >= 50)
        ++hundredths;
    QString text = QString::number(hundredths / 100) + QLatin1Char('.') +
                   QStringLiteral("%1").arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    if (units_ < 0 && hundredths != 0)
        text.prepend(QLatin1Char('-'));
    return text;
}

} // namespace lichuan::numbers

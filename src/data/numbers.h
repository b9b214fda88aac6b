#pragma once
// Locale-free numbers as the clinic's texts hold them: the leading number of a text, amounts with a fixed
// number of decimals rounded half away from zero, and the shortest decimal text of a value.

#include <QString>
#include <QStringView>

namespace lichuan::numbers {

// The leading number of a text: spaces, tabs, "\r" and "\n" are ignored wherever they stand; then an
// optional sign, digits with at most one ".", and an optional exponent (E or D with digits). A text without
// a leading number reads 0. "10g" → 10, "1 000" → 1000, ".5" → 0.5, "abc" → 0. No hex, no "inf".
double leadingNumber(QStringView text);
// Whether the text (ignoring spaces) starts with a number at all.
bool hasLeadingNumber(QStringView text);

// `value` with exactly `decimals` decimals, rounded half away from zero on its 15-significant-digit decimal
// form (2.5 × 0.125 → "0.313" at three decimals); a result that reads as zero has no minus sign.
QString fixed(double value, int decimals);

// The shortest decimal text of a value with 15 significant digits: 3 × 0.3 → "0.9", 60 → "60", 1.5 → "1.5".
QString shortest(double value);

// Rounds half to even: 34.5 → 34, 35.5 → 36.
long long roundHalfEven(double value);

// An exact decimal with four places (a count of ten-thousandths), for sums of amounts.
class Decimal4 {
public:
    Decimal4() = default;
    // The value of a decimal text such as "3.000", "-0.5" or "12"; its leading number, rounded half away
    // from zero to four places.
    static Decimal4 fromText(QStringView text);
    // The value of a count of ten-thousandths.
    static Decimal4 fromUnits(long long units) {
        Decimal4 value;
        value.units_ = units;
        return value;
    }
    Decimal4& operator+=(const Decimal4& other) {
        units_ += other.units_;
        return *this;
    }
    bool isZero() const { return units_ == 0; }
    // Two decimals, rounded half away from zero: 0.0020 → "0.00", 3.0000 → "3.00".
    QString toFixed2() const;
    long long units() const { return units_; }

private:
    long long units_ = 0;
};

} // namespace lichuan::numbers

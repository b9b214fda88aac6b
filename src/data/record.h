#pragma once
// The prescription sheet as data, and the text formats stored with it: the priced-lines text (计价),
// the patient key and birth year, the record key and the history entry text.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <array>

namespace lichuan {

constexpr int kHeaderFieldCount = 15; // Text5(0) … Text5(14)
constexpr int kPricedLineCount = 36;  // priced lines 0 … 35

// Header field numbers with a meaning of their own.
enum HeaderField {
    kName = 0,
    kSex = 1,
    kAge = 2,
    kDepartment = 3,
    kAddress = 4,
    kDate = 5,
    kDiagnosis = 6,
    kPhysician = 7,
    kDispenser = 8,
    kAmount = 9,
    kDate2 = 10,
    kPhone = 11,
    kCaseNumber = 12,
    kInsuranceNumber = 13,
    kFeeCategory = 14,
};

// One priced line: the cells Lb2 … Lb8.
struct PricedLine {
    QString name;     // Lb2 药物名称
    QString quantity; // Lb3 数量
    QString unit;     // Lb4 单位
    QString price;    // Lb5 单价
    QString amount;   // Lb6 金额
    QString drawer;   // Lb7 斗位
    QString category; // Lb8 catalog category (not stored in 计价)
    bool operator==(const PricedLine& o) const;
};
using PricedLines = std::array<PricedLine, kPricedLineCount>;

// What the clinical checks keep with a prescription, in a row of 用药确认 beside its 档案 row: the 妊娠 mark
// and the doctor's confirmation of the warnings that needed one.
struct ClinicalNote {
    bool pregnant = false;
    QString reason;   // the doctor's reason; empty when nothing was confirmed
    QString warnings; // the warnings confirmed, as they were shown, one a line ("\r\n")
    QString time;     // when they were confirmed, yyyy-MM-dd hh:mm:ss
    QString station;  // where they were confirmed
    bool confirmed() const { return !reason.isEmpty(); }
    bool isEmpty() const { return !pregnant && !confirmed(); }
    bool operator==(const ClinicalNote& o) const {
        return pregnant == o.pregnant && reason == o.reason && warnings == o.warnings && time == o.time &&
               station == o.station;
    }
};

// What a save writes and a reload reads: one row of 档案.
struct SheetRecord {
    QString key;                                   // Label4 → 序号
    std::array<QString, kHeaderFieldCount> fields; // Text5(i) → column "i"
    QString items;                                 // R1 → T1, line breaks as "\r\n"
    bool herbal = true;                            // 类别 "中" (herbal) or "西"
    QString settled;                               // Label5 → 发药: "" or "-已结算"
    QString caseRecord;                            // PendingCaseRecord → 病历
    PricedLines lines;                             // → 计价
    ClinicalNote clinical;                         // → 用药确认
};

inline const QString kSettledMarker = QStringLiteral("-已结算");

// The 计价 text: six column strings (names, quantities, units, prices, amounts, drawers), each cell followed
// by "@" and each column by "$"; the walk stops at the first line with an empty name. A "@" or "$" inside a
// cell is written in its full-width form (＠, ＄) so that it cannot split the cell.
QString pricingText(const PricedLines& lines);
// Reads a 计价 text back, split at "$" and "@" as it is stored: a last column or cell without its closing
// separator is read all the same; cells the text does not reach stay empty, pieces beyond line 35 are
// dropped.
PricedLines readPricingText(const QString& text);

// "yyyyMMddhhmmss" of a moment, the 14 digits of record keys and record numbers.
QString timestamp14(const QDateTime& moment);
// The date format of the sheet and of every stored date: "yyyy-MM-dd".
inline const QString kDateFormat = QStringLiteral("yyyy-MM-dd");

// Birth year from an age as typed: every "岁", "Y" and "y" removed, the leading number of the rest
// (0 when none), current year minus it, as the shortest decimal text (a fractional age gives a fraction).
QString birthYear(const QString& age, int currentYear);
// Patient key: name as typed + PinyinInitials(name without surrounding spaces) + birth year.
QString patientKey(const QString& name, const QString& age, int currentYear);
// Age shown for a stored birth year: current year minus the year, rounded half to even, as an integer;
// false when the stored text is not a number.
bool ageFromBirthYear(QStringView storedYear, int currentYear, int* age);

// One entry of the history list.
struct HistoryRow {
    QString key;     // 序号, so that an entry always maps to its own row
    QString name;    // column 0
    QString sex;     // column 1
    QString age;     // column 2
    QString date;    // column 5, yyyy-MM-dd
    QString settled; // 发药
};
// 张三[男,35岁,2024-03-01]-已结算
QString historyEntryText(const HistoryRow& row);

} // namespace lichuan

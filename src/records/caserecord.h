#pragma once
// The outpatient medical record as text: its ten fields, the stored form (each field followed by "$"),
// the header texts of the record window and what "引用处方" inserts.

#include <QString>
#include <QStringList>
#include <array>

namespace lichuan {

constexpr int kRecordFieldCount = 10;
using CaseRecordFields = std::array<QString, kRecordFieldCount>;

// Field numbers with a meaning of their own.
enum RecordField {
    kComplaint = 0,        // 主诉
    kPresentIllness = 1,   // 现病史
    kExamination = 5,      // 体检
    kChineseDiagnosis = 7, // 中医诊断及证型
    kTreatment = 9,        // 处理
};

// The caption of field i, as the window and the printed page show it ("主  诉：" … "处  理：").
QString recordFieldLabel(int field);

// The separator of the stored record, and what stands for it inside a field.
inline constexpr QChar kRecordSeparator = QLatin1Char('$');
inline constexpr QChar kFullWidthDollar = QChar(0xFF04);

// The text with every "$" in its full-width form "＄", so that it cannot split the stored record.
QString withoutSeparator(const QString& text);

// The stored record: every field followed by "$" (a "$" inside a field is written full-width).
QString caseRecordText(const CaseRecordFields& fields);
// Reads a stored record: field i is the text before the i-th "$"; fields after the last "$" stay empty,
// and so does every field of an empty text.
CaseRecordFields readCaseRecordText(const QString& text);

// "就诊时间：yyyy年mm月dd日hh时mm分" from the first twelve characters of a record key (missing characters
// give empty pieces).
QString visitTimeCaption(const QString& recordKey);
// The clinic name without any "处方笺", followed by "门诊病历".
QString recordTitle(const QString& clinicName);

// What "引用处方" inserts at the caret of the treatment field: a line break before every non-empty line
// of the item text as shown (lines of spaces count as non-empty).
QString citation(const QStringList& itemLines);

} // namespace lichuan

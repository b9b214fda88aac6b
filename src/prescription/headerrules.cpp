#include "prescription/headerrules.h"

#include "data/gbk.h"
#include "data/lookups.h"
#include "data/record.h"
#include "data/textrules.h"

namespace lichuan {

namespace {

const QString kMale = QStringLiteral("男");
const QString kFemale = QStringLiteral("女");
const QChar kSpace = QLatin1Char(' ');

} // namespace

QString sexShortcut(const QString& text) {
    if (text == QLatin1String("1"))
        return kMale;
    if (text == QLatin1String("2"))
        return kFemale;
    return text;
}

QString sexAfterClick(const QString& text) {
    return text != kMale ? kMale : kFemale;
}

QString diagnosisKey(const QString& fieldText) {
    const qsizetype lastSpace = fieldText.lastIndexOf(kSpace);
    if (lastSpace < 0)
        return trimSpaces(fieldText);
    return trimSpaces(fieldText.mid(lastSpace + 1));
}

QString completeDiagnosis(const QString& fieldText, const QString& picked) {
    const qsizetype lastSpace = fieldText.lastIndexOf(kSpace);
    if (lastSpace < 0)
        return picked;
    return fieldText.left(lastSpace + 1) + picked;
}

bool namePromptsPatients(const QString& nameText) {
    return gbk::charCount(nameText) >= 2;
}

std::optional<QString> patientAgeText(const PatientRow& row, int currentYear) {
    int age = 0;
    if (!ageFromBirthYear(row.birthYear, currentYear, &age))
        return std::nullopt;
    return QString::number(age) + QStringLiteral("岁");
}

std::optional<QString> patientEntryText(const PatientRow& row, int currentYear) {
    return PatientEntries(currentYear).text(row.name, row.birthYear);
}

PatientEntries::PatientEntries(int currentYear) : currentYear_(currentYear) {}

std::optional<QString> PatientEntries::text(QStringView name, QStringView birthYear) {
    int age = 0;
    if (!ageFromBirthYear(birthYear, currentYear_, &age))
        return std::nullopt;
    auto [at, added] = suffixes_.try_emplace(age);
    if (added)
        at->second = QLatin1Char('[') + QString::number(age) + QStringLiteral("岁]");
    QString entry;
    entry.reserve(name.size() + at->second.size());
    entry.append(name).append(at->second);
    return entry;
}

} // namespace lichuan

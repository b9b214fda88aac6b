#pragma once
// Rules of the sheet's header fields that need no window: the sex shortcuts, the keys of the suggestion
// lists, the completion of a diagnosis and the text of a known patient.

#include <QString>
#include <QStringView>
#include <optional>
#include <unordered_map>

namespace lichuan {

struct PatientRow;

// Typing "1" into the sex field gives 男, "2" gives 女; any other text stays as it is.
QString sexShortcut(const QString& text);
// A click on the sex field: 男 unless it already says 男, then 女.
QString sexAfterClick(const QString& text);

// The key the diagnosis suggestions follow while typing: the last of the diagnoses separated by spaces,
// without surrounding spaces (the whole text without surrounding spaces when it holds no space).
QString diagnosisKey(const QString& fieldText);
// The field after picking diagnosis `picked`: the last diagnosis is replaced, the earlier ones stay.
QString completeDiagnosis(const QString& fieldText, const QString& picked);

// The patient suggestions open from the second character of the name on.
bool namePromptsPatients(const QString& nameText);

// Age in years for a stored birth year, as the age field shows it (35岁); nothing when the stored year is
// not a number.
std::optional<QString> patientAgeText(const PatientRow& row, int currentYear);
// The suggestion of a known patient: 张三[35岁]; nothing when the stored year is not a number.
std::optional<QString> patientEntryText(const PatientRow& row, int currentYear);

// The same texts for the thousands of patients one keystroke can list, each age's "[35岁]" made once.
class PatientEntries {
public:
    explicit PatientEntries(int currentYear);
    std::optional<QString> text(QStringView name, QStringView birthYear);

private:
    int currentYear_;
    std::unordered_map<int, QString> suffixes_;
};

} // namespace lichuan

#pragma once
// The suggestion lists of the sheet's header: known patients, common addresses, diagnoses.

#include <QDeadlineTimer>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace lichuan {

class Database;

struct PatientRow {
    QString key;       // 序号
    QString name;      // 姓名
    QString sex;       // 性别
    QString birthYear; // 年龄 (holds the year of birth)
    QString insurance; // 医疗证号
    QString phone;     // 电话
    QString address;   // 住址
    QString fee;       // 费别
    QString diagnosis; // 诊断
};

struct PackedPatient;

// The patients a key found, read from the rows they were found in without copying them; what is stored
// later does not change them.
class PatientMatches {
public:
    using Rows = std::shared_ptr<const std::vector<PackedPatient>>;

    PatientMatches();
    PatientMatches(Rows rows, std::vector<int> found);
    ~PatientMatches();
    PatientMatches(PatientMatches&&) noexcept;
    PatientMatches& operator=(PatientMatches&&) noexcept;

    std::size_t size() const { return found_.size(); }
    QStringView name(std::size_t k) const;
    QStringView birthYear(std::size_t k) const;
    PatientRow row(std::size_t k) const;

private:
    Rows rows_;
    std::vector<int> found_; // positions in *rows_
};

// Patients whose key (序号) contains `key` literally (ASCII letters without regard to case), in the order
// the rows were stored. Answered from a copy this connection keeps current by the table's change stamp.
PatientMatches findPatients(const Database& main, const QString& key);
// The same, each row copied out.
std::vector<PatientRow> suggestPatients(const Database& main, const QString& key);
// The same rows read by one query each time, as the program did before it kept a copy.
std::vector<PatientRow> suggestPatientsByQuery(const Database& main, const QString& key);
// Reads the copy that findPatients answers from ahead, a slice at a time until `deadline`, so that the first
// suggestions of the day find it built (the rows changed meanwhile are taken in by the first lookup). True
// when there is nothing more to read: the copy is built, or this file keeps none, or reading it failed (the
// first lookup then reads the table itself). A lookup that comes before it is complete reads the rest at
// once.
bool readPatientsAhead(const Database& main, const QDeadlineTimer& deadline);
// Names of addresses / diagnoses whose key (序号) contains `key` literally.
QStringList suggestAddresses(const Database& main, const QString& key);
QStringList suggestDiagnoses(const Database& main, const QString& key);

} // namespace lichuan

#pragma once
// Clinic files for the report tests: prescriptions saved and settled the way the prescription window
// saves and settles them.

#include "data/defaults.h"
#include "data/engine.h"
#include "data/prescriptions.h"
#include "data/schema.h"
#include "testsupport.h"

#include <QTemporaryDir>
#include <memory>

namespace lichuan::test {

struct ClinicData {
    QTemporaryDir dir;
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> statistics;
    int saved = 0;

    ClinicData() {
        main = createDatabase(dir.filePath(QStringLiteral("数据库.dat")));
        schema::createMain(*main);
        defaults::fillMain(*main, QDateTime(QDate(2017, 1, 1), QTime(8, 0)));
        statistics = createDatabase(dir.filePath(QStringLiteral("用药统计.dat")));
        schema::createStatistics(*statistics);
    }

    // Saves a prescription of `date` ("yyyy-MM-dd") under the next key; returns the key.
    QString addPrescription(const QString& date, const QString& name, const QString& total = QString(),
                            const QString& diagnosis = QStringLiteral("感冒")) {
        SheetRecord sheet;
        sheet.key = QStringLiteral("201701010800%1a").arg(saved++, 4, 10, QLatin1Char('0'));
        sheet.fields[kName] = name;
        sheet.fields[kSex] = QStringLiteral("男");
        sheet.fields[kAge] = QStringLiteral("35岁");
        sheet.fields[kAddress] = QStringLiteral("东街%1号").arg(saved);
        sheet.fields[kDate] = date;
        sheet.fields[kDiagnosis] = diagnosis;
        sheet.fields[kAmount] = total;
        const SaveOutcome outcome = savePrescription(*main, sheet, true, QDate(2017, 3, 1));
        return outcome.saved ? outcome.key : QString();
    }

    // Writes statistics lines for a new settled prescription of `date`.
    bool addLines(const QDate& date, const std::vector<PricedLine>& lines) {
        PricedLines all;
        for (size_t i = 0; i < lines.size() && i < all.size(); ++i)
            all[i] = lines[i];
        return replaceStatistics(
            *statistics, QStringLiteral("2017010108%1b").arg(saved++, 6, 10, QLatin1Char('0')), date, all);
    }
};

inline PricedLine line(const QString& name, const QString& quantity, const QString& unit,
                       const QString& amount, const QString& category = QStringLiteral("中药")) {
    return PricedLine{name, quantity, unit, QStringLiteral("0.050"), amount, QStringLiteral("A1"), category};
}

} // namespace lichuan::test

#pragma once
// The two database files of a clinic after years of use, as the benchmarks of the workstation open them:
// ten years (200,000 prescriptions, 50,000 patients, 20,000 catalog items, as bench_memory --write makes
// them) or twenty (twice the prescriptions and patients, and 15 statistics lines per prescription:
// 6,000,000). The rows come from a fixed seed, so every run writes the same files.

#include "benchsupport.h"
#include "data/dates.h"
#include "data/defaults.h"
#include "data/numbers.h"
#include "data/record.h"
#include "data/searchcodes.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <cstdio>

namespace lichuan::bench {

struct ClinicSize {
    int years = 10;
    int prescriptions = 200'000;
    int patients = 50'000;
    int catalogItems = 20'000;
    int linesPerPrescription = 0; // statistics lines of each prescription (all are settled then)

    static ClinicSize tenYears() { return {}; }
    static ClinicSize twentyYears() { return {20, 400'000, 100'000, 20'000, 15}; }
};

// The moment the files are written for: the periods measured lie where the data is.
inline const QDateTime kClinicNow(QDate(2024, 6, 30), QTime(9, 30));

inline QString archiveInsertText() {
    QStringList columns{QStringLiteral("序号")};
    for (int i = 0; i < kHeaderFieldCount; ++i)
        columns << QString::number(i);
    columns << QStringLiteral("T1") << QStringLiteral("类别") << QStringLiteral("发药")
            << QStringLiteral("计价");
    QStringList quotedColumns;
    QStringList marks;
    for (const QString& column : std::as_const(columns)) {
        quotedColumns << quoted(column);
        marks << QStringLiteral("?");
    }
    return QStringLiteral("insert into [档案] (%1) values (%2)")
        .arg(quotedColumns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
}

// Writes both files into `folder` (which holds neither yet).
inline void writeClinicFiles(const QString& folder, const ClinicSize& size) {
    std::mt19937 random(17);
    const ClinicDatabases files = createClinicDatabases(QDir(folder));
    Database& main = *files.main;
    defaults::fillMain(main, kClinicNow);
    Transaction transaction(main);
    Statement item(main,
                   QStringLiteral("insert into [商品]([ID号],[名称],[查询],[拼音],[分类],[常用量],[单位],"
                                  "[单价],[斗位],[用法]) values(?,?,?,?,?,'10','g','0.050','A1','')"));
    const QStringList categories{QStringLiteral("中药"), QStringLiteral("西成药"),
                                 QStringLiteral("收费项目")};
    QStringList herbs; // the herbs the statistics lines name: the first few hundred of the catalog
    for (int i = 0; i < size.catalogItems; ++i) {
        const QString name = randomName(random, 2, 4) + QString::number(i);
        const QString initials = PinyinInitials(name);
        const QString& category = categories.at(i % 10 < 7 ? 0 : (i % 10 < 9 ? 1 : 2));
        item.reset();
        item.bind(1, QStringLiteral("m%1").arg(i))
            .bind(2, name)
            .bind(3, name + initials + KeyDigits(initials))
            .bind(4, initials)
            .bind(5, category);
        item.run();
        if (i % 10 < 7 && herbs.size() < 400)
            herbs << name;
    }
    Statement patient(main, QStringLiteral("insert into [患者信息]([序号],[姓名],[性别],[年龄],[电话],[住址],"
                                           "[费别],[诊断]) values(?,?,'男',?,?,'城关镇','自费','高血压病')"));
    std::uniform_int_distribution<int> year(1930, 2023);
    for (int i = 0; i < size.patients; ++i) {
        const QString name = randomName(random, 2, 3);
        const QString born = QString::number(year(random));
        patient.reset();
        patient.bind(1, name + initialsOf(name) + born)
            .bind(2, name)
            .bind(3, born)
            .bind(4, QStringLiteral("138%1").arg(i, 8, 10, QLatin1Char('0')));
        patient.run();
    }
    Statement row(main, archiveInsertText());
    const QString items = QStringLiteral("当归 10g     黄芪 15g     白芍 10g\r\n\r\n川芎 6g      甘草 6g");
    const QString pricing =
        QStringLiteral("当归@黄芪@白芍@川芎@甘草$60@90@60@36@36$g@g@g@g@g$0.050@0.030@0.040@"
                       "0.060@0.020$3.000@2.700@2.400@2.160@0.720$A1@B2@C3@D4@E5$");
    const QDateTime oldest = kClinicNow.addYears(-size.years);
    const qint64 step = oldest.secsTo(kClinicNow) / size.prescriptions;
    const int nameCount = 2000 * size.years; // people who came at least once
    std::uniform_int_distribution<int> someone(0, nameCount - 1);
    QStringList names;
    for (int i = 0; i < nameCount; ++i)
        names << randomName(random, 2, 3);
    const bool settled = size.linesPerPrescription > 0;
    std::unique_ptr<Transaction> linesTransaction;
    std::unique_ptr<Statement> line;
    if (settled) {
        linesTransaction = std::make_unique<Transaction>(*files.statistics);
        line = std::make_unique<Statement>(
            *files.statistics,
            QStringLiteral("insert into [统计] ([ID号],[名称],[数量],[单位],[单价],[金额],[斗位],[分类],"
                           "[备用1],[备用2],[日期]) values (?,?,?,?,?,?,'A1',?,'','',?)"));
    }
    std::uniform_int_distribution<int> herb(0, int(herbs.size()) - 1);
    for (int n = 0; n < size.prescriptions; ++n) {
        const QDateTime moment = oldest.addSecs(step * n);
        const QString key = timestamp14(moment) + QStringLiteral("m1");
        const QString day = dates::format(moment.date());
        row.reset();
        int c = 1;
        row.bind(c++, key);
        for (int i = 0; i < kHeaderFieldCount; ++i) {
            switch (i) {
            case kName:
                row.bind(c++, names.at(someone(random)));
                break;
            case kSex:
                row.bind(c++, QStringLiteral("男"));
                break;
            case kAge:
                row.bind(c++, QStringLiteral("45岁"));
                break;
            case kDate:
                row.bind(c++, day);
                break;
            case kDiagnosis:
                row.bind(c++, QStringLiteral("慢性胃炎"));
                break;
            default:
                row.bind(c++, QString(QLatin1String("")));
                break;
            }
        }
        row.bind(c++, items);
        row.bind(c++, QStringLiteral("中"));
        row.bind(c++, settled ? QString(kSettledMarker) : QString(QLatin1String("")));
        row.bind(c++, pricing);
        row.run();
        for (int l = 0; l < size.linesPerPrescription; ++l) {
            line->reset();
            line->bind(1, key).bind(8, day);
            if (l == 0 && n % 4 == 0) {
                line->bind(2, QStringLiteral("阿莫西林胶囊[0.25g*24]"))
                    .bind(3, QStringLiteral("2"))
                    .bind(4, QStringLiteral("盒"))
                    .bind(5, QStringLiteral("24.200"))
                    .bind(6, QStringLiteral("48.400"))
                    .bind(7, QStringLiteral("西成药"));
            } else if (l == 1 && n % 3 == 0) {
                line->bind(2, QStringLiteral("挂号费"))
                    .bind(3, QStringLiteral("1"))
                    .bind(4, QStringLiteral("次"))
                    .bind(5, QStringLiteral("15.000"))
                    .bind(6, QStringLiteral("15.000"))
                    .bind(7, QStringLiteral("收费项目"));
            } else {
                const int quantity = 6 * (5 + n % 25);
                line->bind(2, herbs.at(herb(random)))
                    .bind(3, QString::number(quantity))
                    .bind(4, QStringLiteral("g"))
                    .bind(5, QStringLiteral("0.050"))
                    .bind(6, numbers::fixed(quantity * 0.05, 3))
                    .bind(7, QStringLiteral("中药"));
            }
            line->run();
        }
    }
    if (linesTransaction)
        linesTransaction->commit();
    transaction.commit();
}

// The files of `size` in the data folder 中医处方数据库 of a machine folder in the temp folder named `name`
// (the folder that stands for drive c:), written on first use and kept for the next run (they take minutes
// to write). Returns the machine folder.
inline QString keptClinicFiles(const QString& name, const ClinicSize& size) {
    const QString machine = QDir::temp().filePath(QStringLiteral("lichuan-bench-") + name);
    const QString folder = QDir(machine).filePath(QStringLiteral("中医处方数据库"));
    const QString done = QDir(machine).filePath(QStringLiteral("complete"));
    if (QFile::exists(done))
        return machine;
    QDir(machine).removeRecursively();
    QDir().mkpath(folder);
    QElapsedTimer timer;
    timer.start();
    writeClinicFiles(folder, size);
    QFile marker(done);
    marker.open(QIODevice::WriteOnly);
    std::fprintf(stderr, "wrote %d prescriptions, %d patients and %d statistics lines in %.1f s in %s\n",
                 size.prescriptions, size.patients, size.prescriptions * size.linesPerPrescription,
                 double(timer.elapsed()) / 1000.0, qPrintable(folder));
    return machine;
}

} // namespace lichuan::bench

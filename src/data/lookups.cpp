#include "data/lookups.h"

#include "data/engine.h"

namespace lichuan {

namespace {

// Names of the rows of a word list (地址, 诊断) whose key contains `key`, in the order they were stored.
QStringList namesByKey(const Database& main, const QString& table, const QString& key) {
    QStringList names;
    try {
        Statement select(
            main, QStringLiteral("select [名称] from %1 where [序号] like ? escape '\\' order by rowid")
                      .arg(quoted(table)));
        select.bind(1, containsPattern(key));
        while (select.next())
            names << select.text(0);
    } catch (const DbError&) {
        names.clear();
    }
    return names;
}

} // namespace

std::vector<PatientRow> suggestPatients(const Database& main, const QString& key) {
    std::vector<PatientRow> patients;
    try {
        Statement select(
            main, QStringLiteral("select [序号],[姓名],[性别],[年龄],[医疗证号],[电话],[住址],[费别],[诊断] "
                                 "from [患者信息] where [序号] like ? escape '\\' order by rowid"));
        select.bind(1, containsPattern(key));
        while (select.next()) {
            patients.push_back(PatientRow{select.text(0), select.text(1), select.text(2), select.text(3),
                                          select.text(4), select.text(5), select.text(6), select.text(7),
                                          select.text(8)});
        }
    } catch (const DbError&) {
        patients.clear();
    }
    return patients;
}

QStringList suggestAddresses(const Database& main, const QString& key) {
    return namesByKey(main, QStringLiteral("地址"), key);
}

QStringList suggestDiagnoses(const Database& main, const QString& key) {
    return namesByKey(main, QStringLiteral("诊断"), key);
}

} // namespace lichuan

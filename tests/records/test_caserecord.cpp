// The medical record as text: the stored form, reading it back, the header texts and the citation.

#include "records/caserecord.h"

#include <QtTest>

using namespace lichuan;

class TestCaseRecord : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storedFormRoundTrips();
    void shortOrEmptyRecordFillsOnlyCompleteFields();
    void separatorInsideAFieldCannotShiftTheOthers();
    void visitTimeFromTheKey_data();
    void visitTimeFromTheKey();
    void titleWithoutPrescriptionHeading_data();
    void titleWithoutPrescriptionHeading();
    void citationOfTheItemLines();
    void labelsInPageOrder();
};

void TestCaseRecord::storedFormRoundTrips() {
    CaseRecordFields fields;
    for (int i = 0; i < kRecordFieldCount; ++i)
        fields[static_cast<size_t>(i)] = QStringLiteral("第%1项\r\n第二行 ").arg(i);
    fields[3].clear();
    const QString text = caseRecordText(fields);
    QCOMPARE(text.count(QLatin1Char('$')), 10);
    QVERIFY(text.startsWith(QStringLiteral("第0项\r\n第二行 $第1项")));
    QVERIFY(text.endsWith(QStringLiteral("第9项\r\n第二行 $")));
    QCOMPARE(readCaseRecordText(text), fields);

    // The form of a record written by the first release: ten fields, each closed by "$".
    const CaseRecordFields old = readCaseRecordText(QStringLiteral("头痛$$$$青霉素过敏$$$感冒$$处理$"));
    QCOMPARE(old[0], QStringLiteral("头痛"));
    QCOMPARE(old[4], QStringLiteral("青霉素过敏"));
    QCOMPARE(old[7], QStringLiteral("感冒"));
    QCOMPARE(old[9], QStringLiteral("处理"));
}

void TestCaseRecord::shortOrEmptyRecordFillsOnlyCompleteFields() {
    const CaseRecordFields some = readCaseRecordText(QStringLiteral("a$b$c"));
    QCOMPARE(some[0], QStringLiteral("a"));
    QCOMPARE(some[1], QStringLiteral("b"));
    for (size_t i = 2; i < some.size(); ++i)
        QVERIFY(some[i].isEmpty());
    for (const QString& field : readCaseRecordText(QString()))
        QVERIFY(field.isEmpty());
    // Text after the tenth "$" is not a field.
    QCOMPARE(readCaseRecordText(QStringLiteral("1$2$3$4$5$6$7$8$9$10$11$"))[9], QStringLiteral("10"));
}

void TestCaseRecord::separatorInsideAFieldCannotShiftTheOthers() {
    CaseRecordFields fields;
    fields[0] = QStringLiteral("费用$20");
    fields[1] = QStringLiteral("现病史");
    const QString text = caseRecordText(fields);
    QCOMPARE(text.count(QLatin1Char('$')), 10);
    const CaseRecordFields back = readCaseRecordText(text);
    QCOMPARE(back[0], QStringLiteral("费用＄20"));
    QCOMPARE(back[1], QStringLiteral("现病史"));
    QCOMPARE(withoutSeparator(QStringLiteral("$a$")), QStringLiteral("＄a＄"));
}

void TestCaseRecord::visitTimeFromTheKey_data() {
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("caption");
    QTest::newRow("key with suffix") << "20240305143012t1"
                                     << "就诊时间：2024年03月05日14时30分";
    QTest::newRow("bare timestamp") << "20240305143012"
                                    << "就诊时间：2024年03月05日14时30分";
    QTest::newRow("short key") << "2024030"
                               << "就诊时间：2024年03月0日时分";
    QTest::newRow("no key") << ""
                            << "就诊时间：年月日时分";
}

void TestCaseRecord::visitTimeFromTheKey() {
    QFETCH(QString, key);
    QFETCH(QString, caption);
    QCOMPARE(visitTimeCaption(key), caption);
}

void TestCaseRecord::titleWithoutPrescriptionHeading_data() {
    QTest::addColumn<QString>("clinic");
    QTest::addColumn<QString>("title");
    QTest::newRow("ends in 处方笺") << "栎川诊所处方笺"
                                    << "栎川诊所门诊病历";
    QTest::newRow("plain name") << "栎川诊所"
                                << "栎川诊所门诊病历";
    QTest::newRow("twice") << "处方笺栎川处方笺"
                           << "栎川门诊病历";
    QTest::newRow("empty") << ""
                           << "门诊病历";
}

void TestCaseRecord::titleWithoutPrescriptionHeading() {
    QFETCH(QString, clinic);
    QFETCH(QString, title);
    QCOMPARE(recordTitle(clinic), title);
}

void TestCaseRecord::citationOfTheItemLines() {
    const QStringList lines{QStringLiteral("桂枝 9g       白芍 9g"), QString(), QStringLiteral("   "),
                            QStringLiteral("甘草 6g")};
    QCOMPARE(citation(lines), QStringLiteral("\r\n桂枝 9g       白芍 9g\r\n   \r\n甘草 6g"));
    QCOMPARE(citation({}), QString());
}

void TestCaseRecord::labelsInPageOrder() {
    QCOMPARE(recordFieldLabel(0), QStringLiteral("主  诉："));
    QCOMPARE(recordFieldLabel(kChineseDiagnosis), QStringLiteral("中医诊断及证型："));
    QCOMPARE(recordFieldLabel(kTreatment), QStringLiteral("处  理："));
    QVERIFY(recordFieldLabel(10).isEmpty());
}

QTEST_GUILESS_MAIN(TestCaseRecord)
#include "test_caserecord.moc"

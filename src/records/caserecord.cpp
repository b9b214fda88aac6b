#include "records/caserecord.h"

namespace lichuan {

namespace {

const std::array<const char16_t*, kRecordFieldCount> kLabels = {
    u"主  诉：", u"现病史：", u"既往史：",         u"个人史：",   u"过敏史：",
    u"体  检：", u"辅  检：", u"中医诊断及证型：", u"西医诊断：", u"处  理：",
};

} // namespace

QString recordFieldLabel(int field) {
    if (field < 0 || field >= kRecordFieldCount)
        return {};
    return QString::fromUtf16(kLabels[static_cast<size_t>(field)]);
}

QString withoutSeparator(const QString& text) {
    QString result = text;
    result.replace(kRecordSeparator, kFullWidthDollar);
    return result;
}

QString caseRecordText(const CaseRecordFields& fields) {
    QString text;
    for (const QString& field : fields) {
        text += withoutSeparator(field);
        text += kRecordSeparator;
    }
    return text;
}

CaseRecordFields readCaseRecordText(const QString& text) {
    CaseRecordFields fields;
    int start = 0;
    for (QString& field : fields) {
        const int end = text.indexOf(kRecordSeparator, start);
        if (end < 0)
            break;
        field = text.mid(start, end - start);
        start = end + 1;
    }
    return fields;
}

QString visitTimeCaption(const QString& recordKey) {
    return QStringLiteral("就诊时间：") + recordKey.mid(0, 4) + QStringLiteral("年") + recordKey.mid(4, 2) +
           QStringLiteral("月") + recordKey.mid(6, 2) + QStringLiteral("日") + recordKey.mid(8, 2) +
           QStringLiteral("时") + recordKey.mid(10, 2) + QStringLiteral("分");
}

QString recordTitle(const QString& clinicName) {
    QString title = clinicName;
    title.remove(QStringLiteral("处方笺"));
    return title + QStringLiteral("门诊病历");
}

QString citation(const QStringList& itemLines) {
    QString text;
    for (const QString& line : itemLines) {
        if (!line.isEmpty())
            text += QStringLiteral("\r\n") + line;
    }
    return text;
}

} // namespace lichuan

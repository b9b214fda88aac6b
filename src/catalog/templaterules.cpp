#include "catalog/templaterules.h"

#include "data/gbk.h"
#include "data/schema.h"
#include "data/searchcodes.h"
#include "data/textrules.h"

namespace lichuan {

QString templateKindCaption(int kind) {
    switch (kind) {
    case kWesternSet:
        return QStringLiteral("西成药组套");
    case kFormula:
        return QStringLiteral("中药方剂");
    case kRecordPhrase:
        return QStringLiteral("病历模板");
    default:
        return QString();
    }
}

QString nextOrderKey(int count) {
    return (QStringLiteral("000") + QString::number(count + 1)).right(3);
}

QString contentForSave(int kind, const QString& content) {
    const QString trimmed = trimForSave(content);
    if (kind != kFormula)
        return trimmed;
    return layOutHerbal(normaliseFormula(trimmed)).text;
}

QString templateSearchCode(const QString& name, const QString& initials) {
    // The code is made from the name, not typed: a long name gives a code cut to its column rather than
    // a template that cannot be stored.
    const int width = schema::columnWidth(schema::kTemplate, QStringLiteral("查询"));
    return gbk::leftChars(name + initials + KeyDigits(initials), width);
}

QString templateSaveMessage(const TemplateSaveOutcome& outcome) {
    if (outcome.saved)
        return QString();
    if (!outcome.tooLong.isEmpty()) {
        QStringList parts;
        for (const QString& column : outcome.tooLong) {
            const int width = schema::columnWidth(schema::kTemplate, column);
            parts << QStringLiteral("%1（最多%2个字）").arg(column).arg(width);
        }
        return QStringLiteral("%1太长，模板没有保存。").arg(parts.join(QStringLiteral("、")));
    }
    return QStringLiteral("模板没有保存：%1").arg(outcome.error);
}

const WordListKind& diagnosisList() {
    static const WordListKind list{schema::kDiagnosis, QStringLiteral("诊断名称维护"),
                                   QStringLiteral("诊断名称：")};
    return list;
}

const WordListKind& addressList() {
    static const WordListKind list{schema::kAddress, QStringLiteral("添加常用地址"),
                                   QStringLiteral("地址名称：")};
    return list;
}

QString wordSaveMessage(const WordListKind& list, const QString& name, const WordSaveOutcome& outcome) {
    QString label = list.nameLabel;
    label.remove(QStringLiteral("："));
    switch (outcome.result) {
    case WordSaveOutcome::Stored:
        return QString();
    case WordSaveOutcome::Exists:
        return QStringLiteral("%1“%2”已经存在，没有保存。").arg(label, name);
    case WordSaveOutcome::TooLong:
        return QStringLiteral("%1太长：%1与拼音代码合计最多%2个字，没有保存。")
            .arg(label)
            .arg(schema::columnWidth(list.table, QStringLiteral("序号")));
    case WordSaveOutcome::Failed:
        break;
    }
    return QStringLiteral("%1“%2”没有保存：%3").arg(label, name, outcome.error);
}

} // namespace lichuan

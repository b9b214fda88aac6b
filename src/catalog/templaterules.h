#pragma once
// Rules of the template window and of the two word-list windows, as plain functions: the kinds, the next
// ordering key, what a template looks like when it is stored, the search codes and the messages of a save
// the database did not take.

#include "data/templates.h"

#include <QString>
#include <QStringList>

namespace lichuan {

// The kinds of templates, by the index of their option in the template window.
enum TemplateKind { kWesternSet = 0, kFormula = 1, kRecordPhrase = 2 };
inline constexpr int kTemplateKindCount = 3;
// "西成药组套", "中药方剂", "病历模板": the captions of the options and the values of 分类.
QString templateKindCaption(int kind);

// The ordering key of a new entry when `count` rows of its kind exist: the last three characters of "000"
// followed by count + 1 ("001", "004", … "000" again at the thousandth).
QString nextOrderKey(int count);

// The content as it is stored: spaces and up to 21 trailing line breaks trimmed, and for a formula 克 → g,
// 、 → space and the herbal layout of the sheet.
QString contentForSave(int kind, const QString& content);

// 查询 of a template: name + initials + their letter-pad digits, cut to the width of its column.
QString templateSearchCode(const QString& name, const QString& initials);

// The message for a template save the database did not take; empty when it was stored.
QString templateSaveMessage(const TemplateSaveOutcome& outcome);

// The two word-list windows: table, window caption and the caption of the name label.
struct WordListKind {
    QString table;
    QString caption;
    QString nameLabel;
};
const WordListKind& diagnosisList(); // 诊断, "诊断名称维护", "诊断名称："
const WordListKind& addressList();   // 地址, "添加常用地址", "地址名称："

// The message for a word that was not stored; empty when it was.
QString wordSaveMessage(const WordListKind& list, const QString& name, const WordSaveOutcome& outcome);

} // namespace lichuan

#pragma once
// Copies of the small tables that lists search on every keystroke: the word lists (诊断, 地址) by their key,
// and the templates (个人模板) of one kind by their search code. Each is read whole again when its table's
// change stamp moved (they are short), and searched in one scan of its folded, joined texts.

#include "data/tablecopy.h"

#include <QString>
#include <vector>

namespace lichuan::smallcopies {

struct Word {
    qint64 rowid = 0;
    QString name;         // 名称
    bool keyNull = false; // 序号 is NULL: LIKE never matches it
};

struct WordList {
    copies::CopyStamp at;
    std::vector<Word> rows;   // in rowid order
    copies::JoinedTexts keys; // the folded 序号 of every row (empty for NULL)
};

// The copy of the word list `table`, current; null when the file gives no change stamp. Throws DbError.
const WordList* wordList(const Database& main, const QString& table);

struct Template {
    QString key;     // 序号
    QString name;    // 名称
    QString content; // 内容
};

struct TemplateKind {
    copies::CopyStamp at;
    std::vector<Template>
        rows; // with a search code, by 排序 (NULL first, then as compared as text), then rowid
    copies::JoinedTexts codes; // the folded 查询 of every row
};

// The copy of the templates of `kind`, current; null when the file gives no change stamp. Throws DbError.
const TemplateKind* templatesOfKind(const Database& main, const QString& kind);

} // namespace lichuan::smallcopies

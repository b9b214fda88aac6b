#pragma once
// The template table (个人模板) as its maintenance window writes it, and the word lists (诊断, 地址) behind
// the sheet's header suggestions. Rows are named by their rowid once read, so that an action always works on
// the row the user chose. Every value is a bound parameter; no function here throws.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace lichuan {

class Database;

struct TemplateRow {
    qint64 rowid = -1; // -1 for an entry not stored yet
    QString key;       // 序号, "yyyyMMddhhmmss" when the entry was started
    QString name;      // 名称
    QString content;   // 内容
    QString initials;  // 拼音
    QString search;    // 查询
    QString kind;      // 分类
    QString order;     // 排序
};

// Every row of one kind, by 排序 (then in the order stored), as every template list shows them.
std::vector<TemplateRow> templatesOfKind(const Database& main, const QString& kind);
// The same rows with only their rowid and name filled in (what a list of names needs).
std::vector<TemplateRow> templateNamesOfKind(const Database& main, const QString& kind);
// The number of rows of one kind; -1 when it cannot be read.
int countTemplatesOfKind(const Database& main, const QString& kind);
// The row with this rowid, or nothing when it is gone.
std::optional<TemplateRow> loadTemplate(const Database& main, qint64 rowid);

struct TemplateSaveOutcome {
    bool saved = false;
    qint64 rowid = -1;   // the row written
    QString key;         // the key it was written under
    QStringList tooLong; // columns whose value is longer than the column allows: nothing was written
    QString error;       // database error text when nothing could be written
};

// Writes `row`: an update of the row `row.rowid` when it still exists, otherwise a new row. A new row never
// shares its key with another template: a key already taken moves on to the next free second.
TemplateSaveOutcome saveTemplate(Database& main, const TemplateRow& row);
// Deletes the row; true when nothing failed (a row already gone is no failure).
bool deleteTemplate(Database& main, qint64 rowid);

struct WordRow {
    qint64 rowid = -1;
    QString name; // 名称
};

// Rows of a word list (诊断 or 地址) whose key (序号) contains `text` literally, in the order stored; an
// empty text lists every row.
std::vector<WordRow> searchWordList(const Database& main, const QString& table, const QString& text);

struct WordSaveOutcome {
    enum Result { Stored, Exists, TooLong, Failed };
    Result result = Failed;
    QString error;
};

// Appends a row with 名称 = name, 拼音 = initials, 序号 = name + initials. The unique keys of the table are
// honoured: a name of a diagnosis or a key that is there already (letter case aside) is refused, as is a
// value longer than its column.
WordSaveOutcome addWord(Database& main, const QString& table, const QString& name, const QString& initials);
bool deleteWord(Database& main, const QString& table, qint64 rowid);

} // namespace lichuan

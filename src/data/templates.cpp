#include "data/templates.h"

#include "data/engine.h"
#include "data/quietread.h"
#include "data/record.h"
#include "data/schema.h"
#include "data/smallcopies.h"
#include "data/sqltexts.h"

#include <QDateTime>

namespace lichuan {

namespace {

const QString kTemplateColumns = QStringLiteral("rowid,[序号],[名称],[内容],[拼音],[查询],[分类],[排序]");

const sql::Text kTemplateExists{QStringLiteral("select 1 from [个人模板] where rowid = ?")};
const sql::Text kTemplateKeyTaken{QStringLiteral("select 1 from [个人模板] where [序号] = ? limit 1")};
const sql::Text kTemplatesOfKind{
    QStringLiteral("select %1 from [个人模板] where [分类] = ? order by [排序], rowid")
        .arg(kTemplateColumns)};
const sql::Text kTemplateNames{QStringLiteral("select rowid,[名称] from [个人模板] where [分类] = ? "
                                              "order by [排序], rowid")};
const sql::Text kTemplateCount{QStringLiteral("select count(*) from [个人模板] where [分类] = ?")};
const sql::Text kTemplateById{
    QStringLiteral("select %1 from [个人模板] where rowid = ?").arg(kTemplateColumns)};
const sql::Text kUpdateTemplate{QStringLiteral("update [个人模板] set [名称] = ?, [拼音] = ?, [内容] = ?, "
                                               "[分类] = ?, [查询] = ?, [排序] = ? where rowid = ?")};
const sql::Text kInsertTemplate{QStringLiteral("insert into [个人模板]([序号],[名称],[拼音],[内容],[分类],"
                                               "[查询],[排序]) values(?,?,?,?,?,?,?)")};
const sql::Text kLastRowId{QStringLiteral("select last_insert_rowid()")};
const sql::Text kDeleteTemplate{QStringLiteral("delete from [个人模板] where rowid = ?")};

// The word lists (地址, 诊断) as the fillings of a text with the list as %1 and `more` after it.
std::vector<QStringList> wordLists(const QStringList& more = {}) {
    std::vector<QStringList> fillings;
    for (const QString& table : {schema::kAddress, schema::kDiagnosis})
        fillings.push_back(QStringList{quoted(table)} + more);
    return fillings;
}

const QString kWordsLike = QStringLiteral(" where [序号] like ? escape '\\'");
// %1 the list, %2 nothing or kWordsLike.
const sql::Text kWords{QStringLiteral("select rowid,[名称] from %1%2 order by rowid"), [] {
                           std::vector<QStringList> fillings = wordLists({QString()});
                           for (const QStringList& filling : wordLists({kWordsLike}))
                               fillings.push_back(filling);
                           return fillings;
                       }};
// The unique indexes: 序号 in both lists, and 名称 in the diagnoses.
const QString kKeyTaken = QStringLiteral("[序号] = ?1 collate nocase");
const QString kKeyOrNameTaken = QStringLiteral("[序号] = ?1 collate nocase or [名称] = ?2 collate nocase");
// %1 the list, %2 kKeyTaken or kKeyOrNameTaken.
const sql::Text kWordTaken{QStringLiteral("select 1 from %1 where %2 limit 1"), [] {
                               return std::vector<QStringList>{{quoted(schema::kAddress), kKeyTaken},
                                                               {quoted(schema::kDiagnosis), kKeyOrNameTaken}};
                           }};
const sql::Text kInsertWord{QStringLiteral("insert into %1([名称],[拼音],[序号]) values(?,?,?)"),
                            [] { return wordLists(); }};
const sql::Text kDeleteWord{QStringLiteral("delete from %1 where rowid = ?"), [] { return wordLists(); }};

TemplateRow templateFrom(const Statement& row) {
    return TemplateRow{row.integer(0), row.text(1), row.text(2), row.text(3),
                       row.text(4),    row.text(5), row.text(6), row.text(7)};
}

bool templateExists(const Database& main, qint64 rowid) {
    Statement find(main, kTemplateExists);
    find.bind(1, rowid);
    return find.next();
}

bool templateKeyTaken(const Database& main, const QString& key) {
    Statement find(main, kTemplateKeyTaken);
    find.bind(1, key);
    return find.next();
}

// The key one second later, in the same 14-digit form; empty when `key` is not of that form.
QString nextSecond(const QString& key) {
    const QDateTime moment(QDate::fromString(key.left(8), QStringLiteral("yyyyMMdd")),
                           QTime::fromString(key.mid(8, 6), QStringLiteral("HHmmss")), Qt::UTC);
    if (key.size() != 14 || !moment.isValid())
        return QString();
    return timestamp14(moment.addSecs(1));
}

} // namespace

std::vector<TemplateRow> templatesOfKind(const Database& main, const QString& kind) {
    return readQuietly([&] {
        std::vector<TemplateRow> rows;
        Statement select(main, kTemplatesOfKind);
        select.bind(1, kind);
        while (select.next())
            rows.push_back(templateFrom(select));
        return rows;
    });
}

std::vector<TemplateRow> templateNamesOfKind(const Database& main, const QString& kind) {
    return readQuietly([&] {
        std::vector<TemplateRow> rows;
        Statement select(main, kTemplateNames);
        select.bind(1, kind);
        while (select.next()) {
            TemplateRow row;
            row.rowid = select.integer(0);
            row.name = select.text(1);
            rows.push_back(std::move(row));
        }
        return rows;
    });
}

int countTemplatesOfKind(const Database& main, const QString& kind) {
    return readQuietly(
        [&] {
            Statement count(main, kTemplateCount);
            count.bind(1, kind);
            return count.next() ? static_cast<int>(count.integer(0)) : -1;
        },
        -1);
}

std::optional<TemplateRow> loadTemplate(const Database& main, qint64 rowid) {
    return readQuietly([&]() -> std::optional<TemplateRow> {
        Statement select(main, kTemplateById);
        select.bind(1, rowid);
        if (select.next())
            return templateFrom(select);
        return std::nullopt;
    });
}

TemplateSaveOutcome saveTemplate(Database& main, const TemplateRow& row) {
    TemplateSaveOutcome outcome;
    const std::pair<QString, const QString*> values[] = {
        {QStringLiteral("名称"), &row.name},   {QStringLiteral("拼音"), &row.initials},
        {QStringLiteral("查询"), &row.search}, {QStringLiteral("分类"), &row.kind},
        {QStringLiteral("排序"), &row.order},  {QStringLiteral("内容"), &row.content},
    };
    for (const auto& [column, value] : values) {
        if (!schema::fits(schema::kTemplate, column, *value))
            outcome.tooLong << column;
    }
    if (!outcome.tooLong.isEmpty())
        return outcome;

    try {
        Transaction transaction(main);
        QString key = row.key;
        const bool update = row.rowid >= 0 && templateExists(main, row.rowid);
        if (!update) {
            // A new template never takes the key of another one: the next free second is used instead.
            while (templateKeyTaken(main, key)) {
                key = nextSecond(key);
                if (key.isEmpty())
                    throw DbError(QStringLiteral("模板编号无效：%1").arg(row.key));
            }
        }
        if (!schema::fits(schema::kTemplate, QStringLiteral("序号"), key)) {
            outcome.tooLong << QStringLiteral("序号");
            return outcome;
        }
        if (update) {
            Statement write(main, kUpdateTemplate);
            write.bind(1, row.name).bind(2, row.initials).bind(3, row.content).bind(4, row.kind);
            write.bind(5, row.search).bind(6, row.order).bind(7, row.rowid);
            write.run();
            outcome.rowid = row.rowid;
        } else {
            Statement write(main, kInsertTemplate);
            write.bind(1, key).bind(2, row.name).bind(3, row.initials).bind(4, row.content);
            write.bind(5, row.kind).bind(6, row.search).bind(7, row.order);
            write.run();
            Statement last(main, kLastRowId);
            outcome.rowid = last.next() ? last.integer(0) : -1;
        }
        transaction.commit();
        outcome.saved = true;
        outcome.key = key;
    } catch (const DbError& error) {
        outcome = TemplateSaveOutcome();
        outcome.error = error.message();
    }
    return outcome;
}

bool deleteTemplate(Database& main, qint64 rowid) {
    try {
        Statement remove(main, kDeleteTemplate);
        remove.bind(1, rowid);
        remove.run();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

std::vector<WordRow> searchWordList(const Database& main, const QString& table, const QString& text) {
    return readQuietly([&] {
        std::vector<WordRow> rows;
        if (const smallcopies::WordList* list = smallcopies::wordList(main, table)) {
            for (const int k : list->keys.find(copies::foldAscii(text))) {
                const smallcopies::Word& word = list->rows[std::size_t(k)];
                rows.push_back(WordRow{word.rowid, word.name});
            }
            return rows;
        }
        Statement select(main, kWords.arg(quoted(table), text.isEmpty() ? QString() : kWordsLike));
        if (!text.isEmpty())
            select.bind(1, containsPattern(text));
        while (select.next())
            rows.push_back(WordRow{select.integer(0), select.text(1)});
        return rows;
    });
}

WordSaveOutcome addWord(Database& main, const QString& table, const QString& name, const QString& initials) {
    WordSaveOutcome outcome;
    const QString key = name + initials;
    if (!schema::fits(table, QStringLiteral("名称"), name) ||
        !schema::fits(table, QStringLiteral("拼音"), initials) ||
        !schema::fits(table, QStringLiteral("序号"), key)) {
        outcome.result = WordSaveOutcome::TooLong;
        return outcome;
    }
    try {
        Statement find(
            main, kWordTaken.arg(quoted(table), table == schema::kDiagnosis ? kKeyOrNameTaken : kKeyTaken));
        find.bind(1, key);
        if (table == schema::kDiagnosis)
            find.bind(2, name);
        if (find.next()) {
            outcome.result = WordSaveOutcome::Exists;
            return outcome;
        }
        Statement insert(main, kInsertWord.arg(quoted(table)));
        insert.bind(1, name).bind(2, initials).bind(3, key);
        insert.run();
        outcome.result = WordSaveOutcome::Stored;
    } catch (const DbError& error) {
        outcome.result = WordSaveOutcome::Failed;
        outcome.error = error.message();
    }
    return outcome;
}

bool deleteWord(Database& main, const QString& table, qint64 rowid) {
    try {
        Statement remove(main, kDeleteWord.arg(quoted(table)));
        remove.bind(1, rowid);
        remove.run();
        return true;
    } catch (const DbError&) {
        return false;
    }
}

} // namespace lichuan

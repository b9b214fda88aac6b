#include "data/smallcopies.h"

#include "data/engine.h"
#include "data/schema.h"
#include "data/sqltexts.h"

#include <algorithm>
#include <map>

namespace lichuan::smallcopies {

namespace {

const QString kTemplates = QStringLiteral("个人模板");

// %1: the word list.
const sql::Text kWords{
    QStringLiteral("select rowid,[名称],[序号] from %1 order by rowid"), [] {
        return std::vector<QStringList>{{quoted(schema::kAddress)}, {quoted(schema::kDiagnosis)}};
    }};
const sql::Text kTemplatesOfKind{QStringLiteral("select [序号],[名称],[内容],[排序],rowid,[查询] from %1 "
                                                "where [分类] = ? and [查询] is not null")
                                     .arg(quoted(kTemplates))};

struct WordLists {
    std::map<QString, WordList> tables;
};

struct TemplateKinds {
    std::map<QString, TemplateKind> kinds;
};

void readWords(const Database& main, const QString& table, WordList& list) {
    list.rows.clear();
    list.keys.clear();
    Statement select(main, kWords.arg(quoted(table)));
    while (select.next()) {
        list.rows.push_back(Word{select.integer(0), select.text(1), select.isNull(2)});
        list.keys.append(select.text(2));
    }
}

struct TemplateRead {
    Template row;
    QString order; // 排序
    bool orderNull = false;
    qint64 rowid = 0;
    QString code; // folded 查询
};

void readTemplates(const Database& main, const QString& kind, TemplateKind& copy) {
    std::vector<TemplateRead> read;
    Statement select(main, kTemplatesOfKind);
    select.bind(1, kind);
    while (select.next()) {
        read.push_back(TemplateRead{Template{select.text(0), select.text(1), select.text(2)}, select.text(3),
                                    select.isNull(3), select.integer(4), copies::foldAscii(select.text(5))});
    }
    std::sort(read.begin(), read.end(), [](const TemplateRead& a, const TemplateRead& b) {
        if (a.orderNull != b.orderNull)
            return a.orderNull;
        if (const int order = copies::compareCodePoints(a.order, b.order))
            return order < 0;
        return a.rowid < b.rowid;
    });
    copy.rows.clear();
    copy.codes.clear();
    qsizetype characters = 0;
    for (const TemplateRead& r : read)
        characters += r.code.size();
    copy.codes.reserve(read.size(), characters);
    for (TemplateRead& r : read) {
        copy.rows.push_back(std::move(r.row));
        copy.codes.append(r.code);
    }
}

// Brings a copy read whole up to its table's stamp; on a failure it is forgotten and the error passed on.
template <class Copy, class Map, class Read>
const Copy* current(const Database& main, const QString& table, Map& copies, const QString& name, Read read) {
    const qint64 now = main.tableStamp(table);
    if (now < 0)
        return nullptr;
    Copy& copy = copies[name];
    if (!copy.at.current(now)) {
        try {
            copy.at.read = false;
            read(copy);
        } catch (const DbError&) {
            copies.erase(name);
            throw;
        }
        copy.at.stamp = now;
        copy.at.read = true;
    }
    return &copy;
}

} // namespace

const WordList* wordList(const Database& main, const QString& table) {
    return current<WordList>(main, table, main.attachment<WordLists>().tables, table,
                             [&](WordList& list) { readWords(main, table, list); });
}

const TemplateKind* templatesOfKind(const Database& main, const QString& kind) {
    return current<TemplateKind>(main, kTemplates, main.attachment<TemplateKinds>().kinds, kind,
                                 [&](TemplateKind& copy) { readTemplates(main, kind, copy); });
}

} // namespace lichuan::smallcopies

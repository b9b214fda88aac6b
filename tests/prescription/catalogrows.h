#pragma once
// Extra catalog and template rows for window tests, stored as the catalog window stores them.

#include "data/engine.h"
#include "data/searchcodes.h"

#include <QString>

namespace lichuan::test {

inline void insertCatalogRow(Database& db, const QString& name, const QString& category, const QString& unit,
                             const QString& usualQty, const QString& usage = QString()) {
    const qsizetype brace = name.indexOf(u'{');
    const QString base = brace < 0 ? name : name.left(brace);
    const QString initials = PinyinInitials(base);
    Statement insert(db,
                     QStringLiteral("insert into [商品]([ID号],[查询],[用法],[名称],[拼音],[单位],[常用量],"
                                    "[单价],[分类],[斗位]) values(?,?,?,?,?,?,?,?,?,?)"));
    insert.bind(1, QStringLiteral("t") + name)
        .bind(2, base + initials + KeyDigits(initials))
        .bind(3, usage)
        .bind(4, name)
        .bind(5, initials)
        .bind(6, unit)
        .bind(7, usualQty)
        .bind(8, QString())
        .bind(9, category)
        .bind(10, QString());
    insert.run();
}

inline void insertTemplateRow(Database& db, const QString& name, const QString& kind, const QString& order,
                              const QString& content) {
    const QString initials = PinyinInitials(name);
    Statement insert(
        db, QStringLiteral("insert into [个人模板]([序号],[名称],[内容],[拼音],[查询],[分类],[排序]) "
                           "values(?,?,?,?,?,?,?)"));
    insert.bind(1, QStringLiteral("20240101000000"))
        .bind(2, name)
        .bind(3, content)
        .bind(4, initials)
        .bind(5, name + initials + KeyDigits(initials))
        .bind(6, kind)
        .bind(7, order);
    insert.run();
}

} // namespace lichuan::test

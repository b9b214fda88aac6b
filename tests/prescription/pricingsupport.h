#pragma once
// Helpers of the toolbar and pricing tests: pressing toolbar buttons as a mouse does, typing into the
// sheet, prices in the catalog and the rows the database holds.

#include "data/engine.h"
#include "prescription/form2.h"
#include "typing.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QtTest>

namespace lichuan::test {

// Presses and releases toolbar button i with the left mouse button.
inline void clickToolbar(Form2& form, int button) {
    QLabel* target = form.toolbar.Label18[static_cast<size_t>(button)];
    QTest::mousePress(target, Qt::LeftButton);
    QTest::mouseRelease(target, Qt::LeftButton);
}

// Replaces the text of a header field as the doctor types it: Latin letters and digits as key presses,
// Chinese text as an input method commits it.
inline void typeField(Form2& form, int field, const QString& text) {
    FieldEdit* edit = form.sheet.Text5[static_cast<size_t>(field)];
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    typeText(edit, text);
}

inline int rowCount(const Database& db, const QString& table) {
    Statement count(db, QStringLiteral("select count(*) from ") + quoted(table));
    return count.next() ? static_cast<int>(count.integer(0)) : -1;
}

// Gives a catalog row a unit price (the default rows of most herbs have none).
inline void setPrice(Database& main, const QString& name, const QString& price) {
    Statement update(main, QStringLiteral("update [商品] set [单价] = ? where [名称] = ?"));
    update.bind(1, price).bind(2, name);
    QCOMPARE(update.run(), 1);
}

// The statistics lines of a prescription, each as "名称/数量/单位/单价/金额/分类/日期".
inline QStringList statisticsLines(const Database& statistics, const QString& key) {
    Statement select(statistics, QStringLiteral("select [名称],[数量],[单位],[单价],[金额],[分类],[日期] "
                                                "from [统计] where [ID号] = ? order by rowid"));
    select.bind(1, key);
    QStringList lines;
    while (select.next()) {
        QStringList cells;
        for (int c = 0; c < 7; ++c)
            cells << select.text(c);
        lines << cells.join(QLatin1Char('/'));
    }
    return lines;
}

} // namespace lichuan::test

#pragma once
// A window's fixed texts (captions, titles, tooltips, headings) as one table: each row reads one text from
// the window as it opens and names what it must say, exactly.

#include <QString>
#include <QtTest>

namespace lichuan::test {

// How a row reads its text from the open window (or from what opens it).
template <class Window> using Caption = QString (*)(Window&);

template <class Window> void captionColumns() {
    QTest::addColumn<Caption<Window>>("caption");
    QTest::addColumn<QString>("expected");
}

template <class Window> void captionRow(const char* control, const char* expected, Caption<Window> caption) {
    QTest::newRow(control) << caption << QString::fromUtf8(expected);
}

// The "text" of the child of `window` named `objectName`.
inline QString textOf(const QObject* window, const char* objectName) {
    const QObject* child = window ? window->findChild<QObject*>(QLatin1String(objectName)) : nullptr;
    return child ? child->property("text").toString() : QStringLiteral("<no %1>").arg(objectName);
}

} // namespace lichuan::test

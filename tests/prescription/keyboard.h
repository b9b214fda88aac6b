#pragma once
// A doctor's hands on the keyboard: every key goes to the widget that has the focus, as on a real desktop,
// and every key, chord or input-method word is counted.

#include "prescription/shortcutkeys.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QKeySequence>
#include <QtTest>

namespace lichuan::test {

class Keyboard {
public:
    // One key or chord (Ctrl+S counts one).
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, "no widget has the focus");
        QTest::keyClick(target, key, modifiers);
        ++strokes;
    }
    void press(SheetKey key) {
        const QKeyCombination chord = QKeySequence(QString::fromLatin1(sheetKeyInfo(key).keys))[0];
        press(chord.key(), chord.keyboardModifiers());
    }
    // Latin letters and digits, one key each.
    void type(const QString& latin) {
        for (const QChar c : latin) {
            QWidget* target = QApplication::focusWidget();
            QVERIFY2(target, "no widget has the focus");
            QTest::keyClicks(target, QString(c));
            ++strokes;
        }
    }
    // Chinese text as an input method commits it, counted as its pinyin and the space that commits it.
    void typeChinese(const QString& text, const QString& pinyin) {
        QWidget* target = QApplication::focusWidget();
        QVERIFY2(target, "no widget has the focus");
        QInputMethodEvent event;
        event.setCommitString(text);
        QCoreApplication::sendEvent(target, &event);
        strokes += int(pinyin.size()) + 1;
    }

    int strokes = 0;
};

} // namespace lichuan::test

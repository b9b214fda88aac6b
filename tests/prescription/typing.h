#pragma once
// Typing as a doctor types: Latin letters and digits as key presses, Chinese text as an input method
// commits it (one commit per run of Chinese characters).

#include <QInputMethodEvent>
#include <QtTest>

namespace lichuan::test {

inline void typeText(QWidget* widget, const QString& text) {
    QString composed;
    auto commit = [&] {
        if (composed.isEmpty())
            return;
        QInputMethodEvent event;
        event.setCommitString(composed);
        QCoreApplication::sendEvent(widget, &event);
        composed.clear();
    };
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            commit();
            QTest::keyClicks(widget, QString(c));
        } else {
            composed += c;
        }
    }
    commit();
}

} // namespace lichuan::test

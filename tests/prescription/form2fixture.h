#pragma once
// A prescription window on fresh database files with the default rows, a fixed clock and recorded
// messages, for tests that type and click as a doctor does.

#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "prescription/form2.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "testsupport.h"
#include "ui/picklist.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QtTest>
#include <memory>

namespace lichuan::test {

// Remembers which windows the prescription window asked for.
class RecordingNavigator final : public Navigator {
public:
    void openLog() override { opened << QStringLiteral("log"); }
    void openTemplateWindow(bool herbal, const QString& content) override {
        opened << (herbal ? QStringLiteral("templates:herbal") : QStringLiteral("templates:western"));
        templateContent = content;
    }
    void openCaseRecord() override { opened << QStringLiteral("record"); }
    void openRecordTemplates() override { opened << QStringLiteral("recordTemplates"); }
    void openStatistics() override { opened << QStringLiteral("statistics"); }
    void openAbout() override { opened << QStringLiteral("about"); }
    void openHelp() override { opened << QStringLiteral("help"); }
    QStringList opened;
    QString templateContent;
};

// The texts of a list's entries, in order.
inline QStringList entries(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

inline QStringList entries(const PickList* list) {
    return list->entries();
}

// The lines a text box shows, every block laid out, also where it is scrolled out of view.
inline QStringList shownLines(const QPlainTextEdit* box) {
    QStringList lines;
    for (QTextBlock block = box->document()->begin(); block.isValid(); block = block.next()) {
        box->document()->documentLayout()->blockBoundingRect(block);
        const QTextLayout* text = block.layout();
        if (text->lineCount() == 0)
            lines << QString();
        for (int i = 0; i < text->lineCount(); ++i)
            lines << block.text().mid(text->lineAt(i).textStart(), text->lineAt(i).textLength());
    }
    return lines;
}

class Form2Fixture {
public:
    explicit Form2Fixture(const QDateTime& now = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 0))) : clock(now) {
        QVERIFY2(dir.isValid(), "no temporary folder");
        state.DataFolder = dir.path();
        state.MainConnStr = dir.filePath(QStringLiteral("数据库.dat"));
        state.StatsConnStr = dir.filePath(QStringLiteral("用药统计.dat"));
        state.StationSuffix = QStringLiteral("t1");
        state.mainDb = Database::open(state.MainConnStr, databaseKey(), Database::OpenMode::CreateNew);
        state.statsDb = Database::open(state.StatsConnStr, databaseKey(), Database::OpenMode::CreateNew);
        schema::createMain(*state.mainDb);
        defaults::fillMain(*state.mainDb, now);
        schema::createStatistics(*state.statsDb);
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services = std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, files});
    }

    // Opens the window (again) as the main window would, shown and active.
    Form2& open() {
        form.reset();
        form = std::make_unique<Form2>(*services);
        form->show();
        form->activateWindow();
        return *form;
    }

    // Opens the window and waits until it is the active window, as it is under the doctor's hands.
    Form2& openActive() {
        Form2& opened = open();
        if (!QTest::qWaitForWindowActive(&opened))
            qWarning("the window did not become active");
        return opened;
    }

    QTemporaryDir dir;
    ProcessState state;
    FixedClock clock;
    RecordingMessages messages;
    RecordingNavigator navigator;
    ScriptedFileChooser files;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form2> form;
};

} // namespace lichuan::test

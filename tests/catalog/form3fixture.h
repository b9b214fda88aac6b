#pragma once
// A catalog window on a fresh main database with the default rows, a fixed clock, recorded messages and
// file dialogs that hand over prepared paths.

#include "catalog/cataloggrid.h"
#include "catalog/form3.h"
#include "data/clock.h"
#include "data/defaults.h"
#include "data/engine.h"
#include "data/schema.h"
#include "prescription/typing.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "testsupport.h"
#include "ui/fieldedit.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>

namespace lichuan::test {

class Form3Fixture {
public:
    explicit Form3Fixture(const QDateTime& now = QDateTime(QDate(2024, 3, 1), QTime(9, 30, 0))) : clock(now) {
        QVERIFY2(dir.isValid(), "no temporary folder");
        state.DataFolder = dir.path();
        state.MainConnStr = dir.filePath(QStringLiteral("数据库.dat"));
        state.mainDb = Database::open(state.MainConnStr, databaseKey(), Database::OpenMode::CreateNew);
        schema::createMain(*state.mainDb);
        defaults::fillMain(*state.mainDb, now);
        settings = std::make_unique<SettingsStore>(state.mainDb.get(), QStringLiteral("PDF"),
                                                   [] { return QStringLiteral("PDF"); });
        services =
            std::make_unique<Services>(Services{state, *settings, clock, messages, navigator, chooser});
    }

    Form3& open() {
        form.reset();
        chooser = ScriptedFileChooser(); // a window opened again starts with no answers and no questions
        form = std::make_unique<Form3>(*services);
        form->show();
        form->activateWindow();
        if (!QTest::qWaitForWindowActive(form.get()))
            qWarning("the window did not become active");
        return *form;
    }

    const Form3Controls& c() const { return form->controls(); }
    const catalog::CatalogGridModel& grid() const { return form->grid(); }
    QString cell(int row, int column) const { return grid().data(grid().index(row, column)).toString(); }
    QStringList shownNames() const {
        QStringList names;
        for (int row = 0; row < catalog::CatalogGridModel::kVisibleRows; ++row)
            names << cell(row, 0);
        while (!names.isEmpty() && names.last().isEmpty())
            names.removeLast();
        return names;
    }
    void clickRow(int row) const {
        QTableView* view = c().grid;
        const QRect rect = view->visualRect(grid().index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void typeInto(QWidget* field, const QString& text) const {
        if (auto* edit = qobject_cast<QLineEdit*>(field)) {
            edit->setFocus();
            edit->selectAll();
        }
        typeText(field, text);
    }
    void replaceText(QLineEdit* field, const QString& text) const {
        field->setFocus();
        field->selectAll();
        if (text.isEmpty())
            QTest::keyClick(field, Qt::Key_Delete);
        else
            typeText(field, text);
    }

    QTemporaryDir dir;
    ProcessState state;
    FixedClock clock;
    RecordingMessages messages;
    Navigator navigator;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<Services> services;
    ScriptedFileChooser chooser;
    ScriptedFileChooser* files = &chooser;
    std::unique_ptr<Form3> form;
};

} // namespace lichuan::test

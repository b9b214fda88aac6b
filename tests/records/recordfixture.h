#pragma once
// A medical-record window beside a real prescription window on fresh database files.

#include "prescription/form2fixture.h"
#include "prescription/sheetlink.h"
#include "records/form14.h"

namespace lichuan::test {

// Both windows are given the same services, as the main window gives them: the record window reads and
// saves the sheet through the link, and the sheet sees the open record window.
struct RecordFixture {
    RecordFixture() : link([this] { return sheet.form.get(); }) {
        sheet.services->sheet = &link;
        services = sheet.services.get();
        sheet.open();
    }

    Form2& form() { return *sheet.form; }

    Form14& openRecord() {
        record.reset();
        record = std::make_unique<Form14>(*services);
        record->show();
        record->activateWindow();
        if (!QTest::qWaitForWindowActive(record.get()))
            qWarning("the record window did not become active");
        return *record;
    }

    // Closes the window as its "关  闭" button does.
    void closeRecord() {
        if (record)
            record->close();
        record.reset();
    }

    Form2Fixture sheet;
    SheetLink link;
    RecordingNavigator& navigator = sheet.navigator;
    Services* services = nullptr;
    std::unique_ptr<Form14> record;
};

} // namespace lichuan::test

#pragma once
// A medical-record window beside a real prescription window on fresh database files.

#include "prescription/form2fixture.h"
#include "prescription/sheetlink.h"
#include "records/form14.h"

namespace lichuan::test {

class RecordNavigator final : public Navigator {
public:
    void openRecordTemplates() override { opened << QStringLiteral("recordTemplates"); }
    QStringList opened;
};

struct RecordFixture {
    RecordFixture() : link([this] { return sheet.form.get(); }) {
        sheet.open();
        services = std::make_unique<Services>(Services{sheet.state, *sheet.settings, sheet.clock,
                                                       sheet.messages, navigator, sheet.files, &link});
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
    RecordNavigator navigator;
    std::unique_ptr<Services> services;
    std::unique_ptr<Form14> record;
};

} // namespace lichuan::test

#include "prescription/sheetactions.h"

#include "data/clock.h"
#include "data/prescriptions.h"
#include "data/textrules.h"
#include "prescription/form2.h"
#include "prescription/printlayout.h"
#include "prescription/safetypanel.h"
#include "prescription/savemessages.h"
#include "prescription/totalspanel.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/picklist.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>

namespace lichuan {

namespace geo = sheetgeometry;

SheetActions::SheetActions(Form2& form) : form_(form) {}

bool SheetActions::herbalMode() const {
    return !form_.sheet.Text6->isHidden();
}

void SheetActions::applyLayout(geo::Layout layout) {
    const geo::Rect r = geo::itemsRect(layout);
    form_.state.layout = layout;
    form_.sheet.R1->setGeometry(twips::rect(r.left, r.top, r.width, r.height));
    const bool herbal = layout != geo::Layout::Western;
    form_.sheet.Label2[1]->setVisible(herbal);
    form_.sheet.Text6->setVisible(herbal);
    form_.pricing.Label17->setVisible(herbal);
    form_.safety().placeStrip();
    form_.safety().refresh();
    fitItemScrollBar();
}

void SheetActions::fitItemScrollBar() {
    // At the height the box has now: less while the warning strip stands below it.
    CrLfTextEdit* r1 = form_.sheet.R1;
    const bool scrolls = itemBoxScrolls(r1->text(), form_.state.layout, twips::fromPx(r1->height()));
    r1->setVerticalScrollBarPolicy(scrolls ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
}

void SheetActions::applyLayoutForCategory() {
    switch (form_.state.CurrentCategory) {
    case 0:
    case 5:
        applyLayout(geo::Layout::WideHerbal);
        form_.sheet.Text6->setText(QStringLiteral("6"));
        break;
    case 1:
    case 4:
        applyLayout(geo::Layout::Western);
        break;
    default:
        break;
    }
}

void SheetActions::clearPricedLines() {
    PricingControls& p = form_.pricing;
    for (size_t i = 0; i < kPricedLineCount; ++i) {
        p.Lb2[i]->clear();
        p.Lb3[i]->clear();
        p.Lb4[i]->clear();
        p.Lb5[i]->clear();
        p.Lb6[i]->clear();
        p.Lb7[i]->clear();
    }
    p.VScroll1->setValue(0);
    // Clearing cells that were already empty changes nothing, so the totals are recomputed here.
    form_.totals().RecalcTotals();
}

void SheetActions::newRecordKey() {
    ProcessState& state = form_.services().state;
    const QDateTime now = form_.services().clock.now();
    if (!state.recordKeys)
        state.recordKeys = std::make_unique<RecordKeys>(state.StationSuffix);
    form_.sheet.Label4 = state.recordKeys->next(now);
    form_.sheet.Text5[kCaseNumber]->setText(timestamp14(now));
    form_.sheet.Text5[kDate]->setText(now.date().toString(kDateFormat));
    form_.state.saved = false;
    form_.state.stored = SheetRecord();
    form_.safety().startNewPrescription();
}

void SheetActions::resetHeaderFields() {
    for (FieldEdit* field : form_.sheet.Text5)
        field->clear();
    const SettingsValues& settings = form_.services().settings.values();
    form_.sheet.Text5[kPhysician]->setText(settings.doctor);
    form_.sheet.Text5[kDispenser]->setText(settings.dispenser);
    form_.sheet.Text5[kDepartment]->setText(settings.department);
    form_.sheet.Text5[kFeeCategory]->setText(settings.feeCategory);
}

void SheetActions::RC1() {
    const HerbalLayout layout = layOutHerbal(form_.sheet.R1->text());
    form_.sheet.R1->setText(layout.text);
    form_.sheet.R1->setCaret(layout.caret);
}

void SheetActions::hideSuggestions() {
    form_.sheet.List3->hide();
    form_.sheet.List4->hide();
    form_.sheet.List5->hide();
}

void SheetActions::setBoldCategory(int category) {
    for (size_t k = 0; k < form_.search.Command1.size(); ++k) {
        QFont font = form_.search.Command1[k]->font();
        font.setBold(static_cast<int>(k) == category);
        form_.search.Command1[k]->setFont(font);
    }
}

void SheetActions::centreTitles() {
    const int sheetWidth = form_.sheet.Picture2->width();
    for (QLabel* title : {form_.sheet.Label2[0], form_.sheet.Label2[3]}) {
        title->adjustSize();
        title->move((sheetWidth - title->width()) / 2, title->y());
    }
}

void SheetActions::takeCaseRecord() {
    Services& services = form_.services();
    if (services.caseRecord)
        services.state.PendingCaseRecord = services.caseRecord->recordText();
}

void SheetActions::leaveRecordKey() {
    takeCaseRecord();
    Services& services = form_.services();
    const QString& record = services.state.PendingCaseRecord;
    if (!form_.state.saved || record == form_.state.stored.caseRecord)
        return;
    Database* main = services.state.mainDb.get();
    if (main && storeCaseRecord(*main, form_.state.stored.key, record)) {
        form_.state.stored.caseRecord = record;
        return;
    }
    services.messages.inform(savemessages::kCaseRecordNotStored);
}

void SheetActions::followRecordKey() {
    if (CaseRecordWindow* window = form_.services().caseRecord)
        window->followSheet();
}

bool SheetActions::hasUnsavedChanges() const {
    if (!form_.state.saved)
        return true;
    const SheetRecord now = toRecord();
    const SheetRecord& stored = form_.state.stored;
    return now.key != stored.key || now.fields != stored.fields || now.items != stored.items ||
           now.herbal != stored.herbal || now.settled != stored.settled || now.lines != stored.lines;
}

PricedLines SheetActions::pricedLines() const {
    const PricingControls& p = form_.pricing;
    PricedLines lines;
    for (size_t i = 0; i < kPricedLineCount; ++i) {
        lines[i] = {p.Lb2[i]->text(), p.Lb3[i]->text(), p.Lb4[i]->text(), p.Lb5[i]->text(),
                    p.Lb6[i]->text(), p.Lb7[i]->text(), p.Lb8[i]->text()};
    }
    return lines;
}

void SheetActions::setPricedLines(const PricedLines& lines, bool withCategory) {
    PricingControls& p = form_.pricing;
    for (size_t i = 0; i < kPricedLineCount; ++i) {
        p.Lb2[i]->setText(lines[i].name);
        p.Lb3[i]->setText(lines[i].quantity);
        p.Lb4[i]->setText(lines[i].unit);
        p.Lb5[i]->setText(lines[i].price);
        p.Lb6[i]->setText(lines[i].amount);
        p.Lb7[i]->setText(lines[i].drawer);
        if (withCategory)
            p.Lb8[i]->setText(lines[i].category);
    }
}

SheetRecord SheetActions::toRecord() const {
    SheetRecord record;
    record.key = form_.sheet.Label4;
    for (size_t i = 0; i < kHeaderFieldCount; ++i)
        record.fields[i] = form_.sheet.Text5[i]->text();
    record.items = form_.sheet.R1->text();
    record.herbal = herbalMode();
    record.settled = form_.sheet.Label5;
    record.caseRecord = form_.services().state.PendingCaseRecord;
    record.lines = pricedLines();
    record.clinical = form_.safety().note();
    return record;
}

bool SheetActions::saveSheet() {
    Services& services = form_.services();
    if (trimSpaces(form_.sheet.Text5[kName]->text()).isEmpty()) {
        services.messages.inform(savemessages::kNameMissing);
        return false;
    }
    Database* main = services.state.mainDb.get();
    if (!main) {
        services.messages.inform(savemessages::kNotSaved);
        return false;
    }
    // The record saved is the one an open record window shows now.
    takeCaseRecord();
    SheetRecord record = toRecord();
    const SaveOutcome outcome = savePrescription(*main, record, !form_.state.saved, services.clock.today());
    if (outcome.dateUnreadable) {
        services.messages.inform(savemessages::kDateUnreadable);
        return false;
    }
    if (!outcome.saved) {
        services.messages.inform(savemessages::kNotSaved);
        return false;
    }
    const bool keyMoved = outcome.key != form_.sheet.Label4;
    form_.sheet.Label4 = outcome.key;
    form_.state.saved = true;
    record.key = outcome.key;
    form_.state.stored = record;
    if (keyMoved)
        followRecordKey(); // the record window's visit time follows the key
    if (!outcome.refusedColumns.isEmpty())
        services.messages.inform(savemessages::refusedValues(outcome.refusedColumns));
    return true;
}

} // namespace lichuan

#include "prescription/sheetlink.h"

#include "prescription/form2.h"
#include "prescription/historypanel.h"
#include "prescription/printlayout.h"
#include "prescription/safetypanel.h"
#include "prescription/sheetactions.h"
#include "prescription/toolbar.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace lichuan {

SheetLink::SheetLink(std::function<Form2*()> window) : window_(std::move(window)) {}

QString SheetLink::headerField(int field) const {
    Form2* form = window_();
    if (!form || field < 0 || field >= kHeaderFieldCount)
        return {};
    return form->sheet.Text5[static_cast<size_t>(field)]->text();
}

QString SheetLink::recordKey() const {
    Form2* form = window_();
    return form ? form->sheet.Label4 : QString();
}

QString SheetLink::itemText() const {
    Form2* form = window_();
    return form ? form->sheet.R1->text() : QString();
}

QStringList SheetLink::itemLinesAsShown() const {
    Form2* form = window_();
    if (!form)
        return {};
    return itemBoxLines(form->sheet.R1->text(), form->state.layout, twips::fromPx(form->sheet.R1->height()));
}

bool SheetLink::herbalMode() const {
    Form2* form = window_();
    return form && form->actions().herbalMode();
}

void SheetLink::layOutItems() {
    if (Form2* form = window_())
        form->actions().RC1();
}

bool SheetLink::saveSheet() {
    Form2* form = window_();
    // The record window's 保存 stores the sheet as the toolbar's does, after the same confirmation.
    if (!form || !form->safety().confirmHardWarnings(QStringLiteral("保存")))
        return false;
    const bool saved = form->actions().saveSheet();
    form->historyPanel().runQuery();
    return saved;
}

void SheetLink::setClinicTitle(const QString& clinicName) {
    if (Form2* form = window_()) {
        form->sheet.Label2[0]->setText(clinicName);
        form->actions().centreTitles();
    }
}

bool SheetLink::showPrescription(const SheetRecord& record, bool saved) {
    Form2* form = window_();
    if (!form)
        return false;
    form->historyPanel().showRecord(record, saved);
    if (auto* frame = qobject_cast<QMdiSubWindow*>(form->parentWidget())) {
        frame->show();
        if (frame->isMinimized())
            frame->showNormal();
        if (QMdiArea* area = frame->mdiArea())
            area->setActiveSubWindow(frame);
    }
    return true;
}

void SheetLink::previewPrescription(const QString& leftMm, const QString& topMm) {
    if (Form2* form = window_())
        form->toolbarActions().printPreview(leftMm, topMm);
}

} // namespace lichuan

#include "prescription/pricingpanel.h"

#include "data/catalog.h"
#include "data/dates.h"
#include "data/prescriptions.h"
#include "prescription/form2.h"
#include "prescription/historypanel.h"
#include "prescription/pricingrules.h"
#include "prescription/safetypanel.h"
#include "prescription/savemessages.h"
#include "prescription/sheetactions.h"
#include "prescription/ticketpanel.h"
#include "prescription/toolbar.h"
#include "prescription/totalspanel.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace lichuan {

namespace {

void letPaintingRun() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

PricingPanel::PricingPanel(Form2& form) : form_(form) {
    connect(form_.pricing.Command4, &QPushButton::clicked, this, &PricingPanel::settle);
    connect(form_.pricing.Command9, &QPushButton::clicked, this, &PricingPanel::undoSettlement);
}

void PricingPanel::settle() {
    if (!form_.safety().confirmHardWarnings(QStringLiteral("划价结算")))
        return;
    ProcessState& process = form_.services().state;
    SheetActions& actions = form_.actions();

    // The lines are written while the totals wait; they are computed once at the end.
    form_.state.TotalsSuspended = true;
    actions.clearPricedLines();

    const PricingCatalog catalog(process.mainDb
                                     ? catalogOfCategories(*process.mainDb, PricingCatalog::categories())
                                     : std::vector<CatalogItem>());
    const QString items = form_.sheet.R1->text();
    PricingResult result;
    if (actions.herbalMode()) {
        actions.RC1();
        result = priceHerbal(layOutHerbal(items), form_.sheet.Text6->text(), catalog);
    } else {
        result = priceWestern(items, catalog);
    }

    PricedLines lines;
    std::copy(result.lines.begin(), result.lines.end(), lines.begin());
    actions.setPricedLines(lines, true);
    letPaintingRun();

    form_.state.TotalsSuspended = false;
    form_.totals().RecalcTotals();

    const QString markerBefore = form_.sheet.Label5;
    form_.sheet.Label5 = kSettledMarker;
    const bool saved = form_.actions().saveSheet();
    // A settlement that could not be stored did not happen: a later save must not mark the prescription
    // settled without its statistics lines.
    if (!saved)
        form_.sheet.Label5 = markerBefore;
    form_.historyPanel().runQuery();
    letPaintingRun();

    // The statistics follow the stored prescription: written only when it was saved, with a readable date
    // (a save refuses any other), so that the lines of an unsaved sheet never count.
    Messages& messages = form_.services().messages;
    const QDate date = dates::parse(form_.sheet.Text5[kDate]->text());
    if (saved && date.isValid()) {
        QStringList refused;
        const bool stored = process.statsDb && replaceStatistics(*process.statsDb, form_.sheet.Label4, date,
                                                                 actions.pricedLines(), &refused);
        if (!refused.isEmpty())
            messages.inform(savemessages::refusedStatistics(refused));
        else if (!stored)
            messages.inform(savemessages::kStatisticsNotSaved);
    }

    if (!result.unpriced.empty())
        messages.inform(unpricedMessage(result.unpriced));
    if (saved)
        form_.ticketPanel().afterSettlement();
}

void PricingPanel::undoSettlement() {
    ProcessState& process = form_.services().state;
    SheetActions& actions = form_.actions();
    const PricedLines lines = actions.pricedLines();
    const QString marker = form_.sheet.Label5;
    const QString total = form_.pricing.Label16->text();
    const QString amount = form_.sheet.Text5[kAmount]->text();

    actions.clearPricedLines();
    form_.sheet.Label5.clear();
    const bool saved = form_.actions().saveSheet();
    form_.historyPanel().runQuery();
    if (!saved) {
        // Nothing was undone: the stored row and its statistics lines are still settled, and so is the sheet.
        const bool wasSuspended = form_.state.TotalsSuspended;
        form_.state.TotalsSuspended = true;
        actions.setPricedLines(lines, true);
        form_.state.TotalsSuspended = wasSuspended;
        form_.pricing.Label16->setText(total);
        form_.sheet.Text5[kAmount]->setText(amount);
        form_.sheet.Label5 = marker;
        return;
    }
    if (process.statsDb && !deleteStatistics(*process.statsDb, form_.sheet.Label4))
        form_.services().messages.inform(savemessages::kStatisticsNotDeleted);
}

} // namespace lichuan

#include "prescription/totalspanel.h"

#include "prescription/drawersort.h"
#include "prescription/form2.h"
#include "prescription/sheetactions.h"
#include "prescription/sheetgeometry.h"
#include "prescription/totals.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>

namespace lichuan {

TotalsPanel::TotalsPanel(Form2& form) : form_(form) {
    PricingControls& p = form_.pricing;
    // A change of a quantity or a price recomputes, whether the user typed it or the program wrote it;
    // the program sets TotalsSuspended while it writes lines that must not be recomputed.
    for (size_t i = 0; i < p.Lb3.size(); ++i) {
        connect(p.Lb3[i], &QLineEdit::textChanged, this, [this] { RecalcTotals(); });
        connect(p.Lb5[i], &QLineEdit::textChanged, this, [this] { RecalcTotals(); });
    }
    connect(form_.sheet.Text6, &QLineEdit::textChanged, this, [this](const QString& doses) {
        form_.pricing.Label17->setText(QStringLiteral("中药剂数：") + doses);
    });
    connect(p.Command12, &QPushButton::clicked, this, [this] { drawerSort(); });
    connect(p.VScroll1, &QScrollBar::valueChanged, this, [this](int value) { scrollLines(value); });
}

void TotalsPanel::RecalcTotals() {
    if (form_.state.TotalsSuspended)
        return;
    const totals::Recalculated r = totals::recalculate(form_.actions().pricedLines());
    for (size_t i = 0; i < kPricedLineCount; ++i) {
        QLineEdit* amount = form_.pricing.Lb6[i];
        if (amount->text() != r.amounts[i])
            amount->setText(r.amounts[i]);
    }
    form_.pricing.Label16->setText(r.total);
    form_.sheet.Text5[kAmount]->setText(r.total);
}

void TotalsPanel::drawerSort() {
    const bool wasSuspended = form_.state.TotalsSuspended;
    form_.state.TotalsSuspended = true;
    // Every cell moves with its line, the catalog category included.
    form_.actions().setPricedLines(drawersort::sortByDrawer(form_.actions().pricedLines()), true);
    form_.state.TotalsSuspended = wasSuspended;
}

void TotalsPanel::scrollLines(int value) {
    const int top = totals::linesContainerTop(value, form_.pricing.VScroll1->maximum());
    form_.pricing.Picture1->move(form_.pricing.Picture1->x(), twips::px(top));
}

} // namespace lichuan

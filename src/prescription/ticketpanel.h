#pragma once
// "取药单": the pick-up ticket of the sheet on the ticket printer (打印机3), its preview and its PDF file,
// and the ticket printed after a settlement when the settings ask for it (结算后打印取药单).

#include "prescription/pricingrules.h"
#include "prescription/ticket.h"
#include "prescription/ticketlayout.h"
#include "printing/document.h"
#include "printing/printui.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

class QMenu;

namespace lichuan {

class Form2;

namespace printing {
struct PageSetup;
}

class TicketPanel : public QObject {
    Q_OBJECT
public:
    explicit TicketPanel(Form2& form);

    // What the ticket of the sheet shows: the priced lines of a settled sheet, or the item text priced now
    // for the ticket (the sheet is neither settled nor saved); `unpriced` receives what pricing left out.
    ticket::Content content(std::vector<UnpricedItem>* unpriced = nullptr) const;

    // The ticket laid out for `paper` with the ticket margins of the settings.
    printing::Document document(const printing::PageSetup& paper) const;

    // Prints on the ticket printer; when it cannot, says why and opens the preview.
    void print();
    // The preview, on the ticket printer's paper.
    void preview();
    // Writes the ticket as a PDF file on the ticket printer's paper; false (and a "提示" box) when it
    // could not be written.
    bool exportPdf(const QString& path);
    // The right-click menu of "取药单": 打印预览, 输出PDF.
    QMenu* menu();

    // After a settlement that was stored: prints the ticket when the settings ask for it.
    void afterSettlement();

    static const QString kNothingToPrint;

private:
    // The ticket's document, or nothing (and a "提示" box) when it has no line.
    bool prepare(const printing::PageSetup& paper, printing::Document* document);
    void exportPdfAsked();
    // Notes where the ticket went in the log.
    printing::OutputHook noteOutput() const;

    Form2& form_;
    QPointer<QMenu> menu_;
};

} // namespace lichuan

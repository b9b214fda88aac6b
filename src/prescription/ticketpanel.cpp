#include "prescription/ticketpanel.h"

#include "data/audit.h"
#include "data/catalog.h"
#include "prescription/form2.h"
#include "prescription/sheetactions.h"
#include "printing/output.h"
#include "printing/printui.h"
#include "printing/surface.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace lichuan {

const QString TicketPanel::kNothingToPrint = QStringLiteral("处方中没有划价的药品。");

namespace {

// The paper of the ticket printer; an empty name stands for the system's default printer.
printing::PageSetup paperOf(const QString& printer) {
    return printing::pageSetupFor(printer.isEmpty() ? printing::systemDefaultPrinter() : printer);
}

// A file or a preview shows the paper from its corner.
printing::PageSetup fromCorner(printing::PageSetup setup) {
    setup.printableOffset = QPointF();
    return setup;
}

} // namespace

TicketPanel::TicketPanel(Form2& form) : form_(form) {
    QPushButton* button = form_.pricing.ticketButton;
    connect(button, &QPushButton::clicked, this, &TicketPanel::print);
    // A right click offers the preview and the PDF file instead of printing, as on "打印".
    button->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(button, &QWidget::customContextMenuRequested, this,
            [this, button](const QPoint& at) { menu()->popup(button->mapToGlobal(at)); });
}

ticket::Content TicketPanel::content(std::vector<UnpricedItem>* unpriced) const {
    const SheetControls& sheet = form_.sheet;
    ticket::PricedSheet priced;
    priced.itemText = sheet.R1->text();
    priced.herbal = form_.actions().herbalMode();
    priced.doses = sheet.Text6->text();
    if (sheet.Label5 == kSettledMarker) {
        const PricedLines lines = form_.actions().pricedLines();
        priced.lines.assign(lines.begin(), lines.end());
    } else {
        // Priced as the settlement would price it, without settling, saving or laying out the sheet.
        const ProcessState& process = form_.services().state;
        const PricingCatalog catalog(process.mainDb
                                         ? catalogOfCategories(*process.mainDb, PricingCatalog::categories())
                                         : std::vector<CatalogItem>());
        PricingResult result = priceItems(priced.itemText, priced.herbal, priced.doses, catalog);
        priced.lines = std::move(result.lines);
        if (unpriced)
            *unpriced = std::move(result.unpriced);
    }
    const ticket::Lines lines = ticket::ticketLines(priced);

    ticket::Content content;
    content.clinicName = sheet.Label2[0]->text();
    content.key = sheet.Label4;
    content.date = sheet.Text5[kDate]->text();
    content.patient = sheet.Text5[kName]->text();
    content.sex = sheet.Text5[kSex]->text();
    content.age = sheet.Text5[kAge]->text();
    content.doses = priced.herbal ? lines.doses : QString();
    content.lines = lines.lines;
    content.total = lines.total;
    content.doctor = sheet.Text5[kPhysician]->text();
    content.dispenser = form_.services().settings.values().dispenser;
    return content;
}

printing::Document TicketPanel::document(const printing::PageSetup& paper) const {
    const SettingsValues& settings = form_.services().settings.values();
    printing::Surface surface;
    layOutTicket(surface, content(), {settings.ticketLeftMargin, settings.ticketTopMargin},
                 ticketPaper(paper));
    return surface.endDocument();
}

bool TicketPanel::prepare(const printing::PageSetup& paper, printing::Document* document) {
    const SettingsValues& settings = form_.services().settings.values();
    std::vector<UnpricedItem> unpriced;
    const ticket::Content shown = content(&unpriced);
    Messages& messages = form_.services().messages;
    if (shown.lines.empty()) {
        messages.inform(kNothingToPrint);
        return false;
    }
    // What the slip leaves out is said, as the settlement says it.
    if (!unpriced.empty())
        messages.inform(unpricedMessage(unpriced));
    printing::Surface surface;
    layOutTicket(surface, shown, {settings.ticketLeftMargin, settings.ticketTopMargin}, ticketPaper(paper));
    *document = surface.endDocument();
    return true;
}

void TicketPanel::print() {
    const QString printer = form_.services().settings.values().ticketPrinter;
    printing::Document document;
    if (prepare(paperOf(printer), &document))
        printing::deliver(document, printer, form_.services().messages, form_.services().files, &form_,
                          noteOutput());
}

void TicketPanel::preview() {
    const QString printer = form_.services().settings.values().ticketPrinter;
    printing::Document document;
    if (prepare(fromCorner(paperOf(printer)), &document))
        printing::showPreview(document, form_.services().messages, form_.services().files, &form_, printer,
                              noteOutput());
}

bool TicketPanel::exportPdf(const QString& path) {
    const printing::PageSetup paper = fromCorner(paperOf(form_.services().settings.values().ticketPrinter));
    printing::Document document;
    if (!prepare(paper, &document))
        return false;
    return printing::exportPdf(document, paper, path, form_.services().messages, noteOutput());
}

printing::OutputHook TicketPanel::noteOutput() const {
    return printing::noteInLog(form_.services().state, audit::kPickupTicket, form_.sheet.Label4,
                               form_.sheet.Text5[kName]->text());
}

void TicketPanel::exportPdfAsked() {
    Services& services = form_.services();
    const QString path = printing::askPdfPath(services.files, &form_, services.state.DataFolder);
    if (!path.isEmpty())
        exportPdf(path);
}

QMenu* TicketPanel::menu() {
    if (!menu_) {
        menu_ = new QMenu(&form_);
        menu_->addAction(QStringLiteral("打印预览"), this, [this] { preview(); });
        menu_->addAction(QStringLiteral("输出PDF"), this, [this] { exportPdfAsked(); });
    }
    return menu_;
}

void TicketPanel::afterSettlement() {
    if (form_.services().settings.values().printsTicketAfterSettlement())
        print();
}

} // namespace lichuan

#include "prescription/toolbar.h"

#include "data/audit.h"
#include "data/clock.h"
#include "data/record.h"
#include "prescription/form2.h"
#include "prescription/historypanel.h"
#include "prescription/safetypanel.h"
#include "prescription/sheetactions.h"
#include "prescription/sheetprint.h"
#include "prescription/toolbaricons.h"
#include "prescription/totalspanel.h"
#include "printing/printui.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QEventLoop>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>

namespace lichuan {

namespace {

// Lets timers and painting run for the rest of `milliseconds` counted from `since`; what the user types or
// clicks meanwhile waits until the pause is over.
void pause(const QElapsedTimer& since, int milliseconds) {
    const qint64 remaining = milliseconds - since.elapsed();
    if (remaining <= 0)
        return;
    QEventLoop loop;
    QTimer::singleShot(static_cast<int>(remaining), Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool isRightButton(const QEvent* event) {
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        return static_cast<const QMouseEvent*>(event)->button() == Qt::RightButton;
    default:
        return false;
    }
}

} // namespace

Toolbar::Toolbar(Form2& form) : form_(form) {
    const int iconSize = form_.toolbar.Image7[0] ? form_.toolbar.Image7[0]->width() : 24;
    for (int i = 0; i < kToolbarButtonCount; ++i) {
        const auto k = static_cast<size_t>(i);
        form_.toolbar.Image7[k]->setPixmap(toolbarIcon(i, iconSize));
        form_.toolbar.Label18[k]->installEventFilter(this);
        showFlat(i);
    }
}

bool Toolbar::eventFilter(QObject* watched, QEvent* event) {
    const int button = buttonOf(watched);
    if (button >= 0) {
        // A right click on "打印" offers the preview and the PDF file instead of printing.
        if (button == Print && event->type() == QEvent::ContextMenu)
            return true;
        if (button == Print && isRightButton(event)) {
            if (event->type() == QEvent::MouseButtonRelease)
                printMenu()->popup(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
            return true;
        }
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) {
            showPressed(button);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            run(button);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

int Toolbar::buttonOf(QObject* watched) const {
    for (int i = 0; i < kToolbarButtonCount; ++i) {
        if (form_.toolbar.Label18[static_cast<size_t>(i)] == watched)
            return i;
    }
    return -1;
}

void Toolbar::showPressed(int button) {
    if (button < 0 || button >= kToolbarButtonCount)
        return;
    QFrame* frame = form_.toolbar.Picture4[static_cast<size_t>(button)];
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    frame->setLineWidth(1);
}

void Toolbar::showFlat(int button) {
    if (button < 0 || button >= kToolbarButtonCount)
        return;
    QFrame* frame = form_.toolbar.Picture4[static_cast<size_t>(button)];
    frame->setFrameStyle(QFrame::NoFrame);
    QPalette palette = frame->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Button));
    frame->setPalette(palette);
    frame->setAutoFillBackground(true);
}

void Toolbar::run(int button) {
    if (button < 0 || button >= kToolbarButtonCount)
        return;
    form_.actions().hideSuggestions();
    showFlat(button);
    const bool suppressed = form_.state.SuggestSuppressed;
    form_.state.SuggestSuppressed = true;
    QPointer<Toolbar> alive(this);
    Navigator& navigator = form_.services().navigator;
    switch (button) {
    case New:
        newSheet();
        break;
    case Renew:
        renew();
        break;
    case Save:
        save();
        break;
    case Print:
        print();
        break;
    case Log:
        navigator.openLog();
        break;
    case SaveAsSet:
        saveAsSet();
        break;
    case CaseRecord:
        navigator.openCaseRecord();
        break;
    case Statistics:
        navigator.openStatistics();
        break;
    case Help:
        navigator.openHelp();
        break;
    case Copy:
        copySheet();
        break;
    case About:
        about();
        break;
    default:
        break;
    }
    if (alive)
        form_.state.SuggestSuppressed = suppressed;
}

void Toolbar::newSheet() {
    SheetActions& actions = form_.actions();
    actions.leaveRecordKey();
    actions.resetHeaderFields();
    actions.newRecordKey();
    form_.sheet.R1->setText(QString());
    actions.clearPricedLines();
    form_.sheet.Text5[kName]->setFocus();
    actions.applyLayoutForCategory();
    form_.sheet.Label5.clear();
    form_.services().state.PendingCaseRecord.clear();
    actions.followRecordKey();
}

void Toolbar::renew() {
    // The same patient's next prescription: a visit of its own, with a record of its own.
    SheetActions& actions = form_.actions();
    actions.leaveRecordKey();
    actions.newRecordKey();
    form_.sheet.R1->setText(QString());
    actions.clearPricedLines();
    form_.search.Text1->setFocus();
    actions.applyLayoutForCategory();
    form_.sheet.Label5.clear();
    form_.services().state.PendingCaseRecord.clear();
    actions.followRecordKey();
}

void Toolbar::save() {
    if (!form_.safety().confirmHardWarnings(QStringLiteral("保存")))
        return;
    saveThenRequery();
}

bool Toolbar::saveThenRequery() {
    if (form_.actions().herbalMode())
        form_.actions().RC1();
    const bool saved = form_.actions().saveSheet();
    form_.historyPanel().runQuery();
    return saved;
}

printing::OutputHook Toolbar::noteOutput() const {
    return printing::noteInLog(form_.services().state, audit::kPrescription, form_.sheet.Label4,
                               form_.sheet.Text5[kName]->text());
}

void Toolbar::print() {
    if (!form_.safety().confirmHardWarnings(QStringLiteral("打印")))
        return;
    // The printed sheet is the clinic's record of what was dispensed: one with changes that are not stored
    // is saved first when the doctor wants it so; a save that fails prints nothing.
    if (form_.actions().hasUnsavedChanges()) {
        switch (form_.services().messages.askYesNoCancel(kSaveBeforePrinting)) {
        case Messages::Answer::Yes:
            if (!saveThenRequery())
                return;
            break;
        case Messages::Answer::No:
            break;
        case Messages::Answer::Cancel:
            return;
        }
    }
    const SettingsValues& settings = form_.services().settings.values();
    printing::deliver(prescriptionDocument(form_, prescriptionPrintSettings(settings)),
                      settings.prescriptionPrinter, form_.services().messages, form_.services().files, &form_,
                      noteOutput());
}

void Toolbar::printPreview() {
    if (!form_.safety().confirmHardWarnings(QStringLiteral("打印")))
        return;
    const SettingsValues& settings = form_.services().settings.values();
    printPreview(settings.leftMargin, settings.topMargin);
}

void Toolbar::printPreview(const QString& leftMargin, const QString& topMargin) {
    const SettingsValues& settings = form_.services().settings.values();
    PrescriptionPrintSettings print = prescriptionPrintSettings(settings);
    print.leftMargin = leftMargin;
    print.topMargin = topMargin;
    printing::showPreview(prescriptionDocument(form_, print), form_.services().messages,
                          form_.services().files, &form_, settings.prescriptionPrinter, noteOutput());
}

bool Toolbar::exportPdf(const QString& path) {
    Services& services = form_.services();
    const SettingsValues& settings = services.settings.values();
    return printing::exportPdf(prescriptionDocument(form_, prescriptionPrintSettings(settings)),
                               settings.prescriptionPrinter, path, services.messages, noteOutput());
}

void Toolbar::exportPdfAsked() {
    if (!form_.safety().confirmHardWarnings(QStringLiteral("打印")))
        return;
    Services& services = form_.services();
    const SettingsValues& settings = services.settings.values();
    printing::askAndExportPdf(prescriptionDocument(form_, prescriptionPrintSettings(settings)),
                              settings.prescriptionPrinter, services.messages, services.files, &form_,
                              services.state.DataFolder, noteOutput());
}

QMenu* Toolbar::printMenu() {
    if (!printMenu_) {
        printMenu_ = new QMenu(&form_);
        printMenu_->addAction(QStringLiteral("打印预览"), this, [this] { printPreview(); });
        printMenu_->addAction(QStringLiteral("输出PDF"), this, [this] { exportPdfAsked(); });
    }
    return printMenu_;
}

void Toolbar::saveAsSet() {
    form_.services().navigator.openTemplateWindow(form_.actions().herbalMode(), form_.sheet.R1->text());
}

void Toolbar::copySheet() {
    SheetActions& actions = form_.actions();
    // The copy is a prescription of its own: the record stays with the sheet it was written for.
    actions.leaveRecordKey();
    form_.services().state.PendingCaseRecord.clear();
    actions.clearPricedLines();
    actions.newRecordKey();

    // The item text vanishes for a moment, so that the doctor sees a new sheet start.
    QElapsedTimer since;
    since.start();
    const QString items = form_.sheet.R1->text();
    form_.sheet.R1->setText(QString());
    QPointer<Toolbar> alive(this);
    pause(since, kCopyPauseMs);
    if (!alive)
        return;

    const QDateTime now = form_.services().clock.now();
    form_.sheet.Text5[kCaseNumber]->setText(timestamp14(now));
    form_.sheet.Text5[kDate]->setText(now.date().toString(kDateFormat));
    form_.sheet.R1->setText(items);
    form_.sheet.Label5.clear();
    form_.search.Text1->setFocus();
    form_.totals().RecalcTotals();
    actions.followRecordKey();
}

void Toolbar::about() {
    form_.services().state.AboutFromMenu = true;
    form_.services().navigator.openAbout();
}

} // namespace lichuan

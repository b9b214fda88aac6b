#include "records/form14.h"

#include "data/audit.h"
#include "data/record.h"
#include "printing/printui.h"
#include "printing/surface.h"
#include "records/recordgeometry.h"
#include "records/recordprint.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/closewindow.h"
#include "ui/crlftextedit.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTextCursor>
#include <QTextDocument>

namespace lichuan {

namespace {

const QString kRecordTemplateKind = QStringLiteral("病历模板");

} // namespace

Form14::Form14(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    build();
    for (int i = 0; i < kRecordFieldCount; ++i) {
        CrLfTextEdit* field = Text2[static_cast<size_t>(i)];
        field->installEventFilter(this);
        connect(field, &QPlainTextEdit::textChanged, this, [this, i] { keepSeparatorOut(i); });
    }
    List1->installEventFilter(this);
    connect(Text1, &QLineEdit::textChanged, this, [this] { fillTemplateList(); });
    connect(List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { insertTemplate(List1->row(item)); });
    connect(Command1, &QPushButton::clicked, this, [this] { print(); });
    connect(Command2, &QPushButton::clicked, this, [this] { citePrescription(); });
    connect(Command3, &QPushButton::clicked, this, [this] { save(); });
    connect(Command4, &QPushButton::clicked, this, [this] { closeWindow(*this); });
    connect(Command5, &QPushButton::clicked, this, [this] { editTemplates(); });
    connect(Command6, &QPushButton::clicked, this, [this] { preview(); });
    load();
}

Form14::~Form14() {
    unregister();
}

void Form14::load() {
    showSheetRecord();
    fillTemplateList();
}

void Form14::showHeader() {
    SheetAccess* sheet = services_.sheet;
    auto headerField = [sheet](int field) { return sheet ? sheet->headerField(field) : QString(); };

    Label2[0]->setText(recordTitle(services_.settings.values().clinicName));
    Label2[0]->adjustSize();
    Label2[0]->move((Picture1->width() - Label2[0]->width()) / 2, Label2[0]->y());
    Label2[1]->setText(visitTimeCaption(sheet ? sheet->recordKey() : QString()));
    Label2[2]->setText(QStringLiteral("姓名：") + headerField(kName));
    Label2[3]->setText(QStringLiteral("性别：") + headerField(kSex));
    Label2[4]->setText(QStringLiteral("年龄：") + headerField(kAge));
    Label2[5]->setText(QStringLiteral("科别：") + headerField(kDepartment));
    Label2[6]->setText(QStringLiteral("住址/电话：") + headerField(kAddress));
    for (QLabel* label : Label2)
        label->adjustSize();
}

void Form14::showSheetRecord() {
    showHeader();
    SheetAccess* sheet = services_.sheet;
    const QString& pending = services_.state.PendingCaseRecord;
    if (!pending.isEmpty()) {
        const CaseRecordFields fields = readCaseRecordText(pending);
        for (size_t i = 0; i < fields.size(); ++i)
            Text2[i]->setText(fields[i]);
    } else {
        for (CrLfTextEdit* field : Text2)
            field->setText(QString());
        Text2[kChineseDiagnosis]->setText(sheet ? sheet->headerField(kDiagnosis) : QString());
    }
}

QString Form14::recordText() const {
    return caseRecordText(fields());
}

void Form14::followSheet() {
    showSheetRecord();
}

void Form14::unregister() {
    if (services_.caseRecord == this)
        services_.caseRecord = nullptr;
}

CaseRecordFields Form14::fields() const {
    CaseRecordFields fields;
    for (size_t i = 0; i < fields.size(); ++i)
        fields[i] = Text2[i]->text();
    return fields;
}

void Form14::fillTemplateList() {
    const Database* main = services_.state.mainDb.get();
    if (!main)
        return;
    templates_ = searchTemplates(*main, kRecordTemplateKind, Text1->text());
    const QSignalBlocker blocker(List1);
    List1->clear();
    for (const TemplateItem& item : templates_)
        List1->addItem(item.name);
}

void Form14::insertTemplate(int row) {
    if (currentField_ < 0 || row < 0 || row >= static_cast<int>(templates_.size()))
        return;
    CrLfTextEdit* field = Text2[static_cast<size_t>(currentField_)];
    field->insertAtCaret(templates_[static_cast<size_t>(row)].content);
    field->setFocus();
}

void Form14::citePrescription() {
    if (!services_.sheet)
        return;
    const QString text = citation(services_.sheet->itemLinesAsShown());
    if (!text.isEmpty())
        Text2[kTreatment]->insertAtCaret(text);
}

void Form14::storeRecord() {
    services_.state.PendingCaseRecord = caseRecordText(fields());
}

void Form14::save() {
    storeRecord();
    showHeader();
    SheetAccess* sheet = services_.sheet;
    if (!sheet)
        return;
    if (sheet->herbalMode())
        sheet->layOutItems();
    sheet->saveSheet();
}

printing::Document Form14::printedRecord() const {
    RecordPrintInput input;
    for (size_t i = 0; i < Label2.size(); ++i)
        input.header[i] = Label2[i]->text();
    input.fields = fields();
    input.doctor = services_.sheet ? services_.sheet->headerField(kPhysician) : QString();
    const SettingsValues& settings = services_.settings.values();
    input.leftMargin = settings.recordLeftMargin;
    input.topMargin = settings.recordTopMargin;
    printing::Surface surface;
    layOutCaseRecord(surface, input);
    return surface.endDocument();
}

void Form14::print() {
    // On the record printer; a missing printer or a refused job is named, then the preview offers another
    // printer and a PDF file. The header is the sheet's as it is now.
    showHeader();
    printing::deliver(printedRecord(), services_.settings.values().recordPrinter, services_.messages,
                      services_.files, this, outputNoted());
}

void Form14::preview() {
    showHeader();
    printing::showPreview(printedRecord(), services_.messages, services_.files, this,
                          services_.settings.values().recordPrinter, outputNoted());
}

printing::OutputHook Form14::outputNoted() const {
    // The log names the prescription the record belongs to.
    const QString key = services_.sheet ? services_.sheet->recordKey() : QString();
    const QString name = services_.sheet ? services_.sheet->headerField(kName) : QString();
    return printing::noteInLog(services_.state, audit::kCaseRecord, key, name);
}

void Form14::editTemplates() {
    Navigator& navigator = services_.navigator;
    if (closeWindow(*this))
        navigator.openRecordTemplates();
}

void Form14::showEvent(QShowEvent* event) {
    // Open: the sheet takes the record from here when it saves or moves on.
    services_.caseRecord = this;
    QWidget::showEvent(event);
}

void Form14::closeEvent(QCloseEvent* event) {
    // The record travels with the sheet even when it was not saved here; the sheet's next save stores it.
    storeRecord();
    unregister();
    QWidget::closeEvent(event);
}

void Form14::keepSeparatorOut(int field) {
    // "$" separates the fields of the stored record: typed, pasted or inserted, it is written full-width.
    if (replacing_)
        return;
    CrLfTextEdit* edit = Text2[static_cast<size_t>(field)];
    QTextDocument* document = edit->document();
    QTextCursor found = document->find(QString(kRecordSeparator));
    if (found.isNull())
        return;
    replacing_ = true;
    const QTextCursor caret = edit->textCursor();
    while (!found.isNull()) {
        found.insertText(QString(kFullWidthDollar));
        found = document->find(QString(kRecordSeparator), found);
    }
    // The replacement has the same length: the caret and the selection stay where they were.
    QTextCursor restored(document);
    restored.setPosition(caret.anchor());
    restored.setPosition(caret.position(), QTextCursor::KeepAnchor);
    edit->setTextCursor(restored);
    replacing_ = false;
    Label3->setText(QStringLiteral("“$”用来分隔病历的各项，已改为全角“＄”。"));
    Label3->show();
}

bool Form14::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (int i = 0; i < kRecordFieldCount; ++i) {
            if (watched == Text2[static_cast<size_t>(i)]) {
                currentField_ = i;
                // Back in the record: the header shows the patient now on the sheet.
                showHeader();
            }
        }
    } else if (watched == List1 && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            insertTemplate(List1->currentRow());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace lichuan

#include "settings/form8.h"

#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsform.h"
#include "settings/settingsstore.h"
#include "ui/appearance.h"
#include "ui/buttons.h"
#include "ui/closewindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lichuan {

namespace {

QLineEdit* lineEdit(const QString& name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    return edit;
}

QComboBox* comboBox(const QString& name) {
    auto* combo = new QComboBox;
    combo->setObjectName(name);
    combo->setEditable(true);
    // Enter keeps the typed text as the value; it never becomes an entry of the list.
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMinimumContentsLength(14);
    combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return combo;
}

// A caption with its field as buddy, placed in a grid row.
QLabel* addRow(QGridLayout* grid, int row, int column, const QString& caption, QWidget* field) {
    auto* label = new QLabel(caption);
    label->setBuddy(field);
    grid->addWidget(label, row, column);
    grid->addWidget(field, row, column + 1);
    return label;
}

QPushButton* pushButton(const QString& text, const QString& name) {
    auto* button = new QPushButton(text);
    button->setObjectName(name);
    clickOnEnter(*button);
    return button;
}

} // namespace

Form8::Form8(Services& services, std::function<QStringList()> installedPrinters, QWidget* parent)
    : QWidget(parent), services_(services) {
    build();
    connect(Command1, &QPushButton::clicked, this, [this] { save(); });
    connect(Command2, &QPushButton::clicked, this, [this] { closeWindow(*this); });
    connect(Command3, &QPushButton::clicked, this, [this] { changePassword(); });
    connect(previewButton, &QPushButton::clicked, this, [this] { previewPrescription(); });
    load(installedPrinters ? installedPrinters() : QStringList());
}

Form8::~Form8() = default;

void Form8::build() {
    setObjectName(QStringLiteral("Form8"));
    setWindowTitle(QStringLiteral("综合设置"));

    Text1 = lineEdit(QStringLiteral("Text1"));
    Text2 = lineEdit(QStringLiteral("Text2"));
    Text6 = lineEdit(QStringLiteral("Text6"));
    Text7 = lineEdit(QStringLiteral("Text7"));
    Text3 = lineEdit(QStringLiteral("Text3"));
    for (size_t i = 0; i < Combo2.size(); ++i)
        Combo2[i] = comboBox(QStringLiteral("Combo2_%1").arg(i));
    Combo1 = comboBox(QStringLiteral("Combo1"));
    Combo3 = comboBox(QStringLiteral("Combo3"));
    Combo3->setMinimumContentsLength(4);
    Text4 = lineEdit(QStringLiteral("Text4"));
    Text5 = lineEdit(QStringLiteral("Text5"));
    Text11 = lineEdit(QStringLiteral("Text11"));
    Text10 = lineEdit(QStringLiteral("Text10"));
    Text14 = lineEdit(QStringLiteral("Text14"));
    Text13 = lineEdit(QStringLiteral("Text13"));
    Text8 = lineEdit(QStringLiteral("Text8"));
    Text12 = lineEdit(QStringLiteral("Text12"));
    showAsPassword(*Text8);
    showAsPassword(*Text12);
    Command1 = pushButton(QStringLiteral("保  存"), QStringLiteral("Command1"));
    Command2 = pushButton(QStringLiteral("取  消"), QStringLiteral("Command2"));
    Command3 = pushButton(QStringLiteral("修改密码"), QStringLiteral("Command3"));

    auto* general = new QGroupBox(QStringLiteral("综合设置"));
    auto* generalGrid = new QGridLayout(general);
    auto* clinicCaption = new QLabel(QStringLiteral("单位名称"));
    clinicCaption->setBuddy(Text1);
    generalGrid->addWidget(clinicCaption, 0, 0);
    generalGrid->addWidget(Text1, 0, 1, 1, 3);
    addRow(generalGrid, 1, 0, QStringLiteral("医    师"), Text2);
    addRow(generalGrid, 1, 2, QStringLiteral("发    药"), Text6);
    addRow(generalGrid, 2, 0, QStringLiteral("默认费别"), Text7);
    addRow(generalGrid, 2, 2, QStringLiteral("默认科别"), Text3);

    auto* printers = new QGroupBox(QStringLiteral("打印机设置"));
    auto* printerGrid = new QGridLayout(printers);
    addRow(printerGrid, 0, 0, QStringLiteral("处方打印机"), Combo2[1]);
    addRow(printerGrid, 1, 0, QStringLiteral("病历打印机"), Combo2[2]);
    addRow(printerGrid, 2, 0, QStringLiteral("取药单打印机"), Combo2[3]);
    ticketCheck = new QCheckBox(QStringLiteral("结算后打印取药单"));
    ticketCheck->setObjectName(QStringLiteral("ticketCheck"));
    printerGrid->addWidget(ticketCheck, 2, 2);
    // Kept in the row, never shown.
    QLabel* defaultPrinter = addRow(printerGrid, 3, 0, QStringLiteral("默认打印机"), Combo2[0]);
    defaultPrinter->hide();
    Combo2[0]->hide();
    printerGrid->setColumnStretch(1, 1);

    auto* margins = new QGroupBox(QStringLiteral("打印边距设置(单位：毫米)"));
    auto* marginGrid = new QGridLayout(margins);
    addRow(marginGrid, 0, 0, QStringLiteral("处方打印字体"), Combo1);
    addRow(marginGrid, 0, 2, QStringLiteral("处方字体大小"), Combo3);
    addRow(marginGrid, 1, 0, QStringLiteral("处方左边距"), Text4);
    addRow(marginGrid, 1, 2, QStringLiteral("处方上边距"), Text5);
    // Shows the sheet printed with the margins as typed, before they are saved.
    previewButton = pushButton(QStringLiteral("预览"), QStringLiteral("previewButton"));
    previewButton->setEnabled(services_.sheet != nullptr);
    marginGrid->addWidget(previewButton, 1, 4);
    addRow(marginGrid, 2, 0, QStringLiteral("病历左边距"), Text11);
    addRow(marginGrid, 2, 2, QStringLiteral("病历上边距"), Text10);
    addRow(marginGrid, 3, 0, QStringLiteral("取药单左边距"), Text14);
    addRow(marginGrid, 3, 2, QStringLiteral("取药单上边距"), Text13);
    marginGrid->setColumnStretch(1, 1);
    marginGrid->setColumnStretch(3, 1);

    auto* password = new QGroupBox(QStringLiteral("修改登录密码"));
    auto* passwordGrid = new QGridLayout(password);
    addRow(passwordGrid, 0, 0, QStringLiteral("原密码"), Text8);
    addRow(passwordGrid, 0, 2, QStringLiteral("新密码"), Text12);
    passwordGrid->addWidget(Command3, 0, 4);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    buttons->addWidget(Command2);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(general);
    layout->addWidget(printers);
    layout->addWidget(margins);
    layout->addWidget(password);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(Text1, Text2);
    setTabOrder(Text2, Text6);
    setTabOrder(Text6, Text7);
    setTabOrder(Text7, Text3);
    setTabOrder(Text3, Combo2[1]);
    setTabOrder(Combo2[1], Combo2[2]);
    setTabOrder(Combo2[2], Combo2[3]);
    setTabOrder(Combo2[3], ticketCheck);
    setTabOrder(ticketCheck, Combo1);
    setTabOrder(Combo1, Combo3);
    setTabOrder(Combo3, Text4);
    setTabOrder(Text4, Text5);
    setTabOrder(Text5, previewButton);
    setTabOrder(previewButton, Text11);
    setTabOrder(Text11, Text10);
    setTabOrder(Text10, Text14);
    setTabOrder(Text14, Text13);
    setTabOrder(Text13, Text8);
    setTabOrder(Text8, Text12);
    setTabOrder(Text12, Command3);
    setTabOrder(Command3, Command1);
    setTabOrder(Command1, Command2);
}

void Form8::load(const QStringList& printers) {
    Combo1->addItems(QFontDatabase::families());
    Combo3->addItems({QStringLiteral("10"), QStringLiteral("11"), QStringLiteral("12"), QStringLiteral("14"),
                      QStringLiteral("16")});
    for (QComboBox* combo : Combo2)
        combo->addItems(printers);

    // Opening the window fills the store from the row afresh: the fields show what is stored now.
    services_.settings.drop();
    const SettingsValues& v = services_.settings.values();
    Text1->setText(v.clinicName);
    Text2->setText(v.doctor);
    Text6->setText(v.dispenser);
    Text7->setText(v.feeCategory);
    Text3->setText(v.department);
    Combo2[0]->setEditText(v.defaultPrinter);
    Combo2[1]->setEditText(v.prescriptionPrinter);
    Combo2[2]->setEditText(v.recordPrinter);
    Combo2[3]->setEditText(v.ticketPrinter);
    Combo1->setEditText(v.fontName);
    Combo3->setEditText(v.fontSize);
    Text4->setText(v.leftMargin);
    Text5->setText(v.topMargin);
    Text11->setText(v.recordLeftMargin);
    Text10->setText(v.recordTopMargin);
    Text14->setText(v.ticketLeftMargin);
    Text13->setText(v.ticketTopMargin);
    ticketCheck->setChecked(v.printsTicketAfterSettlement());
}

SettingsValues Form8::values() const {
    SettingsValues v;
    v.clinicName = Text1->text();
    v.doctor = Text2->text();
    v.dispenser = Text6->text();
    v.feeCategory = Text7->text();
    v.department = Text3->text();
    v.defaultPrinter = Combo2[0]->currentText();
    v.prescriptionPrinter = Combo2[1]->currentText();
    v.recordPrinter = Combo2[2]->currentText();
    v.ticketPrinter = Combo2[3]->currentText();
    v.fontName = Combo1->currentText();
    v.fontSize = Combo3->currentText();
    v.leftMargin = Text4->text();
    v.topMargin = Text5->text();
    v.recordLeftMargin = Text11->text();
    v.recordTopMargin = Text10->text();
    v.ticketLeftMargin = Text14->text();
    v.ticketTopMargin = Text13->text();
    v.ticketAfterSettlement = ticketCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return v;
}

void Form8::save() {
    Database* main = services_.state.mainDb.get();
    QStringList refused;
    const bool written = main && writeSettingsRow(*main, settingsRowOf(values()), &refused);
    // Readers see what the row holds now; the sheet's title shows the stored clinic name at once.
    services_.settings.drop();
    if (services_.sheet && written)
        services_.sheet->setClinicTitle(services_.settings.values().clinicName);
    const QString message = settingsSaveMessage(written, refused);
    if (!message.isEmpty()) {
        // The window stays open with the entries as typed, so the user can shorten what was refused.
        services_.messages.inform(message);
        return;
    }
    closeWindow(*this);
}

void Form8::changePassword() {
    Database* main = services_.state.mainDb.get();
    const PasswordChange outcome =
        main ? lichuan::changePassword(*main, Text8->text(), Text12->text()) : PasswordChange::NotStored;
    services_.messages.inform(passwordChangeMessage(outcome));
    if (outcome == PasswordChange::Stored)
        closeWindow(*this);
}

void Form8::previewPrescription() {
    if (services_.sheet)
        services_.sheet->previewPrescription(Text4->text(), Text5->text());
}

void Form8::closeEvent(QCloseEvent* event) {
    // Saved, cancelled or closed: the next reader fills the store from the row again.
    services_.settings.drop();
    QWidget::closeEvent(event);
}

} // namespace lichuan

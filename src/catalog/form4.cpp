#include "catalog/form4.h"

#include "catalog/templaterules.h"
#include "data/clock.h"
#include "data/record.h"
#include "data/searchcodes.h"
#include "data/templates.h"
#include "data/textrules.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/appearance.h"
#include "ui/buttons.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/listkeys.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace lichuan {

namespace {

// The longest name, pinyin and ordering key the user can type (the widths of their columns).
constexpr int kNameLimit = 50;
constexpr int kInitialsLimit = 50;
constexpr int kOrderLimit = 10;

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    clickOnEnter(*b);
    return b;
}

FieldEdit* field(QWidget* parent, const char* name, int limit) {
    auto* edit = new FieldEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setTypingLimit(limit);
    return edit;
}

QLabel* captionFor(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

Form4::Form4(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("中药方剂/西成药组套/病历模板维护"));
    setFont(windowFont());
    build();
    selectKind(kFormula);
}

void Form4::build() {
    for (int k = 0; k < kTemplateKindCount; ++k) {
        auto* option = new QRadioButton(templateKindCaption(k), this);
        option->setObjectName(QStringLiteral("Option1_%1").arg(k));
        connect(option, &QRadioButton::toggled, this, [this, k](bool on) {
            if (on)
                setKind(k);
        });
        Option1[static_cast<size_t>(k)] = option;
    }

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(QStringLiteral("模板列表"));
    List1->setFixedWidth(180);
    connect(List1, &QListWidget::currentRowChanged, this, &Form4::pick);
    connect(List1, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { pick(List1->row(item)); });

    Text1 = field(this, "Text1", kNameLimit);
    Text3 = field(this, "Text3", kInitialsLimit);
    Text4 = field(this, "Text4", kOrderLimit);
    Text4->setMaximumWidth(60);
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& name) {
        if (!busy_)
            Text3->setText(PinyinInitials(trimSpaces(name)));
    });

    Text2 = new CrLfTextEdit(this);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setAccessibleName(QStringLiteral("内容"));
    Text2->setFont(windowFont());
    Text2->setMinimumSize(380, 260);

    Command1 = button(this, "Command1", QStringLiteral("添  加"));
    Command5 = button(this, "Command5", QStringLiteral("保  存"));
    Command4 = button(this, "Command4", QStringLiteral("删  除"));
    Command2 = button(this, "Command2", QStringLiteral("退 出"));
    connect(Command1, &QPushButton::clicked, this, &Form4::startNewEntry);
    connect(Command5, &QPushButton::clicked, this, &Form4::save);
    connect(Command4, &QPushButton::clicked, this, &Form4::deleteEntry);
    connect(Command2, &QPushButton::clicked, this, &Form4::closeWindow);

    auto* options = new QHBoxLayout;
    for (QRadioButton* option : Option1)
        options->addWidget(option);
    options->addStretch();

    auto* fields = new QHBoxLayout;
    fields->addWidget(captionFor(this, QStringLiteral("名称"), Text1));
    fields->addWidget(Text1, 3);
    fields->addWidget(captionFor(this, QStringLiteral("拼音"), Text3));
    fields->addWidget(Text3, 2);
    fields->addWidget(captionFor(this, QStringLiteral("序号"), Text4));
    fields->addWidget(Text4);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {Command1, Command5, Command4, Command2})
        buttons->addWidget(b);

    auto* panel = new QVBoxLayout;
    panel->addLayout(fields);
    panel->addWidget(Text2, 1);
    panel->addLayout(buttons);

    auto* grid = new QGridLayout(this);
    grid->addLayout(options, 0, 0, 1, 2);
    grid->addWidget(List1, 1, 0);
    grid->addLayout(panel, 1, 1);
    grid->setColumnStretch(1, 1);

    setTabOrder(Text1, Text3);
    setTabOrder(Text3, Text4);
    setTabOrder(Text4, Text2);
    setTabOrder(Text2, Command1);
    setTabOrder(Command1, Command5);
    setTabOrder(Command5, Command4);
    setTabOrder(Command4, Command2);
}

void Form4::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // Opened by the menu or by "存为组套", the window starts in the name box.
    if (!event->spontaneous())
        Text1->setFocus();
}

void Form4::selectKind(int kind) {
    if (kind < 0 || kind >= kTemplateKindCount)
        return;
    QRadioButton* option = Option1[static_cast<size_t>(kind)];
    if (option->isChecked())
        setKind(kind); // no toggle follows: the kind starts again all the same
    else
        option->setChecked(true);
}

void Form4::setKind(int kind) {
    kind_ = kind;
    Label4 = templateKindCaption(kind);
    loadList();
    startNewEntry();
}

void Form4::setContent(const QString& content) {
    Text2->setText(content);
    Text2->moveCaretToEnd();
}

void Form4::loadList() {
    rows_.clear();
    QStringList names;
    if (const Database* db = services_.state.mainDb.get()) {
        for (const TemplateRow& row : templateNamesOfKind(*db, Label4)) {
            rows_.push_back(row.rowid);
            names << row.name;
        }
    }
    const QSignalBlocker quiet(List1);
    setEntries(List1, names);
    // The entry being edited stays marked, so that the list shows where a save put it.
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i] == rowid_)
            List1->setCurrentRow(static_cast<int>(i));
    }
}

void Form4::startNewEntry() {
    Text1->clear();
    Text2->clear();
    Text3->clear();
    rowid_ = -1;
    Label3 = timestamp14(services_.clock.now());
    const Database* db = services_.state.mainDb.get();
    const int count = db ? countTemplatesOfKind(*db, Label4) : 0;
    Text4->setText(nextOrderKey(std::max(count, 0)));
    {
        const QSignalBlocker quiet(List1);
        List1->setCurrentRow(-1);
    }
    Text1->setFocus();
}

void Form4::pick(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return;
    const Database* db = services_.state.mainDb.get();
    const std::optional<TemplateRow> stored =
        db ? loadTemplate(*db, rows_[static_cast<std::size_t>(row)]) : std::nullopt;
    if (!stored) { // removed meanwhile (by another computer): the list shows what is there now
        loadList();
        return;
    }
    busy_ = true;
    rowid_ = stored->rowid;
    Label3 = stored->key;
    Text1->setText(stored->name);
    Text3->setText(stored->initials);
    Text2->setText(stored->content);
    Text4->setText(stored->order);
    busy_ = false;
}

void Form4::save() {
    Database* db = services_.state.mainDb.get();
    if (!db)
        return;
    const QString content = contentForSave(kind_, Text2->text());
    Text2->setText(content);
    Text2->moveCaretToEnd();

    const bool stored = rowid_ >= 0 && loadTemplate(*db, rowid_).has_value();
    if (!stored && trimSpaces(Text1->text()).isEmpty()) {
        services_.messages.inform(QStringLiteral("请输入药物名称！"));
        return;
    }
    TemplateRow row;
    row.rowid = stored ? rowid_ : -1;
    row.key = Label3;
    row.name = Text1->text();
    row.initials = Text3->text();
    row.content = content;
    row.search = templateSearchCode(row.name, row.initials);
    row.kind = Label4;
    row.order = Text4->text();
    const TemplateSaveOutcome outcome = saveTemplate(*db, row);
    if (!outcome.saved) {
        services_.messages.inform(templateSaveMessage(outcome));
        return;
    }
    // The panel keeps its contents: saving again rewrites the same row.
    rowid_ = outcome.rowid;
    Label3 = outcome.key;
    loadList();
}

void Form4::deleteEntry() {
    Database* db = services_.state.mainDb.get();
    if (db && rowid_ >= 0 && !deleteTemplate(*db, rowid_)) {
        services_.messages.inform(QStringLiteral("模板“%1”没有删除。").arg(Text1->text()));
        return;
    }
    rowid_ = -1;
    startNewEntry();
    loadList();
}

void Form4::closeWindow() {
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

} // namespace lichuan

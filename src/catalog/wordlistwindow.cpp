#include "catalog/wordlistwindow.h"

#include "data/searchcodes.h"
#include "data/templates.h"
#include "data/textrules.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/appearance.h"
#include "ui/buttons.h"
#include "ui/fieldedit.h"
#include "ui/listkeys.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace lichuan {

namespace {

// The name and its key (name + pinyin) share the 50 characters of the key column.
constexpr int kNameLimit = 50;

QPushButton* button(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    clickOnEnter(*b);
    return b;
}

FieldEdit* field(QWidget* parent, const char* name) {
    auto* edit = new FieldEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setTypingLimit(kNameLimit);
    return edit;
}

} // namespace

WordListWindow::WordListWindow(Services& services, const WordListKind& kind, QWidget* parent)
    : QWidget(parent), services_(services), kind_(kind) {
    setWindowTitle(kind.caption);
    setFont(windowFont());
    build();
    search();
}

WordListWindow* WordListWindow::createForm5(Services& services, QWidget* parent) {
    auto* window = new WordListWindow(services, diagnosisList(), parent);
    window->setObjectName(QStringLiteral("Form5"));
    return window;
}

WordListWindow* WordListWindow::createForm6(Services& services, QWidget* parent) {
    auto* window = new WordListWindow(services, addressList(), parent);
    window->setObjectName(QStringLiteral("Form6"));
    return window;
}

void WordListWindow::build() {
    Text1 = field(this, "Text1");
    auto* searchLabel = new QLabel(QStringLiteral("查询："), this);
    searchLabel->setBuddy(Text1);
    connect(Text1, &QLineEdit::textChanged, this, &WordListWindow::search);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setAccessibleName(kind_.caption);
    List1->setMinimumSize(260, 220);

    Text3 = field(this, "Text3");
    nameLabel = new QLabel(kind_.nameLabel, this);
    nameLabel->setBuddy(Text3);
    Text5 = field(this, "Text5");
    auto* initialsLabel = new QLabel(QStringLiteral("拼音代码："), this);
    initialsLabel->setBuddy(Text5);
    connect(Text3, &QLineEdit::textChanged, this,
            [this](const QString& name) { Text5->setText(PinyinInitials(trimSpaces(name))); });
    connect(Text3, &QLineEdit::returnPressed, this, &WordListWindow::save);

    Command2 = button(this, "Command2", QStringLiteral("保  存"));
    Command1 = button(this, "Command1", QStringLiteral("删  除"));
    connect(Command2, &QPushButton::clicked, this, &WordListWindow::save);
    connect(Command1, &QPushButton::clicked, this, &WordListWindow::deleteEntry);

    auto* grid = new QGridLayout(this);
    grid->addWidget(searchLabel, 0, 0);
    grid->addWidget(Text1, 0, 1);
    grid->addWidget(List1, 1, 0, 1, 2);
    grid->addWidget(nameLabel, 2, 0);
    grid->addWidget(Text3, 2, 1);
    grid->addWidget(initialsLabel, 3, 0);
    grid->addWidget(Text5, 3, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Command2);
    buttons->addWidget(Command1);
    grid->addLayout(buttons, 4, 0, 1, 2);

    setTabOrder(Text1, List1);
    setTabOrder(List1, Text3);
    setTabOrder(Text3, Text5);
    setTabOrder(Text5, Command2);
    setTabOrder(Command2, Command1);
}

void WordListWindow::search() {
    rows_.clear();
    QStringList names;
    if (const Database* db = services_.state.mainDb.get()) {
        for (const WordRow& row : searchWordList(*db, kind_.table, Text1->text())) {
            rows_.push_back(row.rowid);
            names << row.name;
        }
    }
    setEntries(List1, names);
}

void WordListWindow::save() {
    Database* db = services_.state.mainDb.get();
    const QString name = Text3->text();
    if (!db || trimSpaces(name).isEmpty())
        return;
    const WordSaveOutcome outcome = addWord(*db, kind_.table, name, Text5->text());
    if (outcome.result != WordSaveOutcome::Stored) {
        // Nothing was stored: the boxes keep what was typed, so that it can be corrected.
        services_.messages.inform(wordSaveMessage(kind_, name, outcome));
        Text3->setFocus();
        return;
    }
    if (Text1->text().isEmpty())
        search();
    else
        Text1->clear(); // lists every row again
    Text3->clear();
    Text5->clear();
    Text3->setFocus();
}

void WordListWindow::deleteEntry() {
    const QListWidgetItem* current = List1->currentItem();
    if (!current || !current->isSelected())
        return;
    const int row = List1->row(current);
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size())
        return;
    Database* db = services_.state.mainDb.get();
    if (db && !deleteWord(*db, kind_.table, rows_[static_cast<std::size_t>(row)])) {
        QString label = kind_.nameLabel;
        label.remove(QStringLiteral("："));
        services_.messages.inform(QStringLiteral("%1“%2”没有删除。").arg(label, current->text()));
    }
    search();
}

} // namespace lichuan

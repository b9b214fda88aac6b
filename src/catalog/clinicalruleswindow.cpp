#include "catalog/clinicalruleswindow.h"

#include "catalog/clinicalrulesgrid.h"
#include "data/audit.h"
#include "data/clock.h"
#include "data/textrules.h"
#include "session/filechooser.h"
#include "session/messages.h"
#include "session/state.h"
#include "spreadsheet/workbookreader.h"
#include "spreadsheet/workbookwriter.h"
#include "ui/appearance.h"
#include "ui/buttons.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace lichuan {

namespace {

using catalog::RulesTab;

const QString kOpenTitle = QStringLiteral("打开");
const QString kOpenFilter = QStringLiteral("Microsoft Excel 工作簿(*.xls *.xlsx)");
const QString kSaveTitle = QStringLiteral("另存为");
const QString kSaveFilter = QStringLiteral("Excel文件 (*.xlsx)");

QPushButton* button(QWidget* parent, const QString& caption, const char* name) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    clickOnEnter(*b);
    return b;
}

} // namespace

ClinicalRulesWindow::ClinicalRulesWindow(Services& services, QWidget* parent)
    : QWidget(parent), services_(services), model_(new catalog::ClinicalRulesModel(this)) {
    setObjectName(QStringLiteral("ClinicalRulesWindow"));
    setWindowTitle(QStringLiteral("用药警示维护"));
    setFont(windowFont());
    build();
    chooseTab(0);
}

ClinicalRulesWindow::~ClinicalRulesWindow() = default;

void ClinicalRulesWindow::build() {
    auto* layout = new QVBoxLayout(this);
    tabs = new QTabBar(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    for (int t = 0; t < catalog::kRulesTabCount; ++t)
        tabs->addTab(catalog::tabCaption(RulesTab(t)));
    tabs->setAccessibleName(QStringLiteral("规则类别"));
    layout->addWidget(tabs);

    auto* searchRow = new QHBoxLayout;
    auto* searchCaption = new QLabel(QStringLiteral("查询药物(&F)："), this);
    searchBox = new QLineEdit(this);
    searchBox->setObjectName(QStringLiteral("search"));
    searchCaption->setBuddy(searchBox);
    searchRow->addWidget(searchCaption);
    searchRow->addWidget(searchBox, 1);
    layout->addLayout(searchRow);

    table = new QTableView(this);
    table->setObjectName(QStringLiteral("rules"));
    table->setModel(model_);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->verticalHeader()->setDefaultSectionSize(22);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setAccessibleName(QStringLiteral("用药警示规则"));
    table->setMinimumSize(760, 300);
    layout->addWidget(table, 1);

    auto* panel = new QGridLayout;
    auto field = [&](int row, int column, const QString& caption, QWidget* edit, int span = 1) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(edit);
        panel->addWidget(label, row, column * 2);
        panel->addWidget(edit, row, column * 2 + 1, 1, span);
    };
    kindBox = new QComboBox(this);
    kindBox->setObjectName(QStringLiteral("kind"));
    herbBox = new QLineEdit(this);
    herbBox->setObjectName(QStringLiteral("herb"));
    partnerBox = new QLineEdit(this);
    partnerBox->setObjectName(QStringLiteral("partner"));
    levelBox = new QComboBox(this);
    levelBox->setObjectName(QStringLiteral("level"));
    minBox = new QLineEdit(this);
    minBox->setObjectName(QStringLiteral("min"));
    maxBox = new QLineEdit(this);
    maxBox->setObjectName(QStringLiteral("max"));
    noteBox = new QLineEdit(this);
    noteBox->setObjectName(QStringLiteral("note"));
    sourceBox = new QLineEdit(this);
    sourceBox->setObjectName(QStringLiteral("source"));
    field(0, 0, QStringLiteral("类别："), kindBox);
    field(0, 1, QStringLiteral("药物："), herbBox);
    field(0, 2, QStringLiteral("药物2："), partnerBox);
    field(1, 0, QStringLiteral("等级："), levelBox);
    field(1, 1, QStringLiteral("最小量(g)："), minBox);
    field(1, 2, QStringLiteral("最大量(g)："), maxBox);
    field(2, 0, QStringLiteral("说明："), noteBox, 5);
    field(3, 0, QStringLiteral("来源："), sourceBox, 5);
    markLabel = new QLabel(this);
    markLabel->setObjectName(QStringLiteral("marks"));
    panel->addWidget(markLabel, 4, 0, 1, 6);
    layout->addLayout(panel);

    auto* buttons = new QHBoxLayout;
    addButton = button(this, QStringLiteral("添  加"), "add");
    saveButton = button(this, QStringLiteral("保  存"), "save");
    switchButton = button(this, QStringLiteral("停  用"), "switch");
    deleteButton = button(this, QStringLiteral("删  除"), "delete");
    exportButton = button(this, QStringLiteral("导出到Excel"), "export");
    importButton = button(this, QStringLiteral("导  入"), "import");
    for (QPushButton* b : {addButton, saveButton, switchButton, deleteButton})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(exportButton);
    buttons->addWidget(importButton);
    layout->addLayout(buttons);
    auto* hint = new QLabel(
        QStringLiteral("规则为参考资料，使用前须由本院药师逐条核对；来源以“待核”开头的规则尚未核对。"), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    connect(tabs, &QTabBar::currentChanged, this, &ClinicalRulesWindow::chooseTab);
    connect(searchBox, &QLineEdit::textChanged, this, &ClinicalRulesWindow::search);
    connect(table, &QTableView::clicked, this, [this](const QModelIndex& index) { selectRow(index.row()); });
    connect(table->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) {
                if (current.isValid())
                    selectRow(current.row());
            });
    connect(addButton, &QPushButton::clicked, this, &ClinicalRulesWindow::startNewRule);
    connect(saveButton, &QPushButton::clicked, this, &ClinicalRulesWindow::save);
    connect(switchButton, &QPushButton::clicked, this, &ClinicalRulesWindow::switchOff);
    connect(deleteButton, &QPushButton::clicked, this, &ClinicalRulesWindow::deleteRule);
    connect(exportButton, &QPushButton::clicked, this, &ClinicalRulesWindow::exportWorkbook);
    connect(importButton, &QPushButton::clicked, this, &ClinicalRulesWindow::importWorkbook);
    setTabOrder(searchBox, table);
}

Database* ClinicalRulesWindow::database() const {
    return services_.state.mainDb.get();
}

RulesTab ClinicalRulesWindow::currentTab() const {
    return RulesTab(std::max(0, tabs->currentIndex()));
}

void ClinicalRulesWindow::chooseTab(int tab) {
    if (tabs->currentIndex() != tab) {
        tabs->setCurrentIndex(tab); // runs this again through the signal
        return;
    }
    fitPanelToTab();
    search();
    startNewRule();
}

void ClinicalRulesWindow::fitPanelToTab() {
    const RulesTab tab = currentTab();
    kindBox->clear();
    kindBox->addItems(catalog::tabKinds(tab));
    kindBox->setEnabled(tab == RulesTab::Pairs);
    levelBox->clear();
    levelBox->addItems(catalog::tabLevels(tab));
    levelBox->setEnabled(levelBox->count() > 0);
    partnerBox->setEnabled(tab == RulesTab::Pairs);
    minBox->setEnabled(tab == RulesTab::Dose);
    maxBox->setEnabled(tab == RulesTab::Dose);
}

void ClinicalRulesWindow::search() {
    std::vector<clinical::Rule> shown;
    if (const Database* main = database()) {
        for (clinical::Rule& rule : clinical::readRules(*main)) {
            if (catalog::listed(rule, currentTab(), searchBox->text()))
                shown.push_back(std::move(rule));
        }
    }
    model_->setRules(currentTab(), std::move(shown));
    table->resizeColumnsToContents();
    const int source =
        int(catalog::ClinicalRulesModel::headers(currentTab()).indexOf(QStringLiteral("来源")));
    table->setColumnWidth(source, std::min(table->columnWidth(source), 360));
}

void ClinicalRulesWindow::fill(const clinical::Rule& rule) {
    key_ = rule.key;
    kindBox->setCurrentText(rule.kind);
    herbBox->setText(rule.herb);
    partnerBox->setText(rule.partner);
    levelBox->setCurrentText(rule.level);
    minBox->setText(rule.minGrams);
    maxBox->setText(rule.maxGrams);
    noteBox->setText(rule.note);
    sourceBox->setText(rule.source);
    if (rule.key.isEmpty()) {
        markLabel->setText(QStringLiteral("新规则"));
        switchButton->setText(QStringLiteral("停  用"));
    } else {
        QStringList marks{catalog::originMark(rule), catalog::reviewMark(rule)};
        if (!rule.inForce())
            marks << QStringLiteral("已停用，不再提示");
        markLabel->setText(marks.join(QStringLiteral("，")));
        switchButton->setText(rule.inForce() ? QStringLiteral("停  用") : QStringLiteral("启  用"));
    }
    switchButton->setEnabled(!rule.key.isEmpty());
    deleteButton->setEnabled(!rule.key.isEmpty());
}

void ClinicalRulesWindow::selectRow(int row) {
    const std::vector<clinical::Rule>& rules = model_->rules();
    if (row < 0 || row >= int(rules.size()))
        return;
    fill(rules[std::size_t(row)]);
}

void ClinicalRulesWindow::startNewRule() {
    clinical::Rule rule;
    rule.kind = catalog::tabKinds(currentTab()).value(0);
    rule.level = catalog::tabLevels(currentTab()).value(0);
    table->clearSelection();
    fill(rule);
    herbBox->setFocus();
}

clinical::Rule ClinicalRulesWindow::ruleFromPanel() const {
    clinical::Rule rule;
    for (const clinical::Rule& listedRule : model_->rules()) {
        if (listedRule.key == key_)
            rule = listedRule;
    }
    rule.key = key_;
    rule.kind = kindBox->currentText();
    rule.herb = trimSpaces(herbBox->text());
    rule.partner = partnerBox->isEnabled() ? trimSpaces(partnerBox->text()) : QString();
    rule.level = levelBox->isEnabled() ? levelBox->currentText() : QString();
    rule.minGrams = minBox->isEnabled() ? trimSpaces(minBox->text()) : QString();
    rule.maxGrams = maxBox->isEnabled() ? trimSpaces(maxBox->text()) : QString();
    rule.note = trimSpaces(noteBox->text());
    rule.source = trimSpaces(sourceBox->text());
    return rule;
}

void ClinicalRulesWindow::save() {
    Database* main = database();
    if (!main)
        return;
    const clinical::RuleWrite written =
        clinical::saveRule(*main, ruleFromPanel(), services_.clock.now(), services_.state.StationSuffix);
    if (!written.ok) {
        services_.messages.inform(QStringLiteral("没有保存：") + written.error);
        return;
    }
    search();
    const int row = model_->rowOf(written.key);
    if (row >= 0) {
        table->selectRow(row);
        selectRow(row);
    } else {
        startNewRule();
    }
}

void ClinicalRulesWindow::switchOff() {
    Database* main = database();
    const int row = model_->rowOf(key_);
    if (!main || row < 0)
        return;
    const bool off = model_->rules()[std::size_t(row)].inForce();
    if (!clinical::switchRule(*main, key_, off)) {
        services_.messages.inform(QStringLiteral("没有保存：这条规则无法停用或启用。"));
        return;
    }
    const QString key = key_;
    search();
    const int again = model_->rowOf(key);
    if (again >= 0) {
        table->selectRow(again);
        selectRow(again);
    }
}

void ClinicalRulesWindow::deleteRule() {
    Database* main = database();
    if (!main || key_.isEmpty())
        return;
    if (!services_.messages.confirm(QStringLiteral("确实要删除这条规则吗？"), Messages::Icon::Warning))
        return;
    if (!clinical::deleteRule(*main, key_))
        services_.messages.inform(QStringLiteral("删除失败，这条规则仍保存在数据库中。"));
    search();
    startNewRule();
}

void ClinicalRulesWindow::exportWorkbook() {
    const QString chosen = trimTrailingSpaces(
        services_.files.saveFile(this, kSaveTitle, kSaveFilter, services_.state.DataFolder));
    const Database* main = database();
    if (chosen.isEmpty() || !main)
        return;
    const spreadsheet::WriteResult written = spreadsheet::writeWorkbook(
        catalog::rulesWorkbook(clinical::readRules(*main)), spreadsheet::withXlsxExtension(chosen));
    if (written.ok && services_.state.mainDb)
        audit::noteExport(*services_.state.mainDb, windowTitle(), spreadsheet::withXlsxExtension(chosen));
    services_.messages.inform(written.ok ? QStringLiteral("文件导出成功！") : written.error);
}

void ClinicalRulesWindow::importWorkbook() {
    const QString path = trimTrailingSpaces(
        services_.files.openFile(this, kOpenTitle, kOpenFilter, services_.state.DataFolder));
    Database* main = database();
    if (path.isEmpty() || !main)
        return;
    QString message;
    const spreadsheet::ReadResult read = spreadsheet::readFirstSheet(path);
    if (!read.ok) {
        message = QStringLiteral("没有导入：") + read.error;
    } else {
        const catalog::RulesSheet sheet = catalog::rulesFromSheet(read.rows);
        if (!sheet.error.isEmpty()) {
            message = QStringLiteral("没有导入：") + sheet.error;
        } else {
            message = catalog::importMessage(clinical::importRules(
                *main, sheet.rules, sheet.rowNumbers, services_.clock.now(), services_.state.StationSuffix));
        }
    }
    search();
    startNewRule();
    services_.messages.inform(message);
}

} // namespace lichuan

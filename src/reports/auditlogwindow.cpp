#include "reports/auditlogwindow.h"

#include "data/clock.h"
#include "data/dates.h"
#include "data/prescriptions.h"
#include "reports/reportexports.h"
#include "reports/reportrules.h"
#include "session/messages.h"
#include "session/state.h"
#include "spreadsheet/workbookwriter.h"
#include "ui/buttons.h"
#include "ui/closewindow.h"
#include "ui/twips.h"

#include <QAbstractTableModel>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

namespace lichuan {

namespace reports {

// The lines as the list shows them: one row a line, the columns of the log without its 内容. Only the row
// numbers of the lines are kept; the lines themselves are read a block at a time as rows are shown.
class AuditLineModel final : public QAbstractTableModel {
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setLines(const Database* db, std::vector<qint64> ids) {
        beginResetModel();
        db_ = db;
        ids_ = std::move(ids);
        blocks_.clear();
        endResetModel();
    }
    int count() const { return int(ids_.size()); }
    audit::Line line(int row) const {
        if (row < 0 || row >= count() || !db_)
            return {};
        const int first = row - row % kBlock;
        auto block = blocks_.find(first);
        if (block == blocks_.end()) {
            if (blocks_.size() >= kBlocksKept)
                blocks_.erase(blocks_.begin());
            const std::size_t size = std::min<std::size_t>(kBlock, ids_.size() - std::size_t(first));
            block = blocks_.emplace(first, audit::linesWithIds(*db_, ids_.data() + first, size)).first;
        }
        const std::size_t at = std::size_t(row - first);
        return at < block->second.size() ? block->second[at] : audit::Line{};
    }

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : count(); }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 6; }
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != Qt::DisplayRole || !index.isValid())
            return {};
        const audit::Line shown = line(index.row());
        const QString* columns[] = {&shown.time, &shown.station, &shown.action,
                                    &shown.key,  &shown.name,    &shown.text};
        return index.column() >= 0 && index.column() < 6 ? *columns[index.column()] : QString();
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        static const char* const headings[] = {"时间", "站点", "操作", "处方号", "姓名", "说明"};
        if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section > 5)
            return {};
        return QString::fromUtf8(headings[section]);
    }

private:
    static constexpr int kBlock = 200;
    static constexpr std::size_t kBlocksKept = 16;
    const Database* db_ = nullptr;
    std::vector<qint64> ids_;
    mutable std::map<int, std::vector<audit::Line>> blocks_; // by their first row
};

} // namespace reports

namespace {

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    clickOnEnter(*b);
    return b;
}

QLabel* caption(const QString& text, QWidget* buddy, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

const QString kAllActions = QStringLiteral("全部");

} // namespace

AuditLogWindow::AuditLogWindow(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("AuditLogWindow"));
    setWindowTitle(QStringLiteral("操作记录"));
    build();
    const QString today = dates::format(services_.clock.today());
    fromDate->setText(today);
    toDate->setText(today);
    query();
}

AuditLogWindow::~AuditLogWindow() = default;

void AuditLogWindow::build() {
    fromDate = reports::dateField(QStringLiteral("fromDate"), this);
    toDate = reports::dateField(QStringLiteral("toDate"), this);
    actionFilter = new QComboBox(this);
    actionFilter->setObjectName(QStringLiteral("actionFilter"));
    actionFilter->addItem(kAllActions);
    actionFilter->addItems(audit::actions());
    nameFilter = new QLineEdit(this);
    nameFilter->setObjectName(QStringLiteral("nameFilter"));
    nameFilter->setFixedWidth(twips::px(1500));
    queryButton = button(QStringLiteral("queryButton"), QStringLiteral("查  询"), this);
    countLabel = new QLabel(this);
    countLabel->setObjectName(QStringLiteral("countLabel"));

    auto* top = new QHBoxLayout;
    top->addWidget(caption(QStringLiteral("起始日期："), fromDate, this));
    top->addWidget(fromDate);
    top->addWidget(caption(QStringLiteral("终止日期："), toDate, this));
    top->addWidget(toDate);
    top->addWidget(caption(QStringLiteral("操作："), actionFilter, this));
    top->addWidget(actionFilter);
    top->addWidget(caption(QStringLiteral("姓名："), nameFilter, this));
    top->addWidget(nameFilter);
    top->addWidget(queryButton);
    top->addSpacing(twips::px(300));
    top->addWidget(countLabel);
    top->addStretch();

    model_ = new reports::AuditLineModel(this);
    list = new QTableView(this);
    list->setObjectName(QStringLiteral("list"));
    list->setAccessibleName(QStringLiteral("操作记录"));
    list->setModel(model_);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    // A year of lines is listed at once: every row has the same height and no column is measured.
    list->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    list->verticalHeader()->hide();
    list->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {150, 60, 70, 160, 90};
    for (int column = 0; column < 5; ++column)
        list->setColumnWidth(column, widths[column]);
    list->setMinimumSize(900, 360);

    detail = new QPlainTextEdit(this);
    detail->setObjectName(QStringLiteral("detail"));
    detail->setAccessibleName(QStringLiteral("内容"));
    detail->setReadOnly(true);
    detail->setFixedHeight(twips::px(1800));
    exportButton = button(QStringLiteral("exportButton"), QStringLiteral("导出Excel"), this);
    closeButton = button(QStringLiteral("closeButton"), QStringLiteral("关  闭"), this);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(new QLabel(QStringLiteral("双击处方的记录，把该处方调入处方笺。记录只增不删。"), this));
    bottom->addStretch();
    bottom->addWidget(exportButton);
    bottom->addWidget(closeButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(list, 1);
    layout->addWidget(caption(QStringLiteral("内容："), detail, this));
    layout->addWidget(detail);
    layout->addLayout(bottom);

    setTabOrder(fromDate, toDate);
    setTabOrder(toDate, actionFilter);
    setTabOrder(actionFilter, nameFilter);
    setTabOrder(nameFilter, queryButton);
    setTabOrder(queryButton, list);

    connect(queryButton, &QPushButton::clicked, this, [this] { query(); });
    connect(actionFilter, &QComboBox::currentIndexChanged, this, [this] { query(); });
    connect(nameFilter, &QLineEdit::textChanged, this, [this] { query(); });
    for (QLineEdit* date : {fromDate, toDate})
        connect(date, &QLineEdit::returnPressed, this, [this] { query(); });
    connect(list, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { openLine(index.row()); });
    // Enter on the list opens the current line as a double click does.
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), list, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated, this, [this] { openLine(list->currentIndex().row()); });
    connect(list->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { showDetail(current.row()); });
    connect(exportButton, &QPushButton::clicked, this, [this] { exportLines(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { closeWindow(*this); });
}

int AuditLogWindow::lineCount() const {
    return model_->count();
}

audit::Line AuditLogWindow::line(int row) const {
    return model_->line(row);
}

void AuditLogWindow::query() {
    filter_ = {dates::parse(fromDate->text()), dates::parse(toDate->text()),
               actionFilter->currentIndex() > 0 ? actionFilter->currentText() : QString(),
               nameFilter->text()};
    const Database* main = services_.state.mainDb.get();
    std::vector<qint64> found;
    if (filter_.from.isValid() && filter_.to.isValid() && main)
        found = audit::lineIds(*main, filter_);
    countLabel->setText(reports::logCountCaption(int(found.size())));
    model_->setLines(main, std::move(found));
    detail->clear();
    if (!filter_.from.isValid() || !filter_.to.isValid())
        services_.messages.warn(reports::kBadDates);
}

void AuditLogWindow::showDetail(int row) {
    if (row < 0 || row >= lineCount() || !services_.state.mainDb) {
        detail->clear();
        return;
    }
    const audit::Line shown = line(row);
    QString text = reports::auditDetailText(shown, audit::content(*services_.state.mainDb, shown.id));
    detail->setPlainText(text.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void AuditLogWindow::openLine(int row) {
    const Database* main = services_.state.mainDb.get();
    if (row < 0 || row >= lineCount() || !main || !services_.sheet)
        return;
    const audit::Line opened = line(row);
    if (opened.key.isEmpty())
        return;
    if (const std::optional<SheetRecord> record = loadPrescription(*main, opened.key)) {
        services_.sheet->showPrescription(*record, true);
        return;
    }
    const std::optional<SheetRecord> deleted =
        opened.action == audit::kDeleted ? audit::recordFromRowText(audit::content(*main, opened.id))
                                         : std::nullopt;
    if (!deleted) {
        services_.messages.inform(QStringLiteral("该处方已不在数据库中。"));
        return;
    }
    if (services_.messages.askYesNo(
            QStringLiteral("该处方已删除。要把删除前的处方调入处方笺吗？\n（作为新处方，"
                           "保存后才写入数据库。）"),
            Messages::Icon::None))
        services_.sheet->showPrescription(*deleted, false);
}

void AuditLogWindow::exportLines() {
    const QString chosen = reports::askExportPath(services_, this);
    if (chosen.isEmpty())
        return;
    const Database* main = services_.state.mainDb.get();
    if (!main)
        return;
    reports::BusyCursor busy;
    // What is listed, read whole by the same filter.
    if (reports::exportWorkbook(reports::auditWorkbook(audit::lines(*main, filter_)), chosen,
                                services_.messages))
        audit::noteExport(*services_.state.mainDb, windowTitle(), spreadsheet::withXlsxExtension(chosen));
}

} // namespace lichuan

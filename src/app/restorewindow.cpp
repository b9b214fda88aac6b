#include "app/restorewindow.h"

#include "data/clock.h"
#include "data/dates.h"
#include "data/prescriptions.h"
#include "session/backup.h"
#include "session/filechooser.h"
#include "session/messages.h"
#include "session/state.h"
#include "ui/buttons.h"
#include "ui/closewindow.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace lichuan {

namespace {

constexpr int kKeyRole = Qt::UserRole;

enum Column { Time, Place, Size, Prescriptions, Patients, Newest, Check, ColumnCount };

QPushButton* button(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    clickOnEnter(*b);
    return b;
}

QString sizeText(qint64 bytes) {
    return bytes >= 1024 * 1024 ? QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1)
                                : QStringLiteral("%1 KB").arg((bytes + 1023) / 1024);
}

QString summaryText(const DatabaseSummary& summary) {
    return QStringLiteral("处方 %1 张，患者 %2 人，最新处方日期 %3")
        .arg(summary.prescriptions)
        .arg(summary.patients)
        .arg(summary.newestDate.isEmpty() ? QStringLiteral("无") : summary.newestDate);
}

const QString kStatisticsNotice =
    QStringLiteral("每日备份只有主数据库（数据库.dat）：用药统计.dat 不在备份中，"
                   "恢复时保持原样。");
const QString kServerNotice =
    QStringLiteral("本站使用诊所的数据库服务器：服务器的数据由其管理员恢复，这里不能"
                   "恢复。可以查看备份中的处方，并调入处方笺。");

} // namespace

RestoreWindow::RestoreWindow(Services& services, QString backupRoot, RestoreHost& host, QWidget* parent)
    : QWidget(parent), services_(services), backupRoot_(std::move(backupRoot)), host_(host) {
    setObjectName(QStringLiteral("RestoreWindow"));
    setWindowTitle(QStringLiteral("恢复备份"));
    build();
    refresh();
}

RestoreWindow::~RestoreWindow() = default;

bool RestoreWindow::serverRoad() const {
    return services_.state.mainDb && services_.state.mainDb->engine() == Database::Engine::Server;
}

void RestoreWindow::build() {
    currentLabel = new QLabel(this);
    currentLabel->setObjectName(QStringLiteral("currentLabel"));
    currentLabel->setWordWrap(true);
    noticeLabel = new QLabel(
        serverRoad() ? kServerNotice + QLatin1Char('\n') + kStatisticsNotice : kStatisticsNotice, this);
    noticeLabel->setObjectName(QStringLiteral("noticeLabel"));
    noticeLabel->setWordWrap(true);

    copyTable = new QTableWidget(0, ColumnCount, this);
    copyTable->setObjectName(QStringLiteral("copyTable"));
    copyTable->setAccessibleName(QStringLiteral("备份"));
    copyTable->setHorizontalHeaderLabels(
        {QStringLiteral("时间"), QStringLiteral("位置"), QStringLiteral("大小"), QStringLiteral("处方"),
         QStringLiteral("患者"), QStringLiteral("最新处方日期"), QStringLiteral("检查")});
    copyTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    copyTable->setSelectionMode(QAbstractItemView::SingleSelection);
    copyTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    copyTable->verticalHeader()->hide();
    copyTable->horizontalHeader()->setStretchLastSection(true);
    const int widths[] = {140, 120, 70, 60, 60, 100};
    for (int column = 0; column < Check; ++column)
        copyTable->setColumnWidth(column, widths[column]);
    copyTable->setMinimumSize(820, 300);

    folderButton = button(QStringLiteral("folderButton"), QStringLiteral("其他文件夹…"), this);
    restoreButton = button(QStringLiteral("restoreButton"), QStringLiteral("恢复所选备份"), this);
    restoreButton->setVisible(!serverRoad());
    lookButton = button(QStringLiteral("lookButton"), QStringLiteral("查看所选备份"), this);
    closeButton = button(QStringLiteral("closeButton"), QStringLiteral("关  闭"), this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(folderButton);
    buttons->addStretch();
    buttons->addWidget(lookButton);
    buttons->addWidget(restoreButton);
    buttons->addWidget(closeButton);

    lookLabel = new QLabel(QStringLiteral("查看备份中的处方（只读；双击调入处方笺，不保存）"), this);
    lookLabel->setObjectName(QStringLiteral("lookLabel"));
    lookName = new QLineEdit(this);
    lookName->setObjectName(QStringLiteral("lookName"));
    auto* nameCaption = new QLabel(QStringLiteral("姓名："), this);
    nameCaption->setBuddy(lookName);
    lookQuery = button(QStringLiteral("lookQuery"), QStringLiteral("查  询"), this);
    lookList = new QListWidget(this);
    lookList->setObjectName(QStringLiteral("lookList"));
    lookList->setAccessibleName(QStringLiteral("备份中的处方"));
    lookList->setMinimumHeight(160);
    auto* lookRow = new QHBoxLayout;
    lookRow->addWidget(nameCaption);
    lookRow->addWidget(lookName);
    lookRow->addWidget(lookQuery);
    lookRow->addStretch();
    for (QWidget* part : std::initializer_list<QWidget*>{lookName, lookQuery, lookList})
        part->setEnabled(false);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(currentLabel);
    layout->addWidget(noticeLabel);
    layout->addWidget(copyTable, 1);
    layout->addLayout(buttons);
    layout->addWidget(lookLabel);
    layout->addLayout(lookRow);
    layout->addWidget(lookList);

    connect(folderButton, &QPushButton::clicked, this, [this] { addFolder(); });
    connect(restoreButton, &QPushButton::clicked, this, [this] { restoreSelected(); });
    connect(lookButton, &QPushButton::clicked, this, [this] { lookIntoSelected(); });
    connect(closeButton, &QPushButton::clicked, this, [this] { closeWindow(*this); });
    connect(lookQuery, &QPushButton::clicked, this, [this] { listLookedIntoCopy(); });
    connect(lookName, &QLineEdit::returnPressed, this, [this] { listLookedIntoCopy(); });
    connect(lookList, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { showLookedUp(lookList->row(item)); });
    for (const int key : {Qt::Key_Return, Qt::Key_Enter})
        connect(new QShortcut(QKeySequence(key), lookList, nullptr, nullptr, Qt::WidgetShortcut),
                &QShortcut::activated, this, [this] { showLookedUp(lookList->currentRow()); });
}

void RestoreWindow::refresh() {
    const Database* main = services_.state.mainDb.get();
    QString current =
        QStringLiteral("当前数据库：%1").arg(main ? QDir::toNativeSeparators(main->path()) : QString());
    if (main) {
        try {
            current += QStringLiteral("\n") + summaryText(summarize(*main));
        } catch (const DbError& e) {
            current += QStringLiteral("（%1）").arg(e.message());
        }
    }
    currentLabel->setText(current);

    copies_ = listBackupCopies(backupRoot_);
    for (const QString& folder : folders_) {
        for (CopyInfo& copy : listCopiesIn(folder))
            copies_.push_back(std::move(copy));
    }
    std::stable_sort(copies_.begin(), copies_.end(),
                     [](const CopyInfo& a, const CopyInfo& b) { return a.modified > b.modified; });
    copyTable->setRowCount(int(copies_.size()));
    for (int row = 0; row < int(copies_.size()); ++row)
        fillRow(row);
    QTimer::singleShot(0, this, [this] { inspectNext(); });
}

void RestoreWindow::fillRow(int row) {
    const CopyInfo& copy = copies_[std::size_t(row)];
    const QString texts[ColumnCount] = {
        copy.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
        copy.place,
        sizeText(copy.size),
        copy.inspected && copy.problem.isEmpty() ? QString::number(copy.summary.prescriptions) : QString(),
        copy.inspected && copy.problem.isEmpty() ? QString::number(copy.summary.patients) : QString(),
        copy.inspected && copy.problem.isEmpty() ? copy.summary.newestDate : QString(),
        !copy.inspected
            ? QStringLiteral("检查中…")
            : (copy.problem.isEmpty() ? QStringLiteral("通过") : QStringLiteral("未通过：") + copy.problem),
    };
    for (int column = 0; column < ColumnCount; ++column) {
        auto* item = new QTableWidgetItem(texts[column]);
        item->setToolTip(QDir::toNativeSeparators(copy.path));
        // A copy that fails the checks stays in the list, greyed: it can be neither restored nor looked into.
        if (copy.inspected && !copy.problem.isEmpty())
            item->setFlags(Qt::NoItemFlags);
        copyTable->setItem(row, column, item);
    }
}

bool RestoreWindow::inspecting() const {
    return std::any_of(copies_.begin(), copies_.end(), [](const CopyInfo& c) { return !c.inspected; });
}

void RestoreWindow::inspectNext() {
    // One copy at a time, so that the window answers the user between them.
    for (int row = 0; row < int(copies_.size()); ++row) {
        if (copies_[std::size_t(row)].inspected)
            continue;
        inspect(copies_[std::size_t(row)]);
        fillRow(row);
        QTimer::singleShot(0, this, [this] { inspectNext(); });
        return;
    }
}

void RestoreWindow::selectCopy(int row) {
    copyTable->selectRow(row);
    copyTable->setCurrentCell(row, 0);
}

int RestoreWindow::selectedRow() const {
    const int row = copyTable->currentRow();
    if (row < 0 || row >= int(copies_.size()) || !copyTable->item(row, 0)->isSelected())
        return -1;
    return row;
}

void RestoreWindow::addFolder() {
    const QString folder =
        services_.files.openFolder(this, QStringLiteral("选择备份所在的文件夹"), QDir::homePath());
    if (folder.isEmpty())
        return;
    if (listCopiesIn(folder).empty()) {
        services_.messages.inform(
            QStringLiteral("文件夹 %1 中没有数据库文件（*.dat）。").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    folders_.push_back(folder);
    refresh();
}

void RestoreWindow::restoreSelected() {
    Messages& messages = services_.messages;
    if (serverRoad()) {
        messages.inform(kServerNotice);
        return;
    }
    const int row = selectedRow();
    if (row < 0) {
        messages.inform(QStringLiteral("请先在列表中选择一个备份。"));
        return;
    }
    CopyInfo copy = copies_[std::size_t(row)];
    if (!copy.inspected)
        inspect(copy);
    if (!copy.problem.isEmpty()) {
        messages.inform(QStringLiteral("所选备份未通过检查（%1），不能恢复。").arg(copy.problem));
        return;
    }
    DatabaseSummary current;
    if (services_.state.mainDb) {
        try {
            current = summarize(*services_.state.mainDb);
        } catch (const DbError&) {
        }
    }
    const QString question =
        QStringLiteral(
            "恢复将用所选备份替换当前的数据库：\n"
            "当前数据库：%1\n所选备份（%2）：%3\n"
            "当前数据库先保存到备份文件夹的“恢复前”中。所有窗口将关闭，处方笺上未保存的内容将清除；"
            "用药统计不变。其他电脑上若在使用这个数据库，请先退出那里的程序。\n"
            "恢复后，登录密码以所选备份中的为准（下次登录时生效）。\n\n确实要恢复吗？")
            .arg(summaryText(current), copy.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm")),
                 summaryText(copy.summary));
    if (!messages.askYesNo(question, Messages::Icon::Warning))
        return;
    if (!host_.closeOtherWindows()) {
        messages.inform(QStringLiteral("有窗口没有关闭，没有恢复。"));
        return;
    }
    look_.reset();
    const RestoreOutcome outcome = restoreCopy(services_.state, copy.path, backupRoot_, services_.clock);
    host_.reopenWindows();
    refresh();
    messages.inform(outcome.message());
}

void RestoreWindow::lookIntoSelected() {
    const int row = selectedRow();
    if (row < 0) {
        services_.messages.inform(QStringLiteral("请先在列表中选择一个备份。"));
        return;
    }
    QString problem;
    look_ = openCheckedCopy(copies_[std::size_t(row)].path, &problem);
    if (!look_) {
        services_.messages.inform(QStringLiteral("所选备份未通过检查（%1），不能查看。").arg(problem));
        return;
    }
    looked_ = copies_[std::size_t(row)];
    inspect(looked_);
    lookLabel->setText(QStringLiteral("查看备份：%1（%2；只读，双击调入处方笺，不保存）")
                           .arg(QDir::toNativeSeparators(looked_.path),
                                looked_.modified.toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
    for (QWidget* part : std::initializer_list<QWidget*>{lookName, lookQuery, lookList})
        part->setEnabled(true);
    listLookedIntoCopy();
    lookName->setFocus();
}

void RestoreWindow::listLookedIntoCopy() {
    lookList->clear();
    if (!look_)
        return;
    // A name is looked for over every year of the copy; without one, the copy's last month is listed.
    const QDate newest = dates::parse(looked_.summary.newestDate);
    const QString name = lookName->text();
    const QString from = name.isEmpty() && newest.isValid() ? dates::format(newest.addMonths(-1))
                                                            : QStringLiteral("1900-01-01");
    const QString to = newest.isValid() ? dates::format(newest) : QStringLiteral("2999-12-31");
    for (const HistoryRow& row : queryHistory(*look_, name, from, to)) {
        auto* item = new QListWidgetItem(historyEntryText(row), lookList);
        item->setData(kKeyRole, row.key);
    }
}

void RestoreWindow::showLookedUp(int row) {
    const QListWidgetItem* item = lookList->item(row);
    if (!item || !look_ || !services_.sheet)
        return;
    if (const std::optional<SheetRecord> record = loadPrescription(*look_, item->data(kKeyRole).toString()))
        services_.sheet->showPrescription(*record, false);
}

} // namespace lichuan

#include "prescription/historypanel.h"

#include "data/clock.h"
#include "data/dates.h"
#include "data/prescriptions.h"
#include "prescription/form2.h"
#include "prescription/historyrules.h"
#include "prescription/safetypanel.h"
#include "prescription/savemessages.h"
#include "prescription/sheetactions.h"
#include "session/messages.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/listkeys.h"
#include "ui/picklist.h"
#include "ui/twips.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QSignalBlocker>

namespace lichuan {

namespace {

// Sets a window flag for a scope and puts its old value back.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~FlagScope() { flag_ = old_; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& flag_;
    bool old_;
};

// Keys with which the user moves to another entry: arrows, pages, ends, and typing an entry's first letter.
bool movesThroughList(const QKeyEvent& key) {
    switch (key.key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        return true;
    default:
        break;
    }
    const bool command = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return !command && !key.text().isEmpty() && key.text().at(0).isPrint() &&
           key.text() != QLatin1String(" ");
}

void setRange(const HistoryControls& h, const historyrules::DateRange& range) {
    h.Text3->setText(range.from);
    h.Text4->setText(range.to);
}

} // namespace

HistoryPanel::HistoryPanel(Form2& form) : form_(form) {
    HistoryControls& h = form_.history;
    connect(h.Command7, &QPushButton::clicked, this, [this] { runQuery(); });
    connect(h.Command2, &QPushButton::clicked, this, [this] { showToday(); });
    connect(h.Command11, &QPushButton::clicked, this, [this] { showPatientHistory(); });
    connect(h.Command5, &QPushButton::clicked, this, [this] { stepDay(-1); });
    connect(h.Command6, &QPushButton::clicked, this, [this] { stepDay(1); });
    connect(h.Text2, &QLineEdit::textChanged, this, [this](const QString& text) { nameFilterChanged(text); });
    h.Text2->installEventFilter(this);

    // Only the user reloads: a left click on an entry, or a key that moves through the list. Entries the
    // program adds or removes, and the right button, never load a prescription.
    connect(h.List2, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { reload(form_.history.List2->row(item)); });
    connect(h.List2, &QListWidget::currentRowChanged, this, [this](int row) {
        if (keyNavigation_)
            reload(row);
    });
    h.List2->installEventFilter(this);
    h.List2->viewport()->installEventFilter(this);

    for (QLabel* entry : h.Label9)
        entry->installEventFilter(this);
    highlightMenuEntry(-1);
}

void HistoryPanel::setMonthRange() {
    setRange(form_.history, historyrules::monthBack(form_.services().clock.today()));
}

void HistoryPanel::runQuery() {
    const HistoryControls& h = form_.history;
    const QSignalBlocker block(h.List2);
    h.List2->clear();
    entryKeys_.clear();
    const Database* main = form_.services().state.mainDb.get();
    if (!main)
        return;
    const std::vector<HistoryRow> rows =
        queryHistory(*main, h.Text2->text(), h.Text3->text(), h.Text4->text());
    QStringList entries;
    entries.reserve(qsizetype(rows.size()));
    entryKeys_.reserve(rows.size());
    for (const HistoryRow& row : rows) {
        entries << historyEntryText(row);
        entryKeys_.push_back(row.key);
    }
    // All entries in one insertion: a list of thousands fills in a few milliseconds.
    h.List2->addItems(entries);
}

void HistoryPanel::showToday() {
    setRange(form_.history, historyrules::todayOnly(form_.services().clock.today()));
    form_.history.Text2->clear();
    runQuery();
}

void HistoryPanel::showPatientHistory() {
    const QString name = form_.sheet.Text5[kName]->text();
    if (!historyrules::filterWidensRange(name))
        return;
    form_.history.Text2->setText(name);
    // Setting the same name again changes nothing in the filter, so the range is set here as well.
    nameFilterChanged(name);
    runQuery();
}

void HistoryPanel::stepDay(int days) {
    if (const auto range = historyrules::dayNextTo(form_.history.Text4->text(), days))
        setRange(form_.history, *range);
    form_.history.Text2->clear();
    runQuery();
}

void HistoryPanel::nameFilterChanged(const QString& text) {
    if (historyrules::filterWidensRange(text))
        setRange(form_.history, historyrules::tenYearsBack(form_.services().clock.today()));
}

void HistoryPanel::reload(int row) {
    if (row < 0 || row >= form_.history.List2->count() || std::size_t(row) >= entryKeys_.size())
        return;
    form_.state.HistoryIndex = row;
    const Database* main = form_.services().state.mainDb.get();
    const std::optional<SheetRecord> record =
        main ? loadPrescription(*main, entryKeys_[std::size_t(row)]) : std::nullopt;
    if (record)
        showRecord(*record, true);
}

void HistoryPanel::showRecord(const SheetRecord& record, bool saved) {
    SheetState& state = form_.state;
    const FlagScope suggestions(state.SuggestSuppressed);
    ProcessState& process = form_.services().state;
    SheetActions& actions = form_.actions();
    SheetControls& sheet = form_.sheet;
    actions.leaveRecordKey();
    // The layout follows the record; the category of the pick list stays as it is.
    if (record.herbal) {
        actions.applyLayout(sheetgeometry::Layout::NarrowHerbal);
        actions.setBoldCategory(0);
    } else {
        actions.applyLayout(sheetgeometry::Layout::Western);
        actions.setBoldCategory(1);
    }
    for (size_t i = 0; i < kHeaderFieldCount; ++i)
        sheet.Text5[i]->setText(record.fields[i]);
    const QDate date = dates::parse(record.fields[kDate]);
    if (date.isValid())
        sheet.Text5[kDate]->setText(dates::format(date));
    sheet.R1->setText(record.items);
    sheet.Label4 = record.key;
    // The settled marker comes back with the record, so saving a reloaded settled prescription keeps it;
    // the dose count is not stored and stays as the sheet had it. A prescription that is not the stored row
    // (a copy's, a deleted one) has no statistics lines here: it is not settled until it is settled again.
    sheet.Label5 = saved ? record.settled : QString();
    process.PendingCaseRecord = record.caseRecord;
    form_.safety().takeNote(record.clinical);
    sheet.List3->hide();
    sheet.List4->hide();

    // The amounts and the total are shown as stored, not recomputed.
    form_.pricing.Label16->setText(sheet.Text5[kAmount]->text());
    {
        const FlagScope totals(state.TotalsSuspended);
        actions.setPricedLines(record.lines, false);
    }
    actions.hideSuggestions();
    state.saved = saved;
    state.stored = actions.toRecord();
    if (!saved) {
        // No entry of the list belongs to it.
        const QSignalBlocker block(form_.history.List2);
        form_.history.List2->setCurrentRow(-1);
    }
    actions.followRecordKey();
}

void HistoryPanel::deleteSheetRecord() {
    form_.history.Picture6->hide();
    Services& services = form_.services();
    if (!services.messages.confirm(QStringLiteral("确实要永久删除该档案吗？"), Messages::Icon::Warning))
        return;
    const QString key = form_.sheet.Label4;
    ProcessState& process = services.state;
    if (!process.mainDb || !deletePrescription(*process.mainDb, nullptr, key)) {
        services.messages.inform(QStringLiteral("删除失败，该处方档案仍保存在数据库中。"));
        return;
    }
    // The prescription is gone whatever happens to its statistics lines; lines left behind are named.
    if (process.statsDb && !deleteStatistics(*process.statsDb, key))
        services.messages.inform(savemessages::kStatisticsNotDeleted);
    // The entry of the deleted row goes, whatever position it stands at now.
    QListWidget* list = form_.history.List2;
    {
        const QSignalBlocker block(list);
        for (int i = int(entryKeys_.size()) - 1; i >= 0; --i) {
            if (entryKeys_[std::size_t(i)] == key) {
                delete list->takeItem(i);
                entryKeys_.erase(entryKeys_.begin() + i);
            }
        }
        // Removing the current entry makes a neighbour current; none belongs to the new sheet.
        list->setCurrentRow(-1);
    }
    form_.sheet.Label5.clear();
    // The row is gone, and its record with it.
    form_.state.saved = false;
    startNewSheet();
}

void HistoryPanel::startNewSheet() {
    const FlagScope suggestions(form_.state.SuggestSuppressed);
    SheetActions& actions = form_.actions();
    actions.leaveRecordKey();
    actions.resetHeaderFields();
    actions.newRecordKey();
    form_.sheet.R1->setText(QString());
    actions.clearPricedLines();
    actions.applyLayoutForCategory();
    form_.sheet.Label5.clear();
    form_.services().state.PendingCaseRecord.clear();
    form_.sheet.Text5[kName]->setFocus();
    actions.followRecordKey();
}

void HistoryPanel::showRecordMenu(const QPoint& pointerInList) {
    HistoryControls& h = form_.history;
    const QPoint listTopLeft(twips::fromPx(h.List2->x()), twips::fromPx(h.List2->y()));
    const QPoint pointer(twips::fromPx(pointerInList.x()), twips::fromPx(pointerInList.y()));
    const QPoint corner = historyrules::recordMenuPosition(listTopLeft, pointer);
    h.Picture6->move(twips::point(corner.x(), corner.y()));
    h.Picture6->raise();
    h.Picture6->show();
}

void HistoryPanel::highlightMenuEntry(int entry) {
    const QColor highlight = QApplication::palette().color(QPalette::Highlight);
    for (size_t i = 0; i < form_.history.Label9.size(); ++i) {
        QLabel* label = form_.history.Label9[i];
        const bool lit = static_cast<int>(i) == entry;
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, lit ? highlight : QColor(Qt::white));
        palette.setColor(QPalette::WindowText, lit ? QColor(Qt::white) : QColor(Qt::black));
        label->setPalette(palette);
    }
}

bool HistoryPanel::eventFilter(QObject* watched, QEvent* event) {
    HistoryControls& h = form_.history;
    const QEvent::Type type = event->type();

    if (watched == h.Text2 && type == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (isEnterKey(key)) {
            h.Command2->setFocus();
            return true;
        }
        return false;
    }

    if (watched == h.List2 && type == QEvent::KeyPress && !keyNavigation_ &&
        movesThroughList(*static_cast<QKeyEvent*>(event))) {
        // Let the list handle the key while the flag marks the moves it makes as the user's.
        keyNavigation_ = true;
        static_cast<QObject*>(h.List2)->event(event);
        keyNavigation_ = false;
        return true;
    }

    if (watched == h.List2->viewport() &&
        (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
         type == QEvent::MouseButtonDblClick)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            if (type == QEvent::MouseButtonPress)
                h.Picture6->hide();
            return false;
        }
        // Other buttons neither select nor reload; releasing the right one opens the record menu.
        if (type == QEvent::MouseButtonRelease && mouse->button() == Qt::RightButton && h.List2->count() > 0)
            showRecordMenu(h.List2->viewport()->mapTo(h.List2, mouse->position().toPoint()));
        return true;
    }

    for (size_t i = 0; i < h.Label9.size(); ++i) {
        if (watched != h.Label9[i])
            continue;
        if (type == QEvent::Enter || type == QEvent::MouseMove) {
            highlightMenuEntry(static_cast<int>(i));
        } else if (type == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            if (i == 0)
                deleteSheetRecord();
            else
                h.Picture6->hide();
            return true;
        }
        return false;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lichuan

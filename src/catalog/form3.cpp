#include "catalog/form3.h"

#include "catalog/cataloggrid.h"
#include "catalog/catalogrules.h"
#include "data/catalogrows.h"
#include "data/clock.h"
#include "data/searchcodes.h"
#include "data/textrules.h"
#include "session/messages.h"
#include "session/state.h"
#include "ui/appearance.h"
#include "ui/fieldedit.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>

namespace lichuan {

using catalog::CatalogEntry;
using catalog::CatalogGridModel;

namespace {

const QColor kDisabledField(224, 224, 224);
const QString kNameMissing = QStringLiteral("请输入药物名称！");
const QString kEmptyWarning = QStringLiteral("在进行清空操作前，务必先将药品导出备份，否则不能恢复！");

void setFieldUsable(FieldEdit* field, bool usable) {
    field->setEnabled(usable);
    QPalette palette = field->palette();
    if (usable)
        palette.setBrush(QPalette::Disabled, QPalette::Base, palette.brush(QPalette::Active, QPalette::Base));
    else
        palette.setColor(QPalette::Disabled, QPalette::Base, kDisabledField);
    field->setPalette(palette);
}

} // namespace

Form3::Form3(Services& services, QWidget* parent)
    : QWidget(parent), services_(services), model_(new CatalogGridModel(this)) {
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("药物维护"));
    setFont(windowFont());
    c_ = buildForm3(*this, *model_);
    connectControls();
    // Opening: "中药" chosen, a new key, every herb listed by name.
    busy_ = true;
    c_.Option1[catalog::kHerbsIndex]->setChecked(true);
    busy_ = false;
    chooseCategory(catalog::kHerbsIndex);
}

void Form3::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // The manager opens the window to look something up: the search box has the keyboard (set when shown,
    // in the window it was placed in, so the window gives the keyboard to it when it becomes active).
    if (!shown_) {
        shown_ = true;
        c_.Text2->setFocus();
    }
}

Form3::~Form3() = default;

void Form3::connectControls() {
    for (int i = 0; i < int(c_.Option1.size()); ++i) {
        connect(c_.Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on && !busy_)
                chooseCategory(i);
        });
    }
    connect(c_.Text2, &QLineEdit::textChanged, this, [this] { searchAsTyped(); });
    connect(c_.Command1, &QPushButton::clicked, this, [this] { search(); });
    connect(c_.Command2, &QPushButton::clicked, this, [this] { startNewEntry(); });
    connect(c_.Command3, &QPushButton::clicked, this, [this] { save(); });
    connect(c_.Command4, &QPushButton::clicked, this, [this] { deleteRow(); });
    connect(c_.Command8, &QPushButton::clicked, this, [this] { emptyCategory(); });
    connect(c_.Command6, &QPushButton::clicked, this, [this] { importWorkbook(); });
    connect(c_.Command7, &QPushButton::clicked, this, [this] { exportWorkbook(); });
    connect(c_.grid, &QTableView::clicked, this,
            [this](const QModelIndex& index) { selectRow(index.row()); });
    connect(c_.VScroll1, &QScrollBar::valueChanged, this, [this](int value) {
        // Moving the scroll bar refills the rows from the new first row; the highlight is lost.
        model_->setFirst(value);
        c_.Command4->setEnabled(false);
    });
    for (int box : {kItemName, kItemNote})
        connect(c_.Text3[box], &QLineEdit::textChanged, this, [this, box] { nameEdited(box); });
    connect(c_.Combo1[0], &QComboBox::currentTextChanged, this,
            [this](const QString& unit) { unitChanged(unit); });

    for (int i = 0; i < int(c_.Text3.size()); ++i)
        c_.Text3[i]->installEventFilter(this);
    for (QComboBox* box : c_.Combo1) {
        box->installEventFilter(this);
        box->lineEdit()->installEventFilter(this);
    }
    for (QLabel* label : c_.Label5)
        label->installEventFilter(this);
    c_.grid->viewport()->installEventFilter(this);
}

bool Form3::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (int i = 0; i < int(c_.Text3.size()); ++i) {
            if (watched == c_.Text3[i])
                lastFocused_ = i;
        }
    } else if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        auto* widget = qobject_cast<QWidget*>(watched);
        const bool field = std::find(c_.Text3.begin(), c_.Text3.end(), watched) != c_.Text3.end() ||
                           watched == c_.Combo1[0] || watched == c_.Combo1[1] ||
                           watched == c_.Combo1[0]->lineEdit() || watched == c_.Combo1[1]->lineEdit();
        if (enter && field && widget) {
            // Enter moves on as Tab does and goes no further.
            QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
            QCoreApplication::sendEvent(widget, &tab);
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        for (int i = 0; i < int(c_.Label5.size()); ++i) {
            if (watched == c_.Label5[i] && mouse->button() == Qt::LeftButton) {
                quickInsert(i);
                return true;
            }
        }
    } else if (event->type() == QEvent::Wheel && watched == c_.grid->viewport()) {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const int steps = wheel->angleDelta().y() / 120;
        if (steps != 0 && c_.VScroll1->isEnabled())
            c_.VScroll1->setValue(c_.VScroll1->value() - steps * 3);
        return steps != 0;
    }
    return QWidget::eventFilter(watched, event);
}

QString Form3::currentCategory() const {
    return c_.Label3->text();
}

QString Form3::currentKey() const {
    return c_.Label2->text();
}

void Form3::search() {
    std::vector<CatalogRow> rows;
    if (const Database* main = services_.state.mainDb.get())
        rows = searchCatalogRows(*main, currentCategory(), c_.Text2->text());
    model_->setResults(std::move(rows));
    const QSignalBlocker block(c_.VScroll1);
    c_.VScroll1->setRange(0, model_->scrollMaximum());
    c_.VScroll1->setValue(0);
    c_.VScroll1->setEnabled(model_->scrollMaximum() > 0);
    resetShading();
    c_.Command4->setEnabled(false);
}

void Form3::searchAsTyped() {
    search();
    clearPanel();
    setNewKey();
    resetShading();
    scrollToTop();
    c_.Command4->setEnabled(false);
}

void Form3::startNewEntry() {
    clearPanel();
    c_.Combo1[1]->setEditText(currentCategory());
    setNewKey();
    c_.Text3[kItemName]->setFocus();
    resetShading();
    scrollToTop();
    c_.Command4->setEnabled(false);
}

void Form3::selectRow(int gridRow) {
    resetShading();
    const CatalogRow* row = model_->rowAt(gridRow);
    if (!row)
        return;
    const CatalogRow picked = *row; // the panel's change handlers may search again
    QString name;
    QString note;
    catalog::splitShownName(catalog::shownName(picked.name), &name, &note);
    c_.Text3[kItemName]->setText(name);
    c_.Text3[kItemNote]->setText(note);
    c_.Text3[kItemUsualQty]->setText(picked.usualQty);
    c_.Combo1[0]->setEditText(picked.unit);
    c_.Text3[kItemPrice]->setText(picked.price);
    c_.Text3[kItemUsage]->setText(picked.usage);
    c_.Text3[kItemDrawer]->setText(picked.drawer);
    c_.Text3[kItemPinyin]->setText(picked.pinyin);
    c_.Text3[kItemRemark]->setText(picked.remark);
    c_.Combo1[1]->setEditText(picked.category);
    c_.Label2->setText(picked.key);
    newEntry_ = false;
    model_->setHighlighted(gridRow);
    c_.Command4->setEnabled(true);
    c_.Text3[kItemName]->setFocus();
    c_.Text3[kItemName]->setCursorPosition(int(c_.Text3[kItemName]->text().size()));
}

CatalogEntry Form3::entryFromPanel() const {
    CatalogEntry entry;
    entry.name = c_.Text3[kItemName]->text();
    entry.note = c_.Text3[kItemNote]->text();
    entry.usualQty = c_.Text3[kItemUsualQty]->text();
    entry.unit = c_.Combo1[0]->currentText();
    entry.price = c_.Text3[kItemPrice]->text();
    entry.usage = c_.Text3[kItemUsage]->text();
    entry.drawer = c_.Text3[kItemDrawer]->text();
    entry.remark = c_.Text3[kItemRemark]->text();
    entry.pinyin = c_.Text3[kItemPinyin]->text();
    entry.category = c_.Combo1[1]->currentText();
    return entry;
}

void Form3::save() {
    if (trimSpaces(c_.Text3[kItemName]->text()).isEmpty()) {
        services_.messages.inform(kNameMissing);
        return;
    }
    Database* main = services_.state.mainDb.get();
    if (!main)
        return;
    const int scroll = c_.VScroll1->value();
    const int highlighted = model_->highlighted();
    QStringList replaced;
    const CatalogRow row = catalog::rowFromEntry(entryFromPanel(), currentKey(), &replaced);
    const CatalogSave saved = saveCatalogRow(*main, row, currentCategory(), newEntry_);
    if (!saved.stored) {
        services_.messages.inform(saved.error);
        return;
    }
    c_.Label2->setText(saved.key);
    newEntry_ = false; // saving again updates the row just stored
    search();
    if (saved.existed) {
        c_.VScroll1->setValue(scroll);
        model_->setHighlighted(highlighted);
    } else {
        resetShading();
        scrollToTop();
    }
    c_.Command2->setFocus();
    if (!replaced.isEmpty())
        services_.messages.inform(QStringLiteral("“$”和“@”不能用在%1中，已换成全角的“＄”和“＠”后保存。")
                                      .arg(replaced.join(QStringLiteral("、"))));
}

void Form3::deleteRow() {
    if (Database* main = services_.state.mainDb.get()) {
        if (deleteCatalogRow(*main, currentKey()) < 0)
            services_.messages.inform(
                QStringLiteral("“%1”没有删除：数据库拒绝了这次删除。").arg(c_.Text3[kItemName]->text()));
    }
    startNewEntry();
    search();
    c_.Command2->setFocus();
}

void Form3::emptyCategory() {
    if (!services_.messages.askYesNo(kEmptyWarning, Messages::Icon::Warning))
        return;
    if (Database* main = services_.state.mainDb.get()) {
        if (emptyCatalogCategory(*main, currentCategory()) < 0)
            services_.messages.inform(
                QStringLiteral("“%1”没有清空：数据库拒绝了这次删除。").arg(currentCategory()));
    }
    search();
}

void Form3::chooseCategory(int index) {
    if (index < 0 || index >= catalog::kCategories.size())
        return;
    busy_ = true;
    const QString category = catalog::kCategories.at(index);
    if (!c_.Option1[index]->isChecked()) {
        const QSignalBlocker block(c_.Option1[index]);
        c_.Option1[index]->setChecked(true);
    }
    c_.Label3->setText(category);
    c_.Combo1[1]->setEditText(category);
    const QStringList units = catalog::unitsFor(category);
    c_.Combo1[0]->clear();
    c_.Combo1[0]->addItems(units);
    c_.Combo1[0]->setEditText(units.first());
    const bool herbs = category == catalog::kHerbs;
    c_.noteCaption->setText(herbs ? QStringLiteral("煎法") : QStringLiteral("规格"));
    setFieldUsable(c_.Text3[kItemUsage], !herbs);
    setFieldUsable(c_.Text3[kItemDrawer], herbs);
    search();
    startNewEntry();
    busy_ = false;
}

void Form3::quickInsert(int label) {
    if (label < 0 || label >= int(kQuickInserts.size()) || kQuickInserts[label].isEmpty())
        return;
    c_.Text3[lastFocused_]->insert(kQuickInserts[label]);
}

void Form3::nameEdited(int box) {
    if (replacing_)
        return;
    FieldEdit* edit = c_.Text3[box];
    const QString replaced = catalog::replaceBrackets(edit->text());
    if (replaced != edit->text()) {
        const int caret = edit->cursorPosition();
        replacing_ = true;
        edit->setText(replaced);
        edit->setCursorPosition(caret);
        replacing_ = false;
    }
    c_.Text3[kItemPinyin]->setText(PinyinInitials(trimSpaces(c_.Text3[kItemName]->text())));
}

void Form3::unitChanged(const QString& unit) {
    if (busy_ || currentCategory() != catalog::kHerbs || catalog::herbUnitAllowed(unit))
        return;
    services_.messages.inform(catalog::kHerbUnitMessage);
    // Emptied once the edit that brought the unit has finished (an input method's commit is still under
    // way while its text is reported).
    QTimer::singleShot(0, c_.Combo1[0], [box = c_.Combo1[0]] { box->setEditText(QString()); });
}

void Form3::clearPanel() {
    for (FieldEdit* edit : c_.Text3)
        edit->clear();
}

void Form3::setNewKey() {
    c_.Label2->setText(catalogKeyAt(services_.clock.now()));
    newEntry_ = true;
}

void Form3::scrollToTop() {
    c_.VScroll1->setValue(0);
}

void Form3::resetShading() {
    model_->setHighlighted(-1);
}

} // namespace lichuan

#include "prescription/shortcuts.h"

#include "data/textrules.h"
#include "prescription/form2.h"
#include "prescription/itemquantity.h"
#include "prescription/sheetactions.h"
#include "prescription/toolbar.h"
#include "ui/crlftextedit.h"
#include "ui/listkeys.h"

#include <QAction>
#include <QEvent>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTextBlock>
#include <algorithm>

namespace lichuan {

namespace {

// The toolbar's keys are listed in the order of its buttons.
int toolbarButtonOf(SheetKey key) {
    const int index = static_cast<int>(key);
    return index <= static_cast<int>(SheetKey::About) ? index : -1;
}

} // namespace

Shortcuts::Shortcuts(Form2& form) : form_(form) {
    for (const SheetKeyInfo& info : kSheetKeys) {
        // Only while the focus is in this window: the other child windows of the main window keep their keys.
        auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(info.keys)), &form_);
        shortcut->setContext(Qt::WidgetWithChildrenShortcut);
        shortcut->setAutoRepeat(false);
        shortcut->setObjectName(QStringLiteral("shortcut_") + QString::fromLatin1(info.keys));
        const SheetKey key = info.key;
        connect(shortcut, &QShortcut::activated, this, [this, key] { trigger(key); });
        shortcuts_[key] = shortcut;
    }
    form_.sheet.Text6->installEventFilter(this);
    form_.sheet.R1->installEventFilter(this);
    form_.sheet.R1->viewport()->installEventFilter(this);
    setToolTips();
}

QShortcut* Shortcuts::shortcut(SheetKey key) const {
    const auto found = shortcuts_.find(key);
    return found == shortcuts_.end() ? nullptr : found->second;
}

void Shortcuts::trigger(SheetKey key) {
    if (const int button = toolbarButtonOf(key); button >= 0) {
        form_.toolbarActions().run(button);
        return;
    }
    if (const int category = categoryOfKey(key); category >= 0) {
        // The button's own click: the category switches and the caret goes into the search box.
        form_.search.Command1[static_cast<size_t>(category)]->click();
        return;
    }
    HistoryControls& h = form_.history;
    // The history buttons do what their click does; the list then takes the focus, so that the arrow keys
    // load the prescriptions it shows.
    auto historyButton = [&h](QPushButton* button) {
        button->click();
        h.List2->setFocus(Qt::ShortcutFocusReason);
        // A list taking the focus makes its first entry current without loading it; Down then has to load
        // that first entry, not the second.
        if (const QListWidgetItem* current = h.List2->currentItem(); current && !current->isSelected())
            h.List2->setCurrentRow(-1);
    };
    switch (key) {
    case SheetKey::PrintPreview:
    case SheetKey::ExportPdf:
        triggerPrintMenu(QString::fromUtf16(sheetKeyInfo(key).caption));
        break;
    case SheetKey::Settle:
        form_.pricing.Command4->click();
        break;
    case SheetKey::UndoSettlement:
        form_.pricing.Command9->click();
        break;
    case SheetKey::DrawerSort:
        form_.pricing.Command12->click();
        break;
    case SheetKey::Ticket:
        form_.pricing.ticketButton->click();
        break;
    case SheetKey::DoseCount:
        goToDoseCount();
        break;
    case SheetKey::LastQuantity:
        goToLastQuantity();
        break;
    case SheetKey::HistoryFilter:
        h.Text2->setFocus(Qt::ShortcutFocusReason);
        h.Text2->selectAll();
        break;
    case SheetKey::HistoryQuery:
        historyButton(h.Command7);
        break;
    case SheetKey::TodaysPatients:
        historyButton(h.Command2);
        break;
    case SheetKey::PatientHistory:
        historyButton(h.Command11);
        break;
    case SheetKey::PreviousDay:
        historyButton(h.Command5);
        break;
    case SheetKey::NextDay:
        historyButton(h.Command6);
        break;
    default:
        break;
    }
}

void Shortcuts::triggerPrintMenu(const QString& entry) {
    // The entry of the print button's right-click menu, so that the key goes the menu's way.
    for (QAction* action : form_.toolbarActions().printMenu()->actions()) {
        if (action->text() == entry) {
            action->trigger();
            return;
        }
    }
}

void Shortcuts::goToDoseCount() {
    QLineEdit* doses = form_.sheet.Text6;
    if (!form_.actions().herbalMode())
        return;
    form_.actions().hideSuggestions();
    doses->setFocus(Qt::ShortcutFocusReason);
    doses->selectAll();
}

void Shortcuts::goToLastQuantity() {
    CrLfTextEdit* r1 = form_.sheet.R1;
    const QString text = r1->text();
    const std::optional<TextSpan> span = lastItemQuantity(text, form_.actions().herbalMode());
    if (!span)
        return;
    if (quantityLine_ < 0)
        returnCaret_ = r1->caret();
    form_.actions().hideSuggestions();
    QTextCursor cursor = r1->textCursor();
    cursor.setPosition(crLfPositionToWidget(text, span->start));
    cursor.setPosition(crLfPositionToWidget(text, span->end), QTextCursor::KeepAnchor);
    r1->setTextCursor(cursor);
    r1->ensureCursorVisible();
    r1->setFocus(Qt::ShortcutFocusReason);
    quantityLine_ = cursor.blockNumber();
    quantityEnd_ = span->end;
    textSizeAtJump_ = int(text.size());
}

void Shortcuts::backToSearchBox() {
    quantityLine_ = -1;
    // The caret goes back where the last pick left it (moved by what the new quantity added or took), so the
    // next pick goes where it would have gone, not into the item just changed; the text stays as typed.
    CrLfTextEdit* r1 = form_.sheet.R1;
    const int size = int(r1->text().size());
    const int caret = returnCaret_ >= quantityEnd_ ? returnCaret_ + size - textSizeAtJump_ : returnCaret_;
    r1->setCaret(std::clamp(caret, 0, size));
    form_.search.Text1->setFocus(Qt::ShortcutFocusReason);
}

bool Shortcuts::eventFilter(QObject* watched, QEvent* event) {
    const bool enter = event->type() == QEvent::KeyPress && isEnterKey(static_cast<QKeyEvent*>(event)->key());
    if (watched == form_.sheet.Text6) {
        if (enter) {
            form_.search.Text1->setFocus(Qt::ShortcutFocusReason);
            return true;
        }
    } else if (watched == form_.sheet.R1 && quantityLine_ >= 0) {
        if (event->type() == QEvent::FocusOut) {
            quantityLine_ = -1;
        } else if (enter) {
            // Enter returns only while the caret is still on the quantity's line; elsewhere it breaks the
            // line.
            if (form_.sheet.R1->textCursor().blockNumber() == quantityLine_) {
                backToSearchBox();
                return true;
            }
            quantityLine_ = -1;
        }
    } else if (watched == form_.sheet.R1->viewport() && event->type() == QEvent::MouseButtonPress) {
        quantityLine_ = -1;
    }
    return QObject::eventFilter(watched, event);
}

void Shortcuts::setToolTips() {
    for (int i = 0; i <= static_cast<int>(SheetKey::About); ++i) {
        const auto k = static_cast<size_t>(i);
        form_.toolbar.Label18[k]->setToolTip(
            withKeyHint(form_.toolbar.Label15[k]->text(), static_cast<SheetKey>(i)));
    }
    QLabel* print = form_.toolbar.Label18[static_cast<size_t>(Toolbar::Print)];
    print->setToolTip(print->toolTip() + QStringLiteral("；右键：") +
                      withKeyHint(QStringLiteral("打印预览"), SheetKey::PrintPreview) + QStringLiteral("、") +
                      withKeyHint(QStringLiteral("输出PDF"), SheetKey::ExportPdf));
    for (const SheetKeyInfo& info : kSheetKeys) {
        if (const int category = categoryOfKey(info.key); category >= 0) {
            QPushButton* button = form_.search.Command1[static_cast<size_t>(category)];
            button->setToolTip(withKeyHint(button->text(), info.key));
        }
    }
    auto hint = [](QWidget* widget, const QString& caption, SheetKey key) {
        widget->setToolTip(withKeyHint(caption, key));
    };
    hint(form_.pricing.Command4, form_.pricing.Command4->text(), SheetKey::Settle);
    hint(form_.pricing.Command9, form_.pricing.Command9->text(), SheetKey::UndoSettlement);
    hint(form_.pricing.Command12, form_.pricing.Command12->text(), SheetKey::DrawerSort);
    form_.pricing.ticketButton->setToolTip(withKeyHint(form_.pricing.ticketButton->text(), SheetKey::Ticket) +
                                           QStringLiteral("；右键：打印预览、输出PDF"));
    const HistoryControls& h = form_.history;
    hint(h.Command7, QStringLiteral("查询"), SheetKey::HistoryQuery);
    hint(h.Command2, h.Command2->text(), SheetKey::TodaysPatients);
    hint(h.Command11, h.Command11->text(), SheetKey::PatientHistory);
    hint(h.Command5, QStringLiteral("前一天"), SheetKey::PreviousDay);
    hint(h.Command6, QStringLiteral("后一天"), SheetKey::NextDay);
    hint(h.Text2, QStringLiteral("按姓名查找历史处方"), SheetKey::HistoryFilter);
    form_.sheet.Text6->setToolTip(withKeyHint(QStringLiteral("中药剂数"), SheetKey::DoseCount) +
                                  QStringLiteral("，Enter 回到查询框"));
    form_.search.Text1->setToolTip(QStringLiteral("中文或拼音查询：↓ 进入列表，Enter 选取；") +
                                   withKeyHint(QStringLiteral("修改最后一项的数量"), SheetKey::LastQuantity) +
                                   QStringLiteral("，") +
                                   withKeyHint(QStringLiteral("中药剂数"), SheetKey::DoseCount));
}

} // namespace lichuan

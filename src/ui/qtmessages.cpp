#include "ui/qtmessages.h"

#include "ui/twips.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>

namespace lichuan {

std::unique_ptr<QMessageBox> makeMessageBox(const QString& text, bool question, Messages::Icon icon,
                                            QWidget* parent) {
    const auto boxIcon = icon == Messages::Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon;
    const auto buttons = question ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok;
    auto box = std::make_unique<QMessageBox>(boxIcon, kMessageTitle, text, buttons, parent);
    box->setTextFormat(Qt::PlainText);
    // Set the captions here too, so the buttons read right even where the Qt translation is missing.
    box->button(QMessageBox::Ok)->setText(QStringLiteral("确定"));
    box->setDefaultButton(QMessageBox::Ok);
    if (question) {
        box->button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
        box->setEscapeButton(QMessageBox::Cancel);
    } else {
        box->setEscapeButton(QMessageBox::Ok);
    }
    // Plain buttons, and a box wide enough for its title to show in the title bar.
    for (QAbstractButton* button : box->buttons())
        button->setIcon(QIcon());
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label")))
        label->setMinimumWidth(twips::px(2400));
    return box;
}

std::unique_ptr<QMessageBox> makeQuestionBox(const QString& text, bool withCancel, Messages::Icon icon,
                                             QWidget* parent) {
    auto box = makeMessageBox(text, false, icon, parent);
    box->setStandardButtons(withCancel ? QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel
                                       : QMessageBox::Yes | QMessageBox::No);
    box->button(QMessageBox::Yes)->setText(QStringLiteral("是"));
    box->button(QMessageBox::No)->setText(QStringLiteral("否"));
    if (withCancel)
        box->button(QMessageBox::Cancel)->setText(QStringLiteral("取消"));
    for (QAbstractButton* button : box->buttons())
        button->setIcon(QIcon());
    box->setDefaultButton(QMessageBox::Yes);
    box->setEscapeButton(withCancel ? QMessageBox::Cancel : QMessageBox::No);
    return box;
}

QWidget* QtMessages::owner() const {
    if (parent_ && parent_->isVisible())
        return parent_;
    return QApplication::activeWindow();
}

void QtMessages::inform(const QString& text) {
    // Held by a guarded pointer: should its owner window go away meanwhile, the box goes with it.
    QPointer<QMessageBox> box = makeMessageBox(text, false, Icon::None, owner()).release();
    box->exec();
    delete box.data();
}

void QtMessages::warn(const QString& text) {
    QPointer<QMessageBox> box = makeMessageBox(text, false, Icon::Warning, owner()).release();
    box->exec();
    delete box.data();
}

bool QtMessages::confirm(const QString& text, Icon icon) {
    QPointer<QMessageBox> box = makeMessageBox(text, true, icon, owner()).release();
    const bool ok = box->exec() == QMessageBox::Ok;
    delete box.data();
    return ok;
}

bool QtMessages::askYesNo(const QString& text, Icon icon) {
    QPointer<QMessageBox> box = makeQuestionBox(text, false, icon, owner()).release();
    const bool yes = box->exec() == QMessageBox::Yes;
    delete box.data();
    return yes;
}

Messages::Answer QtMessages::askYesNoCancel(const QString& text, Icon icon) {
    QPointer<QMessageBox> box = makeQuestionBox(text, true, icon, owner()).release();
    const int button = box->exec();
    delete box.data();
    if (button == QMessageBox::Yes)
        return Answer::Yes;
    return button == QMessageBox::No ? Answer::No : Answer::Cancel;
}

} // namespace lichuan

#pragma once
// The message service of the running program: modal boxes titled "提示" with Chinese buttons.

#include "session/messages.h"

#include <QPointer>
#include <QWidget>
#include <memory>

class QMessageBox;

namespace lichuan {

inline const QString kMessageTitle = QStringLiteral("提示");

// The box a message is shown in: title "提示", no icon unless a warning is asked for, "确定" and, for a
// question, "取消" (Enter answers 确定, Esc answers 取消).
std::unique_ptr<QMessageBox> makeMessageBox(const QString& text, bool question, Messages::Icon icon,
                                            QWidget* parent);

// A question box titled "提示": "是" and "否", and "取消" when `withCancel` is set (Enter answers 是, Esc
// answers 取消, or 否 without it).
std::unique_ptr<QMessageBox> makeQuestionBox(const QString& text, bool withCancel, Messages::Icon icon,
                                             QWidget* parent);

class QtMessages final : public Messages {
public:
    // Boxes are modal over `parent`, or over the active window when there is none.
    explicit QtMessages(QWidget* parent = nullptr) : parent_(parent) {}
    void inform(const QString& text) override;
    void warn(const QString& text) override;
    bool confirm(const QString& text, Icon icon = Icon::None) override;
    bool askYesNo(const QString& text, Icon icon = Icon::Warning) override;
    Answer askYesNoCancel(const QString& text, Icon icon = Icon::None) override;

private:
    QWidget* owner() const;
    QPointer<QWidget> parent_;
};

} // namespace lichuan

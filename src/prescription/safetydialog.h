#pragma once
// "用药警示": the hard warnings of a sheet about to be saved, printed or settled, and the doctor's reason.
// "确认用药" (only with a reason) lets the action go on, "返回修改" (or Esc) does nothing.

#include <QDialog>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lichuan {

class SafetyDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SafetyDialog)
public:
    SafetyDialog(const QStringList& warnings, const QString& action, QWidget* parent = nullptr);

    QString reason() const;
    // The warnings listed, as given.
    const QStringList& warnings() const { return warnings_; }

    QLabel* warningList = nullptr;
    QLineEdit* reasonEdit = nullptr;
    QPushButton* confirmButton = nullptr; // 确认用药
    QPushButton* backButton = nullptr;    // 返回修改

    // The longest reason a prescription keeps.
    static constexpr int kReasonLength = 50;

private:
    QStringList warnings_;
};

} // namespace lichuan

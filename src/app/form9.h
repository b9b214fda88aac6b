#pragma once
// The login window: the clinic's one password opens the main window; cancelling ends the program.

#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;

namespace lichuan {

struct ProcessState;
class Messages;

class Form9 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form9)
public:
    Form9(const ProcessState& state, Messages& messages, QWidget* parent = nullptr);
    ~Form9() override;

    // Checks the entry: a match hides the window and reports loggedIn(); a mismatch says "密码错误！" and
    // keeps the entry for another try.
    void confirm();

Q_SIGNALS:
    void loggedIn();
    // The window was cancelled or closed: the program ends.
    void programEndRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    const ProcessState& state_;
    Messages& messages_;
    bool placed_ = false;

    QLabel* Label2;
    QLabel* lblVersion;
    QLineEdit* Text1;
    QLabel* Label1;
    QPushButton* Command1;
    QPushButton* Command2;
};

} // namespace lichuan

#pragma once
// The about window: product name, version, the maker's lines and the web links. Opened on demand it only
// closes; shown by the closing main window, closing it ends the program.

#include "app/shellhooks.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace lichuan {

struct ProcessState;

class Form10 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form10)
public:
    Form10(ProcessState& state, ShellHooks hooks, QWidget* parent = nullptr);
    ~Form10() override;

Q_SIGNALS:
    // Closed while AboutFromMenu was false: the program ends.
    void programEndRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void open(const QUrl& address);

    ProcessState& state_;
    ShellHooks hooks_;
    bool placed_ = false;

    QLabel* Label8;
    QLabel* Label2;
    QLabel* Label4;
    QLabel* lblBuild; // the full version and the day of the build
    QLabel* Label9;
    QLabel* lblDescription;
    QLabel* Label1;
    QLabel* Label3;
    QLabel* Label7;
    QPushButton* Command1;
    QPushButton* Command2;
    QPushButton* Command3;
};

} // namespace lichuan

#include "app/form9.h"

#include "app/login.h"
#include "session/messages.h"
#include "session/state.h"
#include "ui/appearance.h"
#include "ui/buttons.h"
#include "ui/placement.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace lichuan {

Form9::Form9(const ProcessState& state, Messages& messages, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      state_(state), messages_(messages) {
    setObjectName(QStringLiteral("Form9"));
    setWindowTitle(QStringLiteral("登录"));
    setFixedSize(twips::size(5640, 2880));

    Label2 = new QLabel(QStringLiteral("栎川"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setGeometry(twips::rect(480, 300, 2400, 660));
    QFont title = font();
    title.setPointSize(22);
    title.setBold(true);
    Label2->setFont(title);
    Label2->setStyleSheet(QStringLiteral("color: rgb(75, 121, 198);"));

    lblVersion = new QLabel(QStringLiteral("请输入登录密码"), this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(twips::rect(480, 1110, 2400, 270));

    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips::rect(480, 1410, 2880, 345));
    showAsPassword(*Text1);
    lblVersion->setBuddy(Text1);
    Text1->installEventFilter(this);

    Label1 = new QLabel(factoryPasswordHint(), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips::rect(3480, 1440, 1980, 270));
    Label1->setStyleSheet(QStringLiteral("color: rgb(128, 128, 128);"));
    Label1->setVisible(showsFactoryPasswordHint(state_.LoginPassword));

    Command1 = new QPushButton(QStringLiteral("确  定"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(twips::rect(1680, 2070, 1200, 420));
    Command2 = new QPushButton(QStringLiteral("取  消"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    Command2->setGeometry(twips::rect(3120, 2070, 1200, 420));
    clickOnEnter(*Command1);
    clickOnEnter(*Command2);
    connect(Command1, &QPushButton::clicked, this, &Form9::confirm);
    connect(Command2, &QPushButton::clicked, this, &QWidget::close);

    setTabOrder(Text1, Command1);
    setTabOrder(Command1, Command2);
    Text1->setFocus();
}

Form9::~Form9() = default;

void Form9::confirm() {
    // Without a main database there is no stored password to compare with: nobody is let in.
    if (!state_.mainDb) {
        messages_.inform(QStringLiteral("数据库无法使用，程序将退出。"));
        close();
        return;
    }
    if (passwordMatches(Text1->text(), state_.LoginPassword)) {
        hide();
        Q_EMIT loggedIn();
        return;
    }
    messages_.inform(QStringLiteral("密码错误！"));
    Text1->setFocus();
}

bool Form9::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Text1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            confirm();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form9::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        centreOnScreen(*this);
    }
}

void Form9::closeEvent(QCloseEvent* event) {
    event->accept();
    Q_EMIT programEndRequested();
}

} // namespace lichuan

#include "app/form10.h"

#include "app/version.h"
#include "app/weblinks.h"
#include "session/state.h"
#include "ui/buttons.h"
#include "ui/placement.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>

namespace lichuan {

namespace {

QLabel* makeLabel(const QString& text, const char* name, const QRect& geometry, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setGeometry(geometry);
    return label;
}

QPushButton* makeButton(const QString& text, const char* name, const QRect& geometry, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(geometry);
    clickOnEnter(*button);
    return button;
}

} // namespace

Form10::Form10(ProcessState& state, ShellHooks hooks, QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      state_(state), hooks_(std::move(hooks)) {
    setObjectName(QStringLiteral("Form10"));
    setWindowTitle(QStringLiteral("关于"));
    setFixedSize(twips::size(7200, 4800));

    Label8 = makeLabel(QString(), "Label8", twips::rect(0, 0, 7200, 1140), this);
    Label8->setAutoFillBackground(true);
    QPalette band = Label8->palette();
    band.setColor(QPalette::Window, QColor(75, 121, 198));
    Label8->setPalette(band);

    Label2 = makeLabel(QStringLiteral("栎川"), "Label2", twips::rect(480, 180, 2400, 780), this);
    QFont title = font();
    title.setPointSize(26);
    title.setBold(true);
    Label2->setFont(title);
    Label4 = makeLabel(QStringLiteral("版本：V") + programVersionShort(), "Label4",
                       twips::rect(4560, 570, 2160, 330), this);
    Label4->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont version = font();
    version.setPointSize(11);
    Label4->setFont(version);
    // The full version, the package's, and the day of the build.
    lblBuild = makeLabel(QStringLiteral("%1（%2 构建）").arg(programVersion(), programBuildDate()),
                         "lblBuild", twips::rect(3840, 870, 2880, 240), this);
    lblBuild->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont stamp = font();
    stamp.setPointSize(8);
    lblBuild->setFont(stamp);
    for (QLabel* onBand : {Label2, Label4, lblBuild})
        onBand->setStyleSheet(QStringLiteral("color: white;"));

    Label9 = makeLabel(
        QStringLiteral(
            "<p style=\"line-height: "
            "135%\">栎川是为中医诊所和乡村卫生室编写的处方工作站：录入处方时可按拼音首字母或字母键盘"
            "查找药物，划价、结算、打印一气呵成；药物目录、方剂模板、门诊日志、门诊病历和"
            "用药统计也都在这里管理。感谢您的使用，欢迎提出意见和建议。</p>"),
        "Label9", twips::rect(480, 1320, 6240, 1200), this);
    Label9->setTextFormat(Qt::RichText);
    Label9->setWordWrap(true);
    Label9->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    lblDescription = makeLabel(QStringLiteral("作者：栎川软件工作室"), "lblDescription",
                               twips::rect(480, 2580, 6240, 270), this);
    Label1 = makeLabel(QStringLiteral("电子邮件：support@lichuan.example"), "Label1",
                       twips::rect(480, 2880, 6240, 270), this);
    Label3 = makeLabel(QStringLiteral("意见与建议：欢迎在主页留言"), "Label3",
                       twips::rect(480, 3180, 6240, 270), this);

    Label7 = makeLabel(weblinks::homePage(), "Label7", twips::rect(480, 3480, 6240, 270), this);
    QFont link = Label7->font();
    link.setUnderline(true);
    Label7->setFont(link);
    Label7->setStyleSheet(QStringLiteral("color: rgb(0, 0, 255);"));
    Label7->setCursor(Qt::PointingHandCursor);
    Label7->installEventFilter(this);

    Command1 =
        makeButton(QStringLiteral("下载栎川药房管理"), "Command1", twips::rect(480, 3990, 2520, 450), this);
    Command2 = makeButton(QStringLiteral("操作帮助"), "Command2", twips::rect(3180, 3990, 1680, 450), this);
    Command3 =
        makeButton(QStringLiteral("访问作者主页"), "Command3", twips::rect(5040, 3990, 1680, 450), this);
    connect(Command1, &QPushButton::clicked, this, [this] { open(QUrl(weblinks::downloadPage())); });
    connect(Command2, &QPushButton::clicked, this, [this] { open(weblinks::helpPage()); });
    connect(Command3, &QPushButton::clicked, this, [this] { open(QUrl(weblinks::homePage())); });
}

Form10::~Form10() = default;

void Form10::open(const QUrl& address) {
    if (address.isValid() && !address.isEmpty() && hooks_.openUrl)
        hooks_.openUrl(address);
}

bool Form10::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Label7 && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && Label7->rect().contains(mouse->position().toPoint())) {
            open(QUrl(Label7->text()));
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void Form10::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!placed_) {
        placed_ = true;
        centreOnScreen(*this, kChildShiftLeftTwips, kChildShiftUpTwips);
    }
}

void Form10::closeEvent(QCloseEvent* event) {
    event->accept();
    if (state_.AboutFromMenu) {
        state_.AboutFromMenu = false;
        return;
    }
    Q_EMIT programEndRequested();
}

} // namespace lichuan

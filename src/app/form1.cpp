#include "app/form1.h"

#include "app/weblinks.h"
#include "catalog/clinicalruleswindow.h"
#include "catalog/form3.h"
#include "catalog/form4.h"
#include "catalog/templaterules.h"
#include "catalog/wordlistwindow.h"
#include "data/clock.h"
#include "prescription/form2.h"
#include "prescription/sheetlink.h"
#include "printing/output.h"
#include "records/form14.h"
#include "reports/auditlogwindow.h"
#include "reports/form12.h"
#include "reports/form13.h"
#include "reports/form7.h"
#include "session/backup.h"
#include "session/messages.h"
#include "session/state.h"
#include "settings/form8.h"
#include "settings/settingsstore.h"
#include "ui/filechooser.h"
#include "ui/placement.h"
#include "ui/twips.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>

namespace lichuan {

namespace {

const QColor kBackground(144, 163, 178);
constexpr int kMinWidthTwips = 15630;
constexpr int kMinHeightTwips = 10950;

QAction* addItem(QWidget* menu, const QString& name, const QString& caption) {
    auto* action = new QAction(caption, menu);
    action->setObjectName(name);
    menu->addAction(action);
    return action;
}

// The frame of a child window, telling when it has really closed (a window may refuse) so that its slot can
// be emptied at once, before the frame's deferred deletion.
class ChildFrame final : public QMdiSubWindow {
public:
    explicit ChildFrame(std::function<void()> closed) : closed_(std::move(closed)) {
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        QMdiSubWindow::closeEvent(event);
        if (event->isAccepted() && closed_)
            closed_();
    }

private:
    std::function<void()> closed_;
};

QMenu* addSubmenu(QMenuBar* bar, const QString& name, const QString& caption) {
    QMenu* menu = bar->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    return menu;
}

} // namespace

Form1::Form1(ProcessState& state, SettingsStore& settings, const Clock& clock, Messages& messages,
             Options options, QWidget* parent)
    : QMainWindow(parent), state_(state), options_(std::move(options)),
      sheetLink_(std::make_unique<SheetLink>([this] { return prescriptionWindow(); })),
      ownFiles_(options_.files ? nullptr : std::make_unique<QtFileChooser>()),
      services_{state, settings, clock, messages, *this, files(), sheetLink_.get()},
      mdi_(new QMdiArea(this)) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("栎川 V8.0"));
    setMinimumSize(twips::size(kMinWidthTwips, kMinHeightTwips));
    mdi_->setObjectName(QStringLiteral("MDIClient"));
    mdi_->setBackground(kBackground);
    mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mdi_->viewport()->installEventFilter(this);
    setCentralWidget(mdi_);
    buildMenu();
}

FileChooser& Form1::files() const {
    return options_.files ? *options_.files : *ownFiles_;
}

Form1::~Form1() {
    // The child windows use this window's services and navigator: they go while both still exist, closed
    // ones awaiting their deferred deletion included.
    qDeleteAll(mdi_->viewport()->findChildren<QMdiSubWindow*>(Qt::FindDirectChildrenOnly));
}

void Form1::buildMenu() {
    QMenuBar* bar = menuBar();
    auto wire = [this](QAction* action, auto slot) { connect(action, &QAction::triggered, this, slot); };

    wire(addItem(bar, QStringLiteral("综合设置"), QStringLiteral("综合设置(&S)")),
         [this] { openChild(ChildWindow::Settings); });
    wire(addItem(bar, QStringLiteral("药物维护"), QStringLiteral("药物维护(&Y)")),
         [this] { openChild(ChildWindow::Catalog); });

    QMenu* templates = addSubmenu(bar, QStringLiteral("模板维护"), QStringLiteral("模板维护(&M)"));
    wire(addItem(templates, QStringLiteral("个人模板"), QStringLiteral("中药方剂\\西成药组套")),
         [this] { openChild(ChildWindow::Templates); });
    wire(addItem(templates, QStringLiteral("病历模板"), QStringLiteral("病历模板维护")),
         [this] { openRecordTemplates(); });
    wire(addItem(templates, QStringLiteral("添加常用地址"), QStringLiteral("添加常用地址")),
         [this] { openChild(ChildWindow::Addresses); });
    wire(addItem(templates, QStringLiteral("诊断名称"), QStringLiteral("添加常用诊断")),
         [this] { openChild(ChildWindow::Diagnoses); });
    wire(addItem(templates, QStringLiteral("用药警示维护"), QStringLiteral("用药警示维护")),
         [this] { openChild(ChildWindow::ClinicalRules); });

    wire(addItem(bar, QStringLiteral("开具处方"), QStringLiteral("处方录入(&C)")),
         [this] { showPrescriptionWindow(); });
    wire(addItem(bar, QStringLiteral("门诊病历"), QStringLiteral("门诊病历(&B)")),
         [this] { openCaseRecord(); });
    wire(addItem(bar, QStringLiteral("业务统计"), QStringLiteral("业务统计(&T)")),
         [this] { openStatistics(); });
    wire(addItem(bar, QStringLiteral("日志报表"), QStringLiteral("门诊日志(&Z)")), [this] { openLog(); });
    wire(addItem(bar, QStringLiteral("用药统计"), QStringLiteral("用药统计(&J)")),
         [this] { openChild(ChildWindow::UsageStatistics); });

    QMenu* maintenance = addSubmenu(bar, QStringLiteral("数据维护"), QStringLiteral("数据维护(&D)"));
    wire(addItem(maintenance, QStringLiteral("恢复备份"), QStringLiteral("恢复备份…")),
         [this] { openChild(ChildWindow::Restore); });
    wire(addItem(maintenance, QStringLiteral("操作记录"), QStringLiteral("操作记录…")),
         [this] { openChild(ChildWindow::AuditLog); });

    QMenu* help = addSubmenu(bar, QStringLiteral("帮助"), QStringLiteral("操作帮助(&H)"));
    wire(addItem(help, QStringLiteral("操作帮助"), QStringLiteral("操作帮助")), [this] { openHelp(); });
    wire(addItem(help, QStringLiteral("访问作者主页"), QStringLiteral("访问作者主页")),
         [this] { openHomePage(); });
    wire(addItem(help, QStringLiteral("版本信息"), QStringLiteral("版本信息")), [this] { openAbout(); });
}

QWidget* Form1::createChild(ChildWindow which) {
    // The one place where each child window is created.
    switch (which) {
    case ChildWindow::Catalog:
        return new Form3(services_);
    case ChildWindow::Settings:
        return new Form8(services_, [] { return printing::installedPrinters(); });
    case ChildWindow::CaseRecord:
        return new Form14(services_);
    case ChildWindow::Log:
        return new Form7(services_);
    case ChildWindow::BusinessStatistics:
        return new Form12(services_);
    case ChildWindow::UsageStatistics:
        return new Form13(services_);
    case ChildWindow::Templates:
        return new Form4(services_);
    case ChildWindow::Diagnoses:
        return WordListWindow::createForm5(services_);
    case ChildWindow::Addresses:
        return WordListWindow::createForm6(services_);
    case ChildWindow::ClinicalRules:
        return new ClinicalRulesWindow(services_);
    case ChildWindow::Restore:
        return new RestoreWindow(services_, options_.backupRoot, *this);
    case ChildWindow::AuditLog:
        return new AuditLogWindow(services_);
    }
    return nullptr;
}

bool Form1::closeOtherWindows() {
    const QMdiSubWindow* restore = childWindow(ChildWindow::Restore);
    for (QMdiSubWindow* sub : mdi_->subWindowList()) {
        if (sub != restore && !sub->close())
            return false;
    }
    return true;
}

void Form1::reopenWindows() {
    // The settings and the sheet read the database now in use; the restore window stays in front.
    services_.settings.reconnect(state_.mainDb.get());
    state_.PendingCaseRecord.clear();
    showPrescriptionWindow();
    if (QMdiSubWindow* restore = childWindow(ChildWindow::Restore))
        mdi_->setActiveSubWindow(restore);
}

QMdiSubWindow* Form1::addChild(QWidget* window, std::function<void()> closed, Qt::WindowFlags flags) {
    auto* sub = new ChildFrame(std::move(closed));
    sub->setWidget(window);
    mdi_->addSubWindow(sub, flags);
    // A sub-window takes its size from its content's size hint, not from the content's own size.
    sub->adjustSize();
    return sub;
}

void Form1::openChild(ChildWindow which, const std::function<void(QWidget&)>& prepare) {
    if (exiting_)
        return;
    QPointer<QMdiSubWindow>& slot = children_[which];
    if (QMdiSubWindow* open = slot) {
        if (!open->close()) { // the window kept itself open
            mdi_->setActiveSubWindow(open);
            return;
        }
        slot = nullptr;
    }
    QWidget* window = createChild(which);
    if (!window)
        return;
    if (prepare)
        prepare(*window);
    QMdiSubWindow* sub = addChild(window, [this, which] { children_[which] = nullptr; });
    // The two word-list windows stand exactly in the middle; the others a little left of and above it.
    if (which == ChildWindow::Diagnoses || which == ChildWindow::Addresses)
        placeMdiChild(*mdi_, *sub, 0, 0);
    else
        placeMdiChild(*mdi_, *sub);
    sub->show();
    mdi_->setActiveSubWindow(sub);
    slot = sub;
}

QMdiSubWindow* Form1::childWindow(ChildWindow which) const {
    const auto found = children_.find(which);
    return found == children_.end() ? nullptr : found->second.data();
}

Form2* Form1::prescriptionWindow() {
    if (!prescription_) {
        if (exiting_)
            return nullptr;
        auto* form = new Form2(services_);
        // A sheet of fixed size: it can be minimised and closed, not maximised.
        prescription_ = addChild(
            form, [this] { prescription_ = nullptr; },
            Qt::SubWindow | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                Qt::WindowCloseButtonHint);
        prescription_->hide();
        placeMdiChild(*mdi_, *prescription_);
    }
    return qobject_cast<Form2*>(prescription_->widget());
}

void Form1::showPrescriptionWindow() {
    if (!prescriptionWindow())
        return;
    prescription_->show();
    if (prescription_->isMinimized())
        prescription_->showNormal();
    mdi_->setActiveSubWindow(prescription_);
    prescription_->widget()->setFocus();
}

void Form1::placePrescriptionWindow() {
    if (exiting_ || !loaded_)
        return;
    prescriptionWindow();
    if (prescription_)
        placeMdiChild(*mdi_, *prescription_);
}

void Form1::openLog() {
    openChild(ChildWindow::Log);
}

void Form1::openTemplateWindow(bool herbal, const QString& content) {
    // "存为组套": a fresh template window on the sheet's kind, holding the item text to be named and saved.
    openChild(ChildWindow::Templates, [herbal, content](QWidget& window) {
        auto& templates = static_cast<Form4&>(window);
        templates.selectKind(herbal ? kFormula : kWesternSet);
        templates.setContent(content);
    });
}

void Form1::openCaseRecord() {
    openChild(ChildWindow::CaseRecord);
}

void Form1::openRecordTemplates() {
    // The menu's "病历模板维护" and the medical record's "编辑病历模板": the template window switched to its
    // record kind before it is shown.
    openChild(ChildWindow::Templates,
              [](QWidget& window) { static_cast<Form4&>(window).selectKind(kRecordPhrase); });
}

void Form1::openStatistics() {
    openChild(ChildWindow::BusinessStatistics);
}

void Form1::openAbout() {
    if (!exiting_)
        Q_EMIT aboutRequested();
}

void Form1::openHelp() {
    const QUrl page = weblinks::helpPage();
    if (!page.isEmpty() && options_.hooks.openUrl)
        options_.hooks.openUrl(page);
}

void Form1::openHomePage() {
    if (options_.hooks.openUrl)
        options_.hooks.openUrl(QUrl(weblinks::homePage()));
}

void Form1::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (loaded_ || exiting_)
        return;
    loaded_ = true;
    setWindowState(windowState() | Qt::WindowMaximized);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    showPrescriptionWindow();
    placePrescriptionWindow();
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mdi_->viewport() && event->type() == QEvent::Resize)
        placePrescriptionWindow();
    return QMainWindow::eventFilter(watched, event);
}

void Form1::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    // Child windows close first, so that what they keep on closing is kept; one that refuses keeps the
    // program running. The prescription window, which keeps nothing, closes last.
    for (QMdiSubWindow* sub : mdi_->subWindowList(QMdiArea::StackingOrder)) {
        if (sub != prescription_ && !sub->close()) {
            event->ignore();
            return;
        }
    }
    if (prescription_)
        prescription_->close();
    exiting_ = true;
    event->accept();
    hide();
    // No backup (a damaged database, a read-only folder) is no reason to stop, but the user is told: the
    // day's earlier copy is still there.
    QString error;
    if (!writeDailyBackup(state_, options_.backupRoot, services_.clock.today(), &error))
        services_.messages.inform(QStringLiteral("数据库未能备份：%1\n原有的备份文件没有改动。").arg(error));
    Q_EMIT closed();
}

} // namespace lichuan

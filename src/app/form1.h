#pragma once
// The main window: the frame every other window opens in, the menu bar, the prescription window kept
// centred, and the daily backup when it closes.

#include "app/restorewindow.h"
#include "app/shellhooks.h"
#include "session/services.h"

#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class QMdiArea;

namespace lichuan {

class FileChooser;
class Form2;
class SheetLink;

class Form1 final : public QMainWindow, public Navigator, private RestoreHost {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form1)
public:
    struct Options {
        QString backupRoot; // the folder holding the daily sub-folders 1日 … 31日
        ShellHooks hooks;
        FileChooser* files = nullptr; // what every window asks for files with; Qt's dialogs when null
    };

    // The windows the menu opens as child windows; each has one slot and starts afresh when opened.
    enum class ChildWindow {
        Settings,           // Form8 综合设置
        Catalog,            // Form3 药物维护
        Templates,          // Form4 模板维护
        Diagnoses,          // Form5 添加常用诊断
        Addresses,          // Form6 添加常用地址
        Log,                // Form7 门诊日志
        BusinessStatistics, // Form12 业务统计
        UsageStatistics,    // Form13 用药统计
        CaseRecord,         // Form14 门诊病历
        ClinicalRules,      // 用药警示维护
        Restore,            // 恢复备份
        AuditLog,           // 操作记录
    };

    Form1(ProcessState& state, SettingsStore& settings, const Clock& clock, Messages& messages,
          Options options, QWidget* parent = nullptr);
    ~Form1() override;

    QMdiArea* mdiArea() const { return mdi_; }
    // The prescription window, created (hidden) when it is not there; null once the window has closed.
    Form2* prescriptionWindow();
    QMdiSubWindow* prescriptionSubWindow() const { return prescription_; }
    // Shows the prescription window with its current content ("处方录入(C)").
    void showPrescriptionWindow();
    // The child window open in `which`'s slot, if any.
    QMdiSubWindow* childWindow(ChildWindow which) const;

    // Navigator: what the prescription window asks for.
    void openLog() override;
    void openTemplateWindow(bool herbal, const QString& content) override;
    void openCaseRecord() override;
    void openStatistics() override;
    void openRecordTemplates() override;
    void openAbout() override;
    void openHelp() override;
    void openHomePage();

Q_SIGNALS:
    // "版本信息" or the prescription window asked for the about window.
    void aboutRequested();
    // The window has closed its child windows, hidden itself and written the day's backup.
    void closed();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    FileChooser& files() const;
    void buildMenu();
    QMdiSubWindow* addChild(QWidget* window, std::function<void()> closed, Qt::WindowFlags flags = {});
    void placePrescriptionWindow();
    // Discards the window open in `which`'s slot, then creates it anew, lets `prepare` set it up and shows
    // it.
    void openChild(ChildWindow which, const std::function<void(QWidget&)>& prepare = {});
    QWidget* createChild(ChildWindow which);
    // RestoreHost: every window but the restore window closes before a restore, and the sheet comes back
    // after it.
    bool closeOtherWindows() override;
    void reopenWindows() override;

    ProcessState& state_;
    Options options_;
    std::unique_ptr<SheetLink> sheetLink_;
    std::unique_ptr<FileChooser> ownFiles_;
    Services services_;
    QMdiArea* mdi_;
    QPointer<QMdiSubWindow> prescription_;
    std::map<ChildWindow, QPointer<QMdiSubWindow>> children_;
    bool loaded_ = false;
    bool exiting_ = false;
};

} // namespace lichuan

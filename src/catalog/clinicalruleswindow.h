#pragma once
// "用药警示维护": the rules of the clinical checks in four tabs (配伍禁忌, 妊娠禁忌, 毒性, 剂量), each rule
// with its source, the reviewed mark and where it comes from; a search by herb; add, edit, switch off and
// delete; the rules exported to and imported from a workbook for a pharmacist's review. The prescription
// window uses every change at its next check.

#include "catalog/clinicalrulesexchange.h"
#include "session/services.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QTableView;

namespace lichuan {

namespace catalog {
class ClinicalRulesModel;
}

class ClinicalRulesWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ClinicalRulesWindow)
public:
    // The workbook paths are asked for with the services' file chooser.
    explicit ClinicalRulesWindow(Services& services, QWidget* parent = nullptr);
    ~ClinicalRulesWindow() override;

    const catalog::ClinicalRulesModel& grid() const { return *model_; }
    catalog::RulesTab currentTab() const;
    // The key of the rule in the edit panel; empty for a new one.
    const QString& currentKey() const { return key_; }

    // The window's operations, as its controls run them.
    void chooseTab(int tab);
    void search();
    void selectRow(int row);
    void startNewRule(); // 添  加
    void save();         // 保  存
    void switchOff();    // 停  用 / 启  用
    void deleteRule();   // 删  除
    void exportWorkbook();
    void importWorkbook();

    QTabBar* tabs = nullptr;
    QLineEdit* searchBox = nullptr;
    QTableView* table = nullptr;
    QComboBox* kindBox = nullptr;
    QLineEdit* herbBox = nullptr;
    QLineEdit* partnerBox = nullptr;
    QComboBox* levelBox = nullptr;
    QLineEdit* minBox = nullptr;
    QLineEdit* maxBox = nullptr;
    QLineEdit* noteBox = nullptr;
    QLineEdit* sourceBox = nullptr;
    QLabel* markLabel = nullptr; // where the rule comes from, its review and its state
    QPushButton* addButton = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* switchButton = nullptr;
    QPushButton* deleteButton = nullptr;
    QPushButton* exportButton = nullptr;
    QPushButton* importButton = nullptr;

private:
    void build();
    void fill(const clinical::Rule& rule);
    void fitPanelToTab();
    clinical::Rule ruleFromPanel() const;
    Database* database() const;

    Services& services_;
    catalog::ClinicalRulesModel* model_;
    QString key_;
};

} // namespace lichuan

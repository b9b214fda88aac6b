#pragma once
// The outpatient medical record "门诊病历" of the patient on the prescription sheet: a header panel as on
// the printed record, ten record fields, the record-template search and the five buttons. The record is
// not stored on its own: it travels in `PendingCaseRecord` and is saved with the prescription.

#include "data/catalog.h"
#include "printing/printui.h"
#include "records/caserecord.h"
#include "session/services.h"

#include <QWidget>
#include <array>
#include <vector>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace lichuan {

namespace printing {
struct Document;
}

class CrLfTextEdit;

// While it is open, the window is the sheet's `CaseRecordWindow`: it shows the record of the sheet's record
// key and follows the sheet to every other key.
class Form14 : public QWidget, public CaseRecordWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form14)
public:
    explicit Form14(Services& services, QWidget* parent = nullptr);
    ~Form14() override;

    // CaseRecordWindow
    QString recordText() const override;
    void followSheet() override;

    QWidget* Picture1 = nullptr;                     // header panel
    std::array<QLabel*, 7> Label2{};                 // title, visit time, name, sex, age, department, address
    std::array<QFrame*, 2> Line1{};                  // the two rules of the panel
    std::array<QLabel*, kRecordFieldCount> Label1{}; // field captions
    std::array<CrLfTextEdit*, kRecordFieldCount> Text2{}; // record fields
    QLineEdit* Text1 = nullptr;                           // template search
    QListWidget* List1 = nullptr;                         // record templates
    QPushButton* Command1 = nullptr;                      // "打印病历"
    QPushButton* Command2 = nullptr;                      // "引用处方"
    QPushButton* Command3 = nullptr;                      // "保  存"
    QPushButton* Command4 = nullptr;                      // "关  闭"
    QPushButton* Command5 = nullptr;                      // "编辑病历模板"
    QPushButton* Command6 = nullptr;                      // "打印预览"
    QLabel* Label3 = nullptr;                             // says that a "$" was written full-width

    // The ten fields as the window holds them ("\r\n" line breaks).
    CaseRecordFields fields() const;
    // The printed record as "打印病历" prints it: the header as shown, the fields, the sheet's doctor, the
    // record margins of the settings.
    printing::Document printedRecord() const;

    // The record field that last had the focus, -1 when none had it yet.
    int currentField() const { return currentField_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void build();
    void load();
    // The header panel from the sheet as it is now.
    void showHeader();
    // Notes a print or a PDF of the record in the log.
    printing::OutputHook outputNoted() const;
    // The header and the fields of the sheet's record.
    void showSheetRecord();
    void fillTemplateList();
    void insertTemplate(int row);
    void citePrescription();
    void save();
    void print();
    void preview();
    void unregister();
    void editTemplates();
    void keepSeparatorOut(int field);
    void storeRecord();

    Services& services_;
    std::vector<TemplateItem> templates_;
    int currentField_ = -1;
    bool replacing_ = false;
};

} // namespace lichuan

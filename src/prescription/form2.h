#pragma once
// The prescription window "处方录入": the search panel with the history panel below it, the prescription
// sheet, the pricing panel and the toolbar. The controls keep the names the sheet's layout is described
// with; the behaviour is split by concern into the panels below, which share the window's state.

#include "data/record.h"
#include "prescription/sheetgeometry.h"

#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <array>
#include <memory>

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

namespace lichuan {

struct Services;
class CrLfTextEdit;
class FieldEdit;
class PickList;
class SheetActions;
class LookupPanel;
class HeaderFields;
class TotalsPanel;
class HistoryPanel;
class Toolbar;
class PricingPanel;
class Shortcuts;
class SafetyPanel;
class TicketPanel;

// The sheet: a picture of the printed prescription paper.
struct SheetControls {
    QWidget* Picture2 = nullptr;
    std::array<QWidget*, kHeaderFieldCount> Picture7{}; // container of field i
    std::array<QLabel*, kHeaderFieldCount> Label1{};    // caption of field i
    std::array<FieldEdit*, kHeaderFieldCount> Text5{};  // header field i
    std::array<QFrame*, kHeaderFieldCount> Line6{};     // underline of field i
    CrLfTextEdit* R1 = nullptr;                         // the item text
    QLineEdit* Text6 = nullptr;                         // dose count
    std::array<QLabel*, 4> Label2{};                    // title, "中药剂数：", "Rp", "处  方  笺"
    QLabel* Label3 = nullptr;                           // footer
    QFrame* Line2 = nullptr;                            // rule above the footer fields
    PickList* List3 = nullptr;                          // diagnosis suggestions
    PickList* List4 = nullptr;                          // address suggestions
    PickList* List5 = nullptr;                          // patient suggestions
    QString Label4;                                     // record key (not shown)
    QString Label5;                                     // settlement marker (not shown)
};

// The pricing panel: 36 priced lines, their headers, the totals bar and the scroll bar.
struct PricingControls {
    QWidget* Picture3 = nullptr;
    std::array<QPushButton*, 6> Command3{};         // column headers
    QWidget* Picture1 = nullptr;                    // lines container, taller than the panel
    std::array<QLabel*, kPricedLineCount> Lb1{};    // line background
    std::array<QLabel*, kPricedLineCount> Lb2{};    // name
    std::array<QLineEdit*, kPricedLineCount> Lb3{}; // quantity
    std::array<QLabel*, kPricedLineCount> Lb4{};    // unit
    std::array<QLineEdit*, kPricedLineCount> Lb5{}; // unit price
    std::array<QLineEdit*, kPricedLineCount> Lb6{}; // amount
    std::array<QLabel*, kPricedLineCount> Lb7{};    // drawer position
    std::array<QLabel*, kPricedLineCount> Lb8{};    // catalog category (outside the visible width)
    std::array<QFrame*, kPricedLineCount> Ln1{};    // separator
    QWidget* Picture5 = nullptr;                    // totals bar
    QLabel* Label17 = nullptr;                      // "中药剂数：" + dose count
    QLabel* Label14 = nullptr;                      // "合计金额(￥)："
    QLabel* Label16 = nullptr;                      // the total
    QScrollBar* VScroll1 = nullptr;
    QPushButton* Command4 = nullptr;  // "划价结算"
    QPushButton* Command9 = nullptr;  // "撤消结算"
    QPushButton* Command12 = nullptr; // "按斗位排序"
    // "取药单": the pick-up ticket
    QPushButton* ticketButton = nullptr;
};

// The search panel.
struct SearchControls {
    QLineEdit* Text1 = nullptr;             // search box
    std::array<QPushButton*, 6> Command1{}; // categories
    std::array<QPushButton*, 8> Command8{}; // letter pad
    PickList* List1 = nullptr;              // pick list
    QStringList List6;                      // twin entries of the pick list (with the usage)
};

// The history panel.
struct HistoryControls {
    QLineEdit* Text2 = nullptr;       // name filter
    QLineEdit* Text3 = nullptr;       // start date
    QLineEdit* Text4 = nullptr;       // end date
    QPushButton* Command7 = nullptr;  // "查   询"
    QPushButton* Command2 = nullptr;  // "今日患者"
    QPushButton* Command11 = nullptr; // "历史处方"
    QPushButton* Command5 = nullptr;  // "<<"
    QPushButton* Command6 = nullptr;  // ">>"
    QListWidget* List2 = nullptr;     // history list
    QFrame* Picture6 = nullptr;       // record menu
    std::array<QLabel*, 2> Label9{};  // "删除(D)", "取消(E)"
};

// The toolbar: eleven buttons, each a frame with an icon and a caption under a label that takes the mouse.
struct ToolbarControls {
    std::array<QFrame*, 11> Picture4{};
    std::array<QLabel*, 11> Image7{};
    std::array<QLabel*, 11> Label15{};
    std::array<QLabel*, 11> Label18{};
};

// Window-level state shared by the panels.
struct SheetState {
    int CurrentCategory = 0; // 0 中药, 1 西成药, 2 收费项目, 3 用法, 4 西成药组套, 5 中药方剂
    bool SuggestSuppressed = false; // header fields open no suggestion lists
    bool TotalsSuspended = false;   // quantity and price edits do not recompute the totals
    int HistoryIndex = -1;          // position of the history entry last picked
    bool saved = false;             // the sheet's row has been written (or was reloaded)
    SheetRecord stored;             // while `saved`: the sheet as it was last written or reloaded
    sheetgeometry::Layout layout = sheetgeometry::Layout::WideHerbal; // where R1 stands
};

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Services& services, QWidget* parent = nullptr);
    ~Form2() override;
    Form2(const Form2&) = delete;
    Form2& operator=(const Form2&) = delete;

    Services& services() const { return services_; }

    SheetControls sheet;
    PricingControls pricing;
    SearchControls search;
    HistoryControls history;
    ToolbarControls toolbar;
    SheetState state;

    SheetActions& actions() const { return *actions_; }
    LookupPanel& lookup() const { return *lookup_; }
    HeaderFields& header() const { return *header_; }
    TotalsPanel& totals() const { return *totals_; }
    HistoryPanel& historyPanel() const { return *historyPanel_; }
    Toolbar& toolbarActions() const { return *toolbarActions_; }
    PricingPanel& pricingPanel() const { return *pricingPanel_; }
    Shortcuts& shortcuts() const { return *shortcuts_; }
    SafetyPanel& safety() const { return *safety_; }
    TicketPanel& ticketPanel() const { return *ticketPanel_; }

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void load();

    Services& services_;
    std::unique_ptr<SheetActions> actions_;
    std::unique_ptr<LookupPanel> lookup_;
    std::unique_ptr<HeaderFields> header_;
    std::unique_ptr<TotalsPanel> totals_;
    std::unique_ptr<HistoryPanel> historyPanel_;
    std::unique_ptr<Toolbar> toolbarActions_;
    std::unique_ptr<PricingPanel> pricingPanel_;
    std::unique_ptr<TicketPanel> ticketPanel_;
    std::unique_ptr<Shortcuts> shortcuts_;
    std::unique_ptr<SafetyPanel> safety_;
};

} // namespace lichuan

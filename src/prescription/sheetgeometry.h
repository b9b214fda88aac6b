#pragma once
// Where everything stands on the prescription window, in twips. The sheet's positions are also what the
// printed prescription is scaled from, so they live here and not in the widgets.

#include "data/record.h"

#include <QString>
#include <array>

namespace lichuan::sheetgeometry {

struct Rect {
    int left;
    int top;
    int width;
    int height;
};

// The whole window's client area.
constexpr Rect kWindow{0, 0, 15135, 9615};

// The sheet (Picture2) and what stands on it, relative to the sheet.
constexpr Rect kSheet{3720, 840, 6293, 8625};
constexpr int kTitleTop = 60;    // Label2(0), the clinic name, centred
constexpr int kHeadingTop = 480; // Label2(3) "处  方  笺", centred
constexpr Rect kRp{300, 1980, 600, 435};
constexpr Rect kDoseLabel{300, 7500, 1140, 300}; // Label2(1) "中药剂数："
constexpr Rect kDoseCount{1440, 7500, 435, 300}; // Text6
constexpr int kRuleY = 7860;                     // Line2 from x 300 to 6000
constexpr int kRuleLeft = 300;
constexpr int kRuleRight = 6000;
constexpr Rect kFooter{300, 8340, 5670, 255}; // Label3
constexpr int kFieldHeight = 315;

struct HeaderField {
    const char16_t* caption;
    bool shown;
    Rect container; // Picture7(i); height kFieldHeight
    int typingLimit;
};

inline constexpr std::array<HeaderField, kHeaderFieldCount> kHeaderFields{{
    {u"姓名：", true, {240, 1020, 1755, kFieldHeight}, 6},
    {u"性别：", true, {1980, 1020, 975, kFieldHeight}, 1},
    {u"年龄：", true, {2940, 1020, 1575, kFieldHeight}, 6},
    {u"科别：", true, {4500, 1020, 1515, kFieldHeight}, 5},
    {u"住址（电话）：", true, {240, 1320, 3975, kFieldHeight}, 20},
    {u"日期：", true, {4200, 1320, 1815, kFieldHeight}, 11},
    {u"诊断：", true, {240, 1620, 5775, kFieldHeight}, 30},
    {u"医师：", true, {240, 7980, 1815, kFieldHeight}, 6},
    {u"发药：", true, {2280, 7980, 1815, kFieldHeight}, 6},
    {u"金额：", true, {4200, 7980, 1815, kFieldHeight}, 7},
    {u"日期：", false, {240, 8640, 1815, kFieldHeight}, 12},
    {u"电话：", false, {2280, 8640, 1815, kFieldHeight}, 12},
    {u"病历号：", false, {240, 8640, 2400, kFieldHeight}, 20},
    {u"医保号：", false, {2280, 8640, 2400, kFieldHeight}, 20},
    {u"费别：", false, {4200, 8640, 1815, kFieldHeight}, 5},
}};

// Inside a field's container: caption at (60, 60); the field at top 30 from the caption's width + 75 to
// 60 twips before the right edge of the container; the underline at y 250, 60 twips beyond the field.
constexpr int kCaptionLeft = 60;
constexpr int kCaptionTop = 60;
constexpr int kFieldTop = 30;
constexpr int kFieldTextHeight = 225;
constexpr int kUnderlineY = 250;

// Suggestion lists below their fields, over the sheet.
constexpr Rect kPatientList{840, 1260, 1275, 1110};   // List5, field 0
constexpr Rect kAddressList{1620, 1560, 2595, 1110};  // List4, field 4
constexpr Rect kDiagnosisList{840, 1860, 2235, 1110}; // List3, field 6

// The item text R1 in the three layouts of the sheet.
enum class Layout { WideHerbal, NarrowHerbal, Western };
constexpr int kItemsTop = 2640;
constexpr int kItemsHeight = 4755;
// The width of R1's scroll bar, which shows while the item text is taller than the box.
constexpr int kItemsScrollBarPixels = 16;
constexpr Rect itemsRect(Layout layout) {
    switch (layout) {
    case Layout::WideHerbal:
        return {660, kItemsTop, 5655, kItemsHeight};
    case Layout::NarrowHerbal:
        return {840, kItemsTop, 5115, kItemsHeight};
    case Layout::Western:
        break;
    }
    return {1380, kItemsTop, 4575, kItemsHeight};
}

// The pricing panel (Picture3) and its parts, relative to the panel.
constexpr Rect kPricingPanel{10080, 840, 4875, 7845};
constexpr int kHeaderButtonHeight = 275;
struct ColumnHeader {
    const char16_t* caption;
    int left;
    int width;
};
inline constexpr std::array<ColumnHeader, 6> kColumnHeaders{{
    {u"药物名称", 0, 1620},
    {u"数量", 1620, 480},
    {u"单位", 2100, 540},
    {u"单价", 2640, 720},
    {u"金额", 3360, 735},
    {u"斗位", 4080, 480},
}};
constexpr Rect kLinesContainer{0, 240, 5235, 11295}; // Picture1
constexpr Rect kTotalsBar{0, 7500, 4575, 315};       // Picture5
constexpr int kDoseCaptionLeft = 60;                 // Label17
constexpr int kTotalCaptionLeft = 2340;              // Label14
constexpr int kTotalLeft = 3600;                     // Label16
constexpr Rect kScrollBar{4575, kHeaderButtonHeight, 300, 7500 - kHeaderButtonHeight};

// One priced line i: background at h·i − 15, cells at h·i + 45, separator at y 300 + h·i.
constexpr int kLineHeight = 315;
constexpr int kLineWidth = 4575;
constexpr int kSeparatorRight = 4560;
constexpr int kLabelCellHeight = 195;
constexpr int kTextCellHeight = 225;
struct Cell {
    int left;
    int width;
};
constexpr Cell kNameCell{60, 1515};      // Lb2
constexpr Cell kQuantityCell{1680, 375}; // Lb3
constexpr Cell kUnitCell{2160, 375};     // Lb4
constexpr Cell kPriceCell{2700, 615};    // Lb5
constexpr Cell kAmountCell{3420, 615};   // Lb6
constexpr Cell kDrawerCell{4140, 375};   // Lb7
constexpr Cell kCategoryCell{4860, 375}; // Lb8
constexpr int lineTop(int line) {
    return kLineHeight * line + 45;
}
constexpr int lineBackgroundTop(int line) {
    return kLineHeight * line - 15;
}
constexpr int separatorY(int line) {
    return 300 + kLineHeight * line;
}

// The pricing buttons below the panel.
constexpr Rect kSettleButton{10080, 8790, 1170, 420};     // Command4 "划价结算"
constexpr Rect kUndoButton{11315, 8790, 1170, 420};       // Command9 "撤消结算"
constexpr Rect kDrawerSortButton{12550, 8790, 1380, 420}; // Command12 "按斗位排序"
constexpr Rect kTicketButton{13995, 8790, 960, 420};      // "取药单"

// The search panel.
constexpr Rect kSearchCaption{60, 1695, 1300, 255};
constexpr Rect kSearchBox{1380, 1650, 2295, 315}; // Text1
struct CategoryButton {
    const char16_t* caption;
    Rect rect;
};
// Indexed by category number: 0 中药, 1 西成药, 2 收费项目, 3 用法, 4 西成药组套, 5 中药方剂.
inline constexpr std::array<CategoryButton, 6> kCategoryButtons{{
    {u"中药", {60, 840, 915, 345}},
    {u"西成药", {1020, 840, 855, 345}},
    {u"收费项目", {1920, 840, 915, 345}},
    {u"用法", {2880, 840, 795, 345}},
    {u"西成药组套", {1920, 1230, 1755, 345}},
    {u"中药方剂", {60, 1230, 1815, 345}},
}};
inline constexpr std::array<const char16_t*, 8> kLetterPad{
    {u"ABCD", u"EFGH", u"IJKL", u"MNOP", u"QRST", u"UVWX", u"YZ", u"←"}};
constexpr int kLetterPadTop = 2040;
constexpr int kLetterPadHeight = 315;
constexpr Rect kPickList{60, 2400, 3615, 3480}; // List1

// The history panel.
constexpr Rect kNameFilterCaption{60, 5985, 880, 255};
constexpr Rect kNameFilter{960, 5940, 1635, 315}; // Text2
constexpr Rect kDateCaption{60, 6405, 880, 255};
constexpr Rect kStartDate{960, 6360, 1635, 315};        // Text3
constexpr Rect kEndDate{960, 6780, 1635, 315};          // Text4
constexpr Rect kQueryButton{2700, 5925, 975, 345};      // Command7 "查   询"
constexpr Rect kTodayButton{2700, 6345, 975, 345};      // Command2 "今日患者"
constexpr Rect kPatientButton{2700, 6765, 975, 345};    // Command11 "历史处方"
constexpr Rect kPreviousDayButton{120, 6795, 375, 300}; // Command5 "<<"
constexpr Rect kNextDayButton{510, 6795, 375, 300};     // Command6 ">>"
constexpr Rect kHistoryList{60, 7230, 3615, 2220};      // List2
constexpr int kRecordMenuMaxTop = 8580;

// The toolbar along the top.
constexpr int kToolbarTop = 45;
constexpr int kToolbarButtonWidth = 1230;
constexpr int kToolbarButtonHeight = 735;
constexpr int kToolbarButtonStep = 1290;
constexpr int kToolbarLeft = 60;

} // namespace lichuan::sheetgeometry

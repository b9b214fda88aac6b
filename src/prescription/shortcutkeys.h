#pragma once
// The keys of the prescription window: one table that the window wires, its tooltips show and the help page
// lists. Keys are written in the portable form ("Ctrl+S", "Alt+1", "Shift+F9").

#include <QString>
#include <array>

namespace lichuan {

// What a key does; the toolbar's keys come first, in the order of the toolbar.
enum class SheetKey {
    New,            // 新建
    Renew,          // 续开
    Save,           // 保存
    Print,          // 打印
    Log,            // 日志
    SaveAsSet,      // 存为组套
    CaseRecord,     // 门诊病历
    Statistics,     // 统计
    Help,           // 操作帮助
    Copy,           // 复制处方
    About,          // 联系作者
    PrintPreview,   // 打印预览 (the print button's right-click menu)
    ExportPdf,      // 输出PDF (the print button's right-click menu)
    Settle,         // 划价结算
    UndoSettlement, // 撤消结算
    DrawerSort,     // 按斗位排序
    Ticket,         // 取药单
    Herbs,          // 中药
    WesternDrugs,   // 西成药
    ChargeItems,    // 收费项目
    Usages,         // 用法
    HerbalFormulas, // 中药方剂
    WesternSets,    // 西成药组套
    DoseCount,      // to the dose count
    LastQuantity,   // to the quantity of the last item
    HistoryFilter,  // to the name filter of the history
    HistoryQuery,   // 查   询
    TodaysPatients, // 今日患者
    PatientHistory, // 历史处方
    PreviousDay,    // <<
    NextDay,        // >>
};

struct SheetKeyInfo {
    SheetKey key;
    const char* keys;        // portable key text
    const char16_t* caption; // what the key does, as the help page names it
};

inline constexpr std::array<SheetKeyInfo, 31> kSheetKeys{{
    {SheetKey::New, "Ctrl+N", u"新建"},
    {SheetKey::Renew, "Ctrl+R", u"续开"},
    {SheetKey::Save, "Ctrl+S", u"保存"},
    {SheetKey::Print, "Ctrl+P", u"打印"},
    {SheetKey::Log, "Ctrl+L", u"日志"},
    {SheetKey::SaveAsSet, "Ctrl+Shift+S", u"存为组套"},
    {SheetKey::CaseRecord, "Ctrl+B", u"门诊病历"},
    {SheetKey::Statistics, "Ctrl+T", u"统计"},
    {SheetKey::Help, "F1", u"操作帮助"},
    {SheetKey::Copy, "Ctrl+Shift+C", u"复制处方"},
    {SheetKey::About, "Shift+F1", u"联系作者"},
    {SheetKey::PrintPreview, "Ctrl+Shift+P", u"打印预览"},
    {SheetKey::ExportPdf, "Ctrl+E", u"输出PDF"},
    {SheetKey::Settle, "F9", u"划价结算"},
    {SheetKey::UndoSettlement, "Shift+F9", u"撤消结算"},
    {SheetKey::DrawerSort, "F8", u"按斗位排序"},
    {SheetKey::Ticket, "Ctrl+Shift+D", u"取药单"},
    // The categories in the order the buttons are read: the first row, then the second.
    {SheetKey::Herbs, "Alt+1", u"中药"},
    {SheetKey::WesternDrugs, "Alt+2", u"西成药"},
    {SheetKey::ChargeItems, "Alt+3", u"收费项目"},
    {SheetKey::Usages, "Alt+4", u"用法"},
    {SheetKey::HerbalFormulas, "Alt+5", u"中药方剂"},
    {SheetKey::WesternSets, "Alt+6", u"西成药组套"},
    {SheetKey::DoseCount, "Ctrl+D", u"中药剂数"},
    {SheetKey::LastQuantity, "F2", u"修改最后一项的数量"},
    {SheetKey::HistoryFilter, "Ctrl+F", u"按姓名查找历史处方"},
    {SheetKey::HistoryQuery, "F5", u"查   询"},
    {SheetKey::TodaysPatients, "Ctrl+J", u"今日患者"},
    {SheetKey::PatientHistory, "Ctrl+H", u"历史处方"},
    {SheetKey::PreviousDay, "Alt+Left", u"<<"},
    {SheetKey::NextDay, "Alt+Right", u">>"},
}};

const SheetKeyInfo& sheetKeyInfo(SheetKey key);

// The category button (its index, as the sheet counts categories) a category key presses; -1 for other keys.
int categoryOfKey(SheetKey key);

// "保存 (Ctrl+S)": a caption followed by the key that does the same, as tooltips show it.
QString withKeyHint(const QString& caption, SheetKey key);

} // namespace lichuan

#pragma once
// The controls of the catalog window, by their design names, and the function that builds them.

#include <QString>
#include <array>

class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTableView;
class QWidget;

namespace lichuan {

class FieldEdit;

namespace catalog {
class CatalogGridModel;
}

// The fields Text3(i) of the edit panel, by what they hold.
enum ItemField {
    kItemName = 0,     // 名称
    kItemNote = 1,     // 煎法 for herbs, 规格 for the other categories
    kItemUsualQty = 2, // 常用量
    kItemPrice = 3,    // 单价
    kItemUsage = 4,    // 用法用量
    kItemDrawer = 5,   // 斗位
    kItemRemark = 6,   // 备注
    kItemPinyin = 7,   // 拼音
    kItemFieldCount = 8,
};

struct Form3Controls {
    std::array<QRadioButton*, 4> Option1{};
    QLabel* Label3 = nullptr; // the current category (hidden)
    QLabel* Label2 = nullptr; // the key of the row being edited (hidden)
    FieldEdit* Text2 = nullptr;
    QPushButton* Command1 = nullptr; // 查  询
    QTableView* grid = nullptr;      // the 19 rows of Lb1 … Lb9
    QScrollBar* VScroll1 = nullptr;
    // The fields, by ItemField.
    std::array<FieldEdit*, kItemFieldCount> Text3{};
    std::array<QComboBox*, 2> Combo1{}; // 0 单位, 1 分类
    QLabel* noteCaption = nullptr;      // Label1(1): "煎法" or "规格"
    std::array<QLabel*, 8> Label5{};    // the quick-insert labels
    QPushButton* Command2 = nullptr;    // 添  加
    QPushButton* Command3 = nullptr;    // 保  存
    QPushButton* Command4 = nullptr;    // 删  除
    QPushButton* Command8 = nullptr;    // 清  空
    QPushButton* Command6 = nullptr;    // 导  入
    QPushButton* Command7 = nullptr;    // 导出到Excel
};

// The captions of the quick-insert labels (the last two insert nothing).
inline const std::array<QString, 8> kQuickInserts = {QStringLiteral("mg"),
                                                     QStringLiteral("g"),
                                                     QStringLiteral("×"),
                                                     QStringLiteral("#"),
                                                     QStringLiteral("*"),
                                                     QStringLiteral("2粒 每日3次 口服"),
                                                     QString(),
                                                     QString()};

Form3Controls buildForm3(QWidget& form, catalog::CatalogGridModel& model);

} // namespace lichuan

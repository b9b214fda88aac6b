// Builds the controls of the catalog window: categories and search above, the grid with its scroll bars,
// the edit panel, the quick-insert labels and the buttons below.

#include "catalog/form3_build.h"

#include "catalog/cataloggrid.h"
#include "catalog/catalogrules.h"
#include "ui/buttons.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace lichuan {

namespace {

constexpr int kRowHeightTwips = 300;
constexpr std::array<int, 8> kColumnTwips = {3300, 900, 700, 1100, 2700, 800, 1300, 2400};

QPushButton* button(QWidget* parent, const QString& name, const QString& text) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    b->setMinimumWidth(twips::px(1200));
    clickOnEnter(*b);
    return b;
}

FieldEdit* field(QWidget* parent, int index) {
    auto* edit = new FieldEdit(parent);
    edit->setObjectName(QStringLiteral("Text3_%1").arg(index));
    return edit;
}

QComboBox* combo(QWidget* parent, int index) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QStringLiteral("Combo1_%1").arg(index));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert); // Enter moves on; it never adds the text to the list
    return box;
}

QLabel* caption(QWidget* parent, const QString& text, QWidget* buddy) {
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

} // namespace

Form3Controls buildForm3(QWidget& form, catalog::CatalogGridModel& model) {
    Form3Controls c;
    auto* outer = new QVBoxLayout(&form);

    // Categories and the search box.
    auto* top = new QHBoxLayout;
    auto* categories = new QGroupBox(QStringLiteral("药物分类"), &form);
    auto* categoryRow = new QHBoxLayout(categories);
    for (int i = 0; i < int(c.Option1.size()); ++i) {
        c.Option1[i] = new QRadioButton(catalog::kCategories.at(i), categories);
        c.Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        categoryRow->addWidget(c.Option1[i]);
    }
    top->addWidget(categories);
    c.Label3 = new QLabel(catalog::kHerbs, &form);
    c.Label3->setObjectName(QStringLiteral("Label3"));
    c.Label3->hide();
    c.Label2 = new QLabel(&form);
    c.Label2->setObjectName(QStringLiteral("Label2"));
    c.Label2->hide();
    c.Text2 = new FieldEdit(&form);
    c.Text2->setObjectName(QStringLiteral("Text2"));
    c.Text2->setMinimumWidth(twips::px(2600));
    top->addWidget(caption(&form, QStringLiteral("输入拼音或中文查询"), c.Text2));
    top->addWidget(c.Text2);
    c.Command1 = button(&form, QStringLiteral("Command1"), QStringLiteral("查  询"));
    top->addWidget(c.Command1);
    top->addStretch();
    outer->addLayout(top);

    // The grid: 19 rows from the scroll bar's first row; sideways it scrolls when wider than its frame.
    auto* gridRow = new QHBoxLayout;
    gridRow->setSpacing(0);
    c.grid = new QTableView(&form);
    c.grid->setObjectName(QStringLiteral("Grid"));
    c.grid->setAccessibleName(QStringLiteral("药物列表"));
    c.grid->setModel(&model);
    c.grid->verticalHeader()->hide();
    c.grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    c.grid->verticalHeader()->setDefaultSectionSize(twips::px(kRowHeightTwips));
    c.grid->horizontalHeader()->setHighlightSections(false);
    c.grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    c.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    c.grid->setSelectionMode(QAbstractItemView::NoSelection);
    c.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    c.grid->setFocusPolicy(Qt::NoFocus);
    c.grid->setShowGrid(true);
    for (int col = 0; col < int(kColumnTwips.size()); ++col)
        c.grid->setColumnWidth(col, twips::px(kColumnTwips[col]));
    const int gridHeight = c.grid->horizontalHeader()->sizeHint().height() +
                           catalog::CatalogGridModel::kVisibleRows * twips::px(kRowHeightTwips) +
                           c.grid->horizontalScrollBar()->sizeHint().height() + 2 * c.grid->frameWidth();
    c.grid->setFixedHeight(gridHeight);
    c.grid->setMinimumWidth(twips::px(10500));
    gridRow->addWidget(c.grid, 1);
    c.VScroll1 = new QScrollBar(Qt::Vertical, &form);
    c.VScroll1->setObjectName(QStringLiteral("VScroll1"));
    c.VScroll1->setFixedHeight(gridHeight);
    c.VScroll1->setPageStep(catalog::CatalogGridModel::kVisibleRows);
    gridRow->addWidget(c.VScroll1);
    outer->addLayout(gridRow);

    // The edit panel.
    auto* panel = new QGridLayout;
    for (int i = 0; i < int(c.Text3.size()); ++i)
        c.Text3[i] = field(&form, i);
    for (int i = 0; i < int(c.Combo1.size()); ++i)
        c.Combo1[i] = combo(&form, i);
    c.Combo1[1]->addItems(catalog::kCategories);
    c.noteCaption = caption(&form, QStringLiteral("煎法"), c.Text3[kItemNote]);
    c.noteCaption->setObjectName(QStringLiteral("Label1_1"));
    struct Cell {
        QWidget* label;
        QWidget* input;
    };
    const std::array<Cell, 10> cells = {{
        {caption(&form, QStringLiteral("名    称"), c.Text3[kItemName]), c.Text3[kItemName]},
        {c.noteCaption, c.Text3[kItemNote]},
        {caption(&form, QStringLiteral("常用量"), c.Text3[kItemUsualQty]), c.Text3[kItemUsualQty]},
        {caption(&form, QStringLiteral("单位"), c.Combo1[0]), c.Combo1[0]},
        {caption(&form, QStringLiteral("单价"), c.Text3[kItemPrice]), c.Text3[kItemPrice]},
        {caption(&form, QStringLiteral("用法用量"), c.Text3[kItemUsage]), c.Text3[kItemUsage]},
        {caption(&form, QStringLiteral("斗位"), c.Text3[kItemDrawer]), c.Text3[kItemDrawer]},
        {caption(&form, QStringLiteral("拼音"), c.Text3[kItemPinyin]), c.Text3[kItemPinyin]},
        {caption(&form, QStringLiteral("备注"), c.Text3[kItemRemark]), c.Text3[kItemRemark]},
        {caption(&form, QStringLiteral("分类"), c.Combo1[1]), c.Combo1[1]},
    }};
    for (int i = 0; i < int(cells.size()); ++i) {
        panel->addWidget(cells[i].label, i / 5, (i % 5) * 2);
        panel->addWidget(cells[i].input, i / 5, (i % 5) * 2 + 1);
    }
    c.Text3[kItemName]->setMinimumWidth(twips::px(2000));
    c.Text3[kItemUsage]->setMinimumWidth(twips::px(2000));
    outer->addLayout(panel);

    // Tab order, which Enter follows too.
    const std::array<QWidget*, 10> order = {
        c.Text3[kItemName],   c.Text3[kItemNote],  c.Text3[kItemUsualQty], c.Combo1[0],
        c.Text3[kItemPrice],  c.Text3[kItemUsage], c.Text3[kItemDrawer],   c.Text3[kItemPinyin],
        c.Text3[kItemRemark], c.Combo1[1]};
    for (int i = 0; i + 1 < int(order.size()); ++i)
        QWidget::setTabOrder(order[i], order[i + 1]);

    // Quick-insert labels.
    auto* quick = new QHBoxLayout;
    quick->addWidget(new QLabel(QStringLiteral("快捷输入："), &form));
    for (int i = 0; i < int(c.Label5.size()); ++i) {
        c.Label5[i] = new QLabel(kQuickInserts[i], &form);
        c.Label5[i]->setObjectName(QStringLiteral("Label5_%1").arg(i));
        c.Label5[i]->setAccessibleName(kQuickInserts[i].isEmpty()
                                           ? QStringLiteral("快捷输入")
                                           : QStringLiteral("插入") + kQuickInserts[i]);
        c.Label5[i]->setFrameShape(QFrame::StyledPanel);
        c.Label5[i]->setMinimumWidth(twips::px(450));
        c.Label5[i]->setAlignment(Qt::AlignCenter);
        c.Label5[i]->setCursor(Qt::PointingHandCursor);
        quick->addWidget(c.Label5[i]);
    }
    quick->addStretch();
    outer->addLayout(quick);

    // Buttons.
    auto* buttons = new QHBoxLayout;
    c.Command2 = button(&form, QStringLiteral("Command2"), QStringLiteral("添  加"));
    c.Command3 = button(&form, QStringLiteral("Command3"), QStringLiteral("保  存"));
    c.Command4 = button(&form, QStringLiteral("Command4"), QStringLiteral("删  除"));
    c.Command8 = button(&form, QStringLiteral("Command8"), QStringLiteral("清  空"));
    c.Command6 = button(&form, QStringLiteral("Command6"), QStringLiteral("导  入"));
    c.Command7 = button(&form, QStringLiteral("Command7"), QStringLiteral("导出到Excel"));
    for (QPushButton* b : {c.Command2, c.Command3, c.Command4, c.Command8, c.Command6, c.Command7})
        buttons->addWidget(b);
    buttons->addStretch();
    outer->addLayout(buttons);
    QWidget::setTabOrder(c.Combo1[1], c.Command3);
    return c;
}

} // namespace lichuan

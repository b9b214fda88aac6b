#pragma once
// The word-list window, built twice: "诊断名称维护" (Form5, the diagnoses offered by the sheet's diagnosis
// field) and "添加常用地址" (Form6, the addresses offered by its address field). A search as typed, the
// list, a name with its pinyin, save and delete.

#include "catalog/templaterules.h"

#include <QWidget>
#include <vector>

class QLabel;
class QListWidget;
class QPushButton;

namespace lichuan {

struct Services;
class FieldEdit;

class WordListWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WordListWindow)
public:
    WordListWindow(Services& services, const WordListKind& kind, QWidget* parent = nullptr);

    // Form5 "诊断名称维护" and Form6 "添加常用地址".
    static WordListWindow* createForm5(Services& services, QWidget* parent = nullptr);
    static WordListWindow* createForm6(Services& services, QWidget* parent = nullptr);

    const WordListKind& kind() const { return kind_; }

    void search();      // the list for the search text
    void save();        // "保  存", or Enter in the name box
    void deleteEntry(); // "删  除": the selected entry of the list as it stands

    FieldEdit* Text1 = nullptr;      // 查询
    QListWidget* List1 = nullptr;    // the names found
    FieldEdit* Text3 = nullptr;      // the name
    FieldEdit* Text5 = nullptr;      // 拼音代码
    QLabel* nameLabel = nullptr;     // "诊断名称：" / "地址名称："
    QPushButton* Command2 = nullptr; // 保  存
    QPushButton* Command1 = nullptr; // 删  除

private:
    void build();

    Services& services_;
    const WordListKind& kind_;
    std::vector<qint64> rows_; // the rowid of each list entry, in list order
};

} // namespace lichuan

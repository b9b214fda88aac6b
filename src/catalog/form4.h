#pragma once
// The template window "中药方剂/西成药组套/病历模板维护": the doctor's formulas, medicine sets and record
// phrases, listed by their ordering key, edited one at a time.

#include <QWidget>
#include <array>
#include <vector>

class QListWidget;
class QPushButton;
class QRadioButton;

namespace lichuan {

struct Services;
class CrLfTextEdit;
class FieldEdit;

class Form4 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form4)
public:
    explicit Form4(Services& services, QWidget* parent = nullptr);

    // Selects the option of a kind (TemplateKind), which reloads the list and starts a new entry.
    void selectKind(int kind);
    int kind() const { return kind_; }
    // Puts a text ("\r\n" line breaks) into the content box, as "存为组套" hands over the item text.
    void setContent(const QString& content);
    // The row being edited, -1 for a new entry not stored yet.
    qint64 editedRow() const { return rowid_; }

    // The actions of the buttons and the list.
    void startNewEntry(); // "添  加"
    void save();          // "保  存"
    void deleteEntry();   // "删  除"
    void pick(int row);   // an entry of the list chosen

    std::array<QRadioButton*, 3> Option1{}; // 西成药组套, 中药方剂, 病历模板
    QListWidget* List1 = nullptr;           // names of the current kind, by 排序
    FieldEdit* Text1 = nullptr;             // 名称
    FieldEdit* Text3 = nullptr;             // 拼音
    FieldEdit* Text4 = nullptr;             // 序号 (the ordering key 排序)
    CrLfTextEdit* Text2 = nullptr;          // 内容
    QPushButton* Command1 = nullptr;        // 添  加
    QPushButton* Command5 = nullptr;        // 保  存
    QPushButton* Command4 = nullptr;        // 删  除
    QPushButton* Command2 = nullptr;        // 退 出
    QString Label3;                         // 序号, the creation key of the entry being edited
    QString Label4;                         // the current kind's caption (分类)

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build();
    void setKind(int kind);
    void loadList();
    void closeWindow();

    Services& services_;
    int kind_ = -1;
    qint64 rowid_ = -1;        // the stored row being edited
    bool busy_ = false;        // set while a picked row is loaded, so that its stored pinyin stays
    std::vector<qint64> rows_; // the rowid of each list entry, in list order
};

} // namespace lichuan

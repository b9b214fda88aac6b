#pragma once
// The catalog window (药物维护): one category of the catalog in a searchable grid, an edit panel to change,
// add and delete items, emptying a category, and the category's spreadsheet import and export.

#include "catalog/form3_build.h"
#include "session/services.h"

#include <QWidget>

namespace lichuan {

namespace catalog {
class CatalogGridModel;
struct CatalogEntry;
} // namespace catalog

class Form3 final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form3)
public:
    explicit Form3(Services& services, QWidget* parent = nullptr);
    ~Form3() override;

    const Form3Controls& controls() const { return c_; }
    const catalog::CatalogGridModel& grid() const { return *model_; }
    QString currentCategory() const;
    QString currentKey() const;

    // The window's operations, as its buttons and events run them.
    void search();                  // 查  询
    void startNewEntry();           // 添  加
    void selectRow(int gridRow);    // a click on grid row i (xz)
    void save();                    // 保  存
    void deleteRow();               // 删  除
    void emptyCategory();           // 清  空
    void chooseCategory(int index); // Option1(i)
    void importWorkbook();          // 导  入
    void exportWorkbook();          // 导出到Excel
    void quickInsert(int label);    // a click on Label5(i)

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void connectControls();
    void searchAsTyped();
    void nameEdited(int box);
    void unitChanged(const QString& unit);
    void clearPanel();
    void setNewKey();
    void scrollToTop();
    void resetShading();
    catalog::CatalogEntry entryFromPanel() const;

    Services& services_;
    catalog::CatalogGridModel* model_;
    Form3Controls c_;
    int lastFocused_ = kItemName; // the Text3 box that last had the focus
    bool busy_ = false;           // a category switch is in progress
    bool newEntry_ = true;        // the panel holds a new entry, not yet stored
    bool replacing_ = false;
    bool shown_ = false; // shown once: the search box had the keyboard
};

} // namespace lichuan

#pragma once
// The search panel: categories, the pick list, the letter pad and the picks into the item text.

#include "data/catalog.h"

#include <QObject>
#include <map>
#include <memory>
#include <vector>

namespace lichuan {

class Form2;
class PickList;

class LookupPanel : public QObject {
    Q_OBJECT
public:
    explicit LookupPanel(Form2& form);

    // The first fill of a window that opens: every 中药 row, each entry with its usual quantity (even "0")
    // and its usage; no twin entries. It lasts until the search text changes or a category is pressed.
    void fillStartup();
    // Refills the pick list for the current category and the search text.
    void fill();
    // A press of category button k: bold button, empty search box, layout of the category; a switch between
    // herbal and Western mode starts a new prescription for the same patient.
    void switchCategory(int category);
    // A press of letter pad key k (0 … 6 type the digits 1 … 7, 7 is "←").
    void pressLetterPad(int key);
    // Puts the entry at `row` of the pick list into the item text; nothing when there is no such entry.
    void pick(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onSearchTextChanged();
    void pickTemplate(int row);
    void endPick();

    Form2& form_;
    // The template rows the pick list shows (categories 4 and 5), entry k from row k, so a pick takes the
    // content of the very row its entry was made from.
    std::vector<TemplateItem> templates_;
    // The entry and twin texts of the items of each category's list, made when an item is first listed and
    // kept while the list stays the same (the catalog has not changed).
    struct EntryTexts {
        std::shared_ptr<const std::vector<CatalogItem>> list;
        std::vector<QString> entries;
        std::vector<QString> twins;
    };
    std::map<QString, EntryTexts> entryTexts_;
};

// Makes every row of the pick list 16 pixels high.
void TallListRows(PickList* list);

} // namespace lichuan

#pragma once
// The search panel: categories, the pick list, the letter pad and the picks into the item text.

#include <QObject>

namespace lichuan {

class Form2;

class LookupPanel : public QObject {
    Q_OBJECT
public:
    explicit LookupPanel(Form2& form);

    // The first fill of a window that opens: every 中药 row, each entry with its usage, no twin entries.
    void fillStartup();
    // Refills the pick list for the current category and the search text.
    void fill();

private:
    Form2& form_;
};

} // namespace lichuan

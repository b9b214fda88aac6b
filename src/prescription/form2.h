#pragma once
// The prescription window: the sheet, the search panel, the history panel, the pricing panel and the toolbar.

#include <QWidget>

namespace lichuan {

struct Services;

class Form2 : public QWidget {
    Q_OBJECT
public:
    explicit Form2(Services& services, QWidget* parent = nullptr);
    ~Form2() override;

private:
    Services& services_;
};

} // namespace lichuan

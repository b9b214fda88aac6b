#pragma once
// The toolbar: new, renew, save, copy and the windows it opens.

#include <QObject>

namespace lichuan {

class Form2;

class Toolbar : public QObject {
    Q_OBJECT
public:
    explicit Toolbar(Form2& form);

    // Checks the sheet and writes the prescription row and the patient row; false when nothing was saved.
    bool SavePrescription();

private:
    Form2& form_;
};

} // namespace lichuan

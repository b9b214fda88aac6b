#pragma once
// The header fields: sex shortcuts, the suggestion lists of names, addresses and diagnoses, Enter walking the
// fields.

#include <QObject>

namespace lichuan {

class Form2;

class HeaderFields : public QObject {
    Q_OBJECT
public:
    explicit HeaderFields(Form2& form);

private:
    Form2& form_;
};

} // namespace lichuan

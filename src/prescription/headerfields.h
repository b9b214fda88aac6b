#pragma once
// The header fields: sex shortcuts, the suggestion lists of names, addresses and diagnoses, Enter walking the
// fields.

#include <QObject>
#include <memory>

namespace lichuan {

class PickList;

class Form2;

class HeaderFields : public QObject {
    Q_OBJECT
public:
    explicit HeaderFields(Form2& form);

    // Takes over the known patient of entry `row` of the patient suggestions: name, sex, age, fee category,
    // insurance number, address and telephone; the focus goes to the diagnosis field.
    void takeOverPatient(int row);
    // Completes the last diagnosis of the diagnosis field with entry `row` of its suggestions.
    void pickDiagnosis(int row);
    // Puts entry `row` of the address suggestions into the address field.
    void pickAddress(int row);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onTextChanged(int field);
    void onFocusIn(int field);
    bool onKeyPress(int field, int key);
    void pickFromList(PickList* list);
    void fillPatients(const QString& key);
    void fillAddresses(const QString& key);
    void fillDiagnoses(const QString& key);
    void showIfUseful(PickList* list);
    void focusFieldAtEnd(int field);
    int fieldOf(const QObject* watched) const;

    Form2& form_;
    // The patients the name found, and for entry k of the suggestions the match it shows: a patient without
    // a readable birth year has no entry and shifts nothing.
    struct ShownPatients;
    std::shared_ptr<ShownPatients> patients_;
};

} // namespace lichuan

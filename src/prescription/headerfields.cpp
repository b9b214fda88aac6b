#include "prescription/headerfields.h"

#include "data/clock.h"
#include "data/lookups.h"
#include "data/record.h"
#include "data/textrules.h"
#include "prescription/form2.h"
#include "prescription/headerrules.h"
#include "prescription/sheetactions.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/fieldedit.h"
#include "ui/listkeys.h"
#include "ui/picklist.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>

namespace lichuan {

namespace {} // namespace

HeaderFields::HeaderFields(Form2& form) : form_(form) {
    SheetControls& s = form_.sheet;
    for (size_t i = 0; i < s.Text5.size(); ++i) {
        FieldEdit* field = s.Text5[i];
        connect(field, &QLineEdit::textChanged, this, [this, i] { onTextChanged(static_cast<int>(i)); });
        field->installEventFilter(this);
    }
    for (PickList* list : {s.List3, s.List4, s.List5}) {
        list->installEventFilter(this);
        connect(list, &PickList::rowDoubleClicked, this, [this, list] { pickFromList(list); });
    }
}

int HeaderFields::fieldOf(const QObject* watched) const {
    const auto& fields = form_.sheet.Text5;
    for (size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] == watched)
            return static_cast<int>(i);
    }
    return -1;
}

bool HeaderFields::eventFilter(QObject* watched, QEvent* event) {
    const int field = fieldOf(watched);
    if (field >= 0) {
        switch (event->type()) {
        case QEvent::FocusIn: {
            // The window coming back to the front (after a message box, another window) is no move of
            // the focus within the sheet.
            const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
                onFocusIn(field);
            break;
        }
        case QEvent::KeyPress:
            if (onKeyPress(field, static_cast<QKeyEvent*>(event)->key()))
                return true;
            break;
        case QEvent::MouseButtonRelease:
            // A click on the sex field alternates 男 and 女.
            if (field == kSex && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
                FieldEdit* sex = form_.sheet.Text5[kSex];
                sex->setText(sexAfterClick(sex->text()));
                sex->end(false);
            }
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress && isEnterKey(static_cast<QKeyEvent*>(event)->key())) {
        pickFromList(qobject_cast<PickList*>(watched));
        return true;
    }
    return QObject::eventFilter(watched, event);
}

void HeaderFields::onTextChanged(int field) {
    FieldEdit* edit = form_.sheet.Text5[static_cast<size_t>(field)];
    if (field == kSex) {
        // The shortcut works also while the program writes the fields.
        const QString sex = sexShortcut(edit->text());
        if (sex != edit->text()) {
            edit->setText(sex);
            edit->end(false);
        }
        return;
    }
    if (form_.state.SuggestSuppressed)
        return;
    if (field == kDiagnosis)
        fillDiagnoses(diagnosisKey(edit->text()));
    else if (field == kAddress)
        fillAddresses(trimSpaces(edit->text()));
    else if (field == kName && namePromptsPatients(edit->text()))
        fillPatients(edit->text());
}

void HeaderFields::onFocusIn(int field) {
    form_.actions().hideSuggestions();
    if (form_.state.SuggestSuppressed)
        return;
    // An empty diagnosis or address field shows its whole dictionary.
    const QString text = form_.sheet.Text5[static_cast<size_t>(field)]->text();
    if (field == kDiagnosis)
        fillDiagnoses(text);
    else if (field == kAddress)
        fillAddresses(text);
}

bool HeaderFields::onKeyPress(int field, int key) {
    if (key == Qt::Key_Down) {
        PickList* list = nullptr;
        if (field == kName)
            list = form_.sheet.List5;
        else if (field == kAddress)
            list = form_.sheet.List4;
        else if (field == kDiagnosis)
            list = form_.sheet.List3;
        if (list) {
            if (list->isVisible())
                list->setFocus();
            if (list->count() > 0)
                list->setCurrentRow(0);
        }
        return true;
    }
    if (isEnterKey(key)) {
        // Enter moves on like Tab: fields 0 … 6, then the search box.
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(form_.sheet.Text5[static_cast<size_t>(field)], &tab);
        return true;
    }
    return false;
}

// The patients one keystroke found and which of them the suggestions show: those with a readable birth
// year. The texts (张三[35岁]) are made as the list shows them.
struct HeaderFields::ShownPatients {
    ShownPatients(PatientMatches found, int currentYear) : matches(std::move(found)), texts(currentYear) {}

    PatientMatches matches;
    std::vector<std::size_t> shown; // entry k shows matches[shown[k]]
    PatientEntries texts;
};

void HeaderFields::fillPatients(const QString& key) {
    PickList* list = form_.sheet.List5;
    list->hide();
    const Database* db = form_.services().state.mainDb.get();
    const int year = form_.services().clock.today().year();
    auto patients = std::make_shared<ShownPatients>(db ? findPatients(*db, key) : PatientMatches(), year);
    patients->shown.reserve(patients->matches.size());
    for (std::size_t k = 0; k < patients->matches.size(); ++k) {
        if (ageFromBirthYear(patients->matches.birthYear(k), year, nullptr))
            patients->shown.push_back(k);
    }
    patients_ = patients;
    list->setEntries(int(patients->shown.size()), [patients](int row) {
        const std::size_t k = patients->shown[std::size_t(row)];
        return patients->texts.text(patients->matches.name(k), patients->matches.birthYear(k))
            .value_or(QString());
    });
    showIfUseful(list);
}

void HeaderFields::fillAddresses(const QString& key) {
    PickList* list = form_.sheet.List4;
    list->hide();
    const Database* db = form_.services().state.mainDb.get();
    list->setEntries(db ? suggestAddresses(*db, key) : QStringList());
    showIfUseful(list);
}

void HeaderFields::fillDiagnoses(const QString& key) {
    PickList* list = form_.sheet.List3;
    list->hide();
    const Database* db = form_.services().state.mainDb.get();
    list->setEntries(db ? suggestDiagnoses(*db, key) : QStringList());
    showIfUseful(list);
}

void HeaderFields::showIfUseful(PickList* list) {
    if (list->count() > 0 && !form_.state.SuggestSuppressed) {
        list->show();
        list->raise();
    }
}

void HeaderFields::focusFieldAtEnd(int field) {
    FieldEdit* edit = form_.sheet.Text5[static_cast<size_t>(field)];
    edit->end(false);
    edit->setFocus();
    edit->end(false);
}

void HeaderFields::pickFromList(PickList* list) {
    if (!list)
        return;
    const int row = list->currentRow();
    if (row < 0)
        return;
    if (list == form_.sheet.List3)
        pickDiagnosis(row);
    else if (list == form_.sheet.List4)
        pickAddress(row);
    else if (list == form_.sheet.List5)
        takeOverPatient(row);
}

void HeaderFields::pickDiagnosis(int row) {
    PickList* list = form_.sheet.List3;
    if (row < 0 || row >= list->count())
        return;
    FieldEdit* diagnosis = form_.sheet.Text5[kDiagnosis];
    diagnosis->setText(completeDiagnosis(diagnosis->text(), list->text(row)));
    focusFieldAtEnd(kDiagnosis);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    list->hide();
}

void HeaderFields::pickAddress(int row) {
    PickList* list = form_.sheet.List4;
    if (row < 0 || row >= list->count())
        return;
    form_.sheet.Text5[kAddress]->setText(list->text(row));
    focusFieldAtEnd(kAddress);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    list->hide();
}

void HeaderFields::takeOverPatient(int row) {
    if (!patients_ || row < 0 || static_cast<size_t>(row) >= patients_->shown.size())
        return;
    const PatientRow patient = patients_->matches.row(patients_->shown[static_cast<size_t>(row)]);
    SheetControls& s = form_.sheet;
    form_.state.SuggestSuppressed = true;
    s.Text5[kName]->setText(patient.name);
    s.Text5[kSex]->setText(patient.sex);
    s.Text5[kAge]->setText(
        patientAgeText(patient, form_.services().clock.today().year()).value_or(QString()));
    s.Text5[kFeeCategory]->setText(patient.fee);
    s.Text5[kInsuranceNumber]->setText(patient.insurance);
    s.Text5[kAddress]->setText(patient.address);
    s.Text5[kPhone]->setText(patient.phone);
    form_.state.SuggestSuppressed = false;
    s.List5->hide();
    focusFieldAtEnd(kDiagnosis);
}

} // namespace lichuan

#pragma once
// The clinical checks on the prescription window: the warning strip at the foot of the item box (shown only
// while the items break a rule; the box gives it the room), the 妊娠 box beside 性别 (shown for a female
// patient; Alt+Y), and the confirmation that 保存, 打印 and 划价结算 ask for while the sheet has hard
// warnings.

#include "data/record.h"
#include "safety/check.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

class QCheckBox;
class QLabel;

namespace lichuan {

class Form2;

class SafetyPanel : public QObject {
    Q_OBJECT
public:
    explicit SafetyPanel(Form2& form);

    // Checks the sheet again and shows what it breaks (the item text, the sex, the age or the mode changed).
    void refresh();
    // Puts the strip and the item box where the sheet's layout wants them.
    void placeStrip();

    // Before 保存, 打印 or 划价结算 (`action`): true when the action may go on, that is, the sheet has no
    // hard warning, a confirmation of the same warnings, or the doctor confirms them now ("确认用药" with a
    // reason).
    bool confirmHardWarnings(const QString& action);

    // What the sheet keeps with its prescription: the 妊娠 mark, and the confirmation while it still covers
    // the sheet's hard warnings.
    ClinicalNote note() const;
    // Takes the note of a prescription loaded back.
    void takeNote(const ClinicalNote& note);
    // A new prescription (new key) starts without a confirmation.
    void startNewPrescription();
    // The line the printed prescription shows under the items: "医师确认：<reason>", or empty.
    QString printedConfirmation() const;

    const std::vector<safety::Warning>& warnings() const { return warnings_; }
    QLabel* strip() const { return strip_; }
    QCheckBox* pregnant() const { return pregnant_; }

    // Asks the doctor to confirm `warnings` before `action`; the reason, or nothing for "返回修改". The
    // "用药警示" dialog unless replaced.
    std::function<std::optional<QString>(const QStringList& warnings, const QString& action)> askReason;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sexChanged();
    safety::Patient patient() const;

    Form2& form_;
    QLabel* strip_ = nullptr;
    QCheckBox* pregnant_ = nullptr;
    std::vector<safety::Warning> warnings_;
    QString shownText_;
    ClinicalNote confirmation_; // its `pregnant` is not used: the box holds that
};

} // namespace lichuan

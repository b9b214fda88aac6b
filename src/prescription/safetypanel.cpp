#include "prescription/safetypanel.h"

#include "data/clock.h"
#include "data/textrules.h"
#include "prescription/form2.h"
#include "prescription/form2_build.h"
#include "prescription/safetydialog.h"
#include "prescription/safetyitems.h"
#include "prescription/sheetactions.h"
#include "safety/rulecache.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSysInfo>

namespace lichuan {

namespace geo = sheetgeometry;

namespace {

// The 妊娠 box: beside the header's 性别 column, in the room between the diagnosis and the items.
constexpr geo::Rect kPregnantBox{1980, 1995, 1100, 285};
// The strip takes at most this share of the item box.
constexpr double kStripShare = 0.4;
const QColor kHard(192, 0, 0);
const QColor kSoft(160, 80, 0);

QString escaped(const QString& text) {
    return text.toHtmlEscaped();
}

bool isAltY(const QEvent* event) {
    const auto* key = static_cast<const QKeyEvent*>(event);
    return key->key() == Qt::Key_Y && (key->modifiers() & ~Qt::KeypadModifier) == Qt::AltModifier;
}

} // namespace

SafetyPanel::SafetyPanel(Form2& form) : form_(form) {
    SheetControls& s = form_.sheet;
    strip_ = new QLabel(s.Picture2);
    strip_->setObjectName(QStringLiteral("safetyStrip"));
    strip_->setFont(songFont(9));
    strip_->setWordWrap(true);
    strip_->setTextFormat(Qt::RichText);
    strip_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    strip_->setAutoFillBackground(true);
    strip_->setMargin(2);
    QPalette palette = strip_->palette();
    palette.setColor(QPalette::Window, QColor(255, 246, 230));
    strip_->setPalette(palette);
    strip_->hide();

    pregnant_ = new QCheckBox(QStringLiteral("妊娠"), s.Picture2);
    pregnant_->setObjectName(QStringLiteral("pregnant"));
    pregnant_->setFont(songFont(9.75));
    pregnant_->setGeometry(
        twips::rect(kPregnantBox.left, kPregnantBox.top, kPregnantBox.width, kPregnantBox.height));
    pregnant_->setAccessibleName(QStringLiteral("妊娠"));
    pregnant_->setToolTip(QStringLiteral("妊娠 (Alt+Y)：孕妇禁用的药须医师确认"));
    pregnant_->setFocusPolicy(Qt::ClickFocus);
    pregnant_->hide();

    connect(s.R1, &QPlainTextEdit::textChanged, this, &SafetyPanel::refresh);
    connect(s.Text5[kSex], &QLineEdit::textChanged, this, &SafetyPanel::sexChanged);
    connect(s.Text5[kAge], &QLineEdit::textChanged, this, &SafetyPanel::refresh);
    connect(pregnant_, &QCheckBox::toggled, this, &SafetyPanel::refresh);
    // Alt+Y must reach the box before the menu bar's 药物维护(Y) and before the focused field, which would
    // take it as the letter y: the key is watched where it enters, for the widgets of this window only.
    qApp->installEventFilter(this);

    askReason = [this](const QStringList& warnings, const QString& action) -> std::optional<QString> {
        SafetyDialog dialog(warnings, action, &form_);
        if (dialog.exec() != QDialog::Accepted)
            return std::nullopt;
        return dialog.reason();
    };
}

bool SafetyPanel::eventFilter(QObject* watched, QEvent* event) {
    // Alt+Y ticks 妊娠 while the box is shown and the focus is in this window.
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && isAltY(event) &&
        pregnant_->isVisible() && watched->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(watched);
        if (widget == &form_ || form_.isAncestorOf(widget)) {
            if (type == QEvent::KeyPress)
                pregnant_->toggle();
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

void SafetyPanel::sexChanged() {
    const bool female = form_.sheet.Text5[kSex]->text().contains(QStringLiteral("女"));
    if (!female)
        pregnant_->setChecked(false);
    pregnant_->setVisible(female);
    refresh();
}

safety::Patient SafetyPanel::patient() const {
    return {form_.sheet.Text5[kSex]->text(), form_.sheet.Text5[kAge]->text(), pregnant_->isChecked()};
}

void SafetyPanel::refresh() {
    const Database* main = form_.services().state.mainDb.get();
    if (!main) {
        warnings_.clear();
    } else {
        const auto rules = safety::currentRules(*main);
        warnings_ = safety::check(herbsOfItemText(form_.sheet.R1->text(), form_.actions().herbalMode()),
                                  patient(), *rules);
    }
    const QStringList entries = safety::stripEntries(warnings_);
    QStringList shown;
    QStringList hardOnes;
    for (std::size_t i = 0, e = 0; i < warnings_.size() && e < std::size_t(entries.size()); ++e) {
        // An entry stands for the warnings of one kind and hardness in a row.
        const bool hard = warnings_[i].hard;
        const safety::Kind kind = warnings_[i].kind;
        while (i < warnings_.size() && warnings_[i].hard == hard && warnings_[i].kind == kind)
            ++i;
        const QString& entry = entries.at(qsizetype(e));
        shown << QStringLiteral("<span style=\"color:%1;%2\">%3</span>")
                     .arg((hard ? kHard : kSoft).name(),
                          hard ? QStringLiteral("font-weight:bold") : QString(), escaped(entry));
        if (hard)
            hardOnes << entry;
    }
    // The same texts may change their hardness (妊娠 ticked): the shown text is compared whole.
    const QString html = shown.join(QStringLiteral("；"));
    if (html == shownText_)
        return;
    shownText_ = html;
    const QString plain = entries.join(QStringLiteral("；"));
    strip_->setText(html);
    strip_->setAccessibleName(plain.isEmpty() ? QString() : QStringLiteral("用药警示：") + plain);
    strip_->setAccessibleDescription(hardOnes.isEmpty() ? QString()
                                                        : QStringLiteral("须医师确认：") +
                                                              hardOnes.join(QStringLiteral("；")));
    strip_->setToolTip(entries.join(QLatin1Char('\n')));
    placeStrip();
}

void SafetyPanel::placeStrip() {
    const geo::Rect items = geo::itemsRect(form_.state.layout);
    const QRect box = twips::rect(items.left, items.top, items.width, items.height);
    if (shownText_.isEmpty()) {
        strip_->hide();
        form_.sheet.R1->setGeometry(box);
        form_.actions().fitItemScrollBar();
        return;
    }
    const int most = int(box.height() * kStripShare);
    const int height = std::min(most, strip_->heightForWidth(box.width()) + 2);
    strip_->setGeometry(box.left(), box.bottom() + 1 - height, box.width(), height);
    form_.sheet.R1->setGeometry(box.left(), box.top(), box.width(), box.height() - height);
    strip_->show();
    strip_->raise();
    // The box is shorter now: it may need its scroll bar, and then wraps narrower.
    form_.actions().fitItemScrollBar();
}

bool SafetyPanel::confirmHardWarnings(const QString& action) {
    refresh();
    const QString hard = safety::hardWarningsText(warnings_);
    if (hard.isEmpty() ||
        (confirmation_.confirmed() && safety::confirmationCovers(confirmation_.warnings, warnings_)))
        return true;
    const std::optional<QString> reason = askReason ? askReason(hard.split(kCrLf), action) : std::nullopt;
    if (!reason || reason->isEmpty())
        return false;
    const ProcessState& state = form_.services().state;
    QString station = QSysInfo::machineHostName();
    if (!state.StationSuffix.isEmpty())
        station += QLatin1Char(' ') + state.StationSuffix;
    confirmation_.reason = *reason;
    confirmation_.warnings = hard;
    confirmation_.time = form_.services().clock.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    confirmation_.station = station;
    return true;
}

ClinicalNote SafetyPanel::note() const {
    ClinicalNote note;
    note.pregnant = pregnant_->isChecked();
    const QString hard = safety::hardWarningsText(warnings_);
    if (!hard.isEmpty() && confirmation_.confirmed() &&
        safety::confirmationCovers(confirmation_.warnings, warnings_)) {
        note.reason = confirmation_.reason;
        note.warnings = confirmation_.warnings;
        note.time = confirmation_.time;
        note.station = confirmation_.station;
    }
    return note;
}

void SafetyPanel::takeNote(const ClinicalNote& note) {
    confirmation_ = note;
    confirmation_.pregnant = false;
    pregnant_->setChecked(note.pregnant && !pregnant_->isHidden());
    refresh();
}

void SafetyPanel::startNewPrescription() {
    confirmation_ = ClinicalNote();
}

QString SafetyPanel::printedConfirmation() const {
    const ClinicalNote kept = note();
    return kept.confirmed() ? QStringLiteral("医师确认：") + kept.reason : QString();
}

} // namespace lichuan

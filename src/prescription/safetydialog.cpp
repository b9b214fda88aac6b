#include "prescription/safetydialog.h"

#include "data/textrules.h"
#include "prescription/form2_build.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace lichuan {

SafetyDialog::SafetyDialog(const QStringList& warnings, const QString& action, QWidget* parent)
    : QDialog(parent), warnings_(warnings) {
    setObjectName(QStringLiteral("SafetyDialog"));
    setWindowTitle(QStringLiteral("用药警示"));
    setFont(songFont(10.5));
    auto* layout = new QVBoxLayout(this);

    auto* heading = new QLabel(QStringLiteral("本处方有以下用药警示，%1前须由医师确认：").arg(action), this);
    layout->addWidget(heading);
    QStringList lines;
    for (const QString& warning : warnings)
        lines << warning.toHtmlEscaped();
    warningList = new QLabel(this);
    warningList->setObjectName(QStringLiteral("warningList"));
    warningList->setTextFormat(Qt::RichText);
    warningList->setText(QStringLiteral("<div style=\"color:#c00000;font-weight:bold\">%1</div>")
                             .arg(lines.join(QStringLiteral("<br>"))));
    warningList->setAccessibleName(warnings.join(QStringLiteral("；")));
    layout->addWidget(warningList);

    auto* caption = new QLabel(QStringLiteral("用药理由(&R)："), this);
    reasonEdit = new QLineEdit(this);
    reasonEdit->setObjectName(QStringLiteral("reason"));
    reasonEdit->setMaxLength(kReasonLength);
    reasonEdit->setMinimumWidth(360);
    caption->setBuddy(reasonEdit);
    layout->addWidget(caption);
    layout->addWidget(reasonEdit);

    auto* buttons = new QHBoxLayout;
    confirmButton = new QPushButton(QStringLiteral("确认用药"), this);
    backButton = new QPushButton(QStringLiteral("返回修改"), this);
    confirmButton->setEnabled(false);
    // Enter confirms once a reason is written; without one it does nothing.
    confirmButton->setDefault(true);
    backButton->setAutoDefault(false);
    buttons->addStretch();
    buttons->addWidget(confirmButton);
    buttons->addWidget(backButton);
    layout->addLayout(buttons);

    connect(reasonEdit, &QLineEdit::textChanged, this,
            [this] { confirmButton->setEnabled(!reason().isEmpty()); });
    connect(confirmButton, &QPushButton::clicked, this, [this] {
        if (!reason().isEmpty())
            accept();
    });
    connect(backButton, &QPushButton::clicked, this, &QDialog::reject);
    reasonEdit->setFocus();
}

QString SafetyDialog::reason() const {
    return trimSpaces(reasonEdit->text());
}

} // namespace lichuan

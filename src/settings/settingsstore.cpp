#include "settings/settingsstore.h"

#include "data/settingsrow.h"

namespace lichuan {

SettingsStore::SettingsStore(const Database* main, QString startupPrinter,
                             std::function<QString()> currentDefaultPrinter)
    : main_(main), startupPrinter_(std::move(startupPrinter)),
      currentDefaultPrinter_(std::move(currentDefaultPrinter)) {}

const SettingsValues& SettingsStore::values() {
    if (!filled_)
        fill();
    return values_;
}

void SettingsStore::fill() {
    values_ = SettingsValues{};
    values_.fontName = QStringLiteral("宋体");
    values_.fontSize = QStringLiteral("14");

    const QString systemDefault = currentDefaultPrinter_ ? currentDefaultPrinter_() : QString();
    for (QString* printer : {&values_.defaultPrinter, &values_.prescriptionPrinter, &values_.recordPrinter,
                             &values_.ticketPrinter}) {
        if (printer->isEmpty())
            *printer = systemDefault;
    }

    if (main_) {
        if (const std::optional<SettingsRow> row = readSettingsRow(*main_)) {
            const auto column = [&row](const char* name) {
                return row->value(QString::fromUtf8(name), QStringLiteral(""));
            };
            values_.clinicName = column("单位名称");
            values_.doctor = column("医师");
            values_.dispenser = column("发药人");
            values_.feeCategory = column("费别");
            values_.department = column("科别");
            values_.defaultPrinter = column("默认打印机");
            values_.prescriptionPrinter = column("处方打印机");
            values_.recordPrinter = column("打印机2");
            values_.ticketPrinter = column("打印机3");
            values_.fontName = column("处方字体");
            values_.fontSize = column("处方字号");
            values_.leftMargin = column("左边距");
            values_.topMargin = column("上边距");
            values_.recordLeftMargin = column("左边距1");
            values_.recordTopMargin = column("上边距1");
            values_.ticketLeftMargin = column("左边距2");
            values_.ticketTopMargin = column("上边距2");
            values_.ticketAfterSettlement = column("结算后打印取药单");
        }
    }

    for (QString* printer : {&values_.prescriptionPrinter, &values_.recordPrinter, &values_.ticketPrinter}) {
        if (printer->isEmpty())
            *printer = startupPrinter_;
    }
    filled_ = true;
}

} // namespace lichuan

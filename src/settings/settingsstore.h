#pragma once
// The in-memory copy of the settings row that every window reads: filled on the first read, kept until
// dropped (by the settings window's save, cancel, password change or reopening).

#include <QString>
#include <functional>

namespace lichuan {

class Database;

struct SettingsValues {
    QString clinicName;          // 单位名称
    QString doctor;              // 医师
    QString dispenser;           // 发药人
    QString feeCategory;         // 费别
    QString department;          // 科别
    QString defaultPrinter;      // 默认打印机
    QString prescriptionPrinter; // 处方打印机
    QString recordPrinter;       // 打印机2
    QString ticketPrinter;       // 打印机3
    QString fontName;            // 处方字体
    QString fontSize;            // 处方字号
    QString leftMargin;          // 左边距
    QString topMargin;           // 上边距
    QString recordLeftMargin;    // 左边距1
    QString recordTopMargin;     // 上边距1
    QString ticketLeftMargin;    // 左边距2
    QString ticketTopMargin;     // 上边距2
    // 结算后打印取药单: "1" prints the pick-up ticket after every settlement.
    QString ticketAfterSettlement;

    bool printsTicketAfterSettlement() const { return ticketAfterSettlement == QLatin1String("1"); }
};

class SettingsStore {
public:
    // `main` may be null (the database could not be opened). `currentDefaultPrinter` tells the system's
    // default printer at the moment of a fill.
    SettingsStore(const Database* main, QString startupPrinter,
                  std::function<QString()> currentDefaultPrinter);

    // The values, filled from the row first when the store is empty.
    const SettingsValues& values();
    bool isFilled() const { return filled_; }
    void drop() { filled_ = false; }
    // Reads from another connection from now on (the main database was replaced); the store is dropped.
    void reconnect(const Database* main) {
        main_ = main;
        filled_ = false;
    }

private:
    void fill();

    const Database* main_;
    QString startupPrinter_;
    std::function<QString()> currentDefaultPrinter_;
    SettingsValues values_;
    bool filled_ = false;
};

} // namespace lichuan

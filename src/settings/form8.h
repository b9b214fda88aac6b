#pragma once
// The settings window "综合设置": clinic and staff names, default department and fee category, printers,
// print font and margins (the pick-up ticket's printer, margins and whether it prints after every settlement
// among them), and the login password. Opening it fills the settings store from the row; saving,
// cancelling, a password change that was stored and closing drop the store, so the next reader sees the row.

#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace lichuan {

struct Services;
struct SettingsValues;

class Form8 : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Form8)
public:
    // `installedPrinters` lists the device names of the printers installed on the system.
    Form8(Services& services, std::function<QStringList()> installedPrinters, QWidget* parent = nullptr);
    ~Form8() override;

    QLineEdit* Text1 = nullptr;           // 单位名称
    QLineEdit* Text2 = nullptr;           // 医师
    QLineEdit* Text6 = nullptr;           // 发药人
    QLineEdit* Text7 = nullptr;           // 费别
    QLineEdit* Text3 = nullptr;           // 科别
    std::array<QComboBox*, 4> Combo2{};   // 默认打印机 (hidden), 处方打印机, 打印机2, 打印机3
    QComboBox* Combo1 = nullptr;          // 处方字体
    QComboBox* Combo3 = nullptr;          // 处方字号
    QLineEdit* Text4 = nullptr;           // 左边距
    QLineEdit* Text5 = nullptr;           // 上边距
    QLineEdit* Text11 = nullptr;          // 左边距1
    QLineEdit* Text10 = nullptr;          // 上边距1
    QLineEdit* Text14 = nullptr;          // 左边距2
    QLineEdit* Text13 = nullptr;          // 上边距2
    QLineEdit* Text8 = nullptr;           // 原密码
    QLineEdit* Text12 = nullptr;          // 新密码
    QPushButton* Command1 = nullptr;      // "保  存"
    QPushButton* Command2 = nullptr;      // "取  消"
    QPushButton* Command3 = nullptr;      // "修改密码"
    QPushButton* previewButton = nullptr; // "预览" beside the prescription margins
    QCheckBox* ticketCheck = nullptr;     // "结算后打印取药单" beside the ticket printer

    // The values of the fields as they stand.
    SettingsValues values() const;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void build();
    void load(const QStringList& printers);
    void save();
    void changePassword();
    void previewPrescription();

    Services& services_;
};

} // namespace lichuan

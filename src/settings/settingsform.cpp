#include "settings/settingsform.h"

#include "data/schema.h"
#include "data/textrules.h"

#include <utility>

namespace lichuan {

namespace {

const QString kPasswordColumn = QStringLiteral("密码");

// Column, caption of its field on the window, value of the store.
struct Mapping {
    const char16_t* column;
    const char16_t* caption;
    QString SettingsValues::*value;
};

const Mapping kMappings[] = {
    {u"单位名称", u"单位名称", &SettingsValues::clinicName},
    {u"医师", u"医师", &SettingsValues::doctor},
    {u"发药人", u"发药", &SettingsValues::dispenser},
    {u"费别", u"默认费别", &SettingsValues::feeCategory},
    {u"科别", u"默认科别", &SettingsValues::department},
    {u"默认打印机", u"默认打印机", &SettingsValues::defaultPrinter},
    {u"处方打印机", u"处方打印机", &SettingsValues::prescriptionPrinter},
    {u"打印机2", u"病历打印机", &SettingsValues::recordPrinter},
    {u"打印机3", u"取药单打印机", &SettingsValues::ticketPrinter},
    {u"处方字体", u"处方打印字体", &SettingsValues::fontName},
    {u"处方字号", u"处方字体大小", &SettingsValues::fontSize},
    {u"左边距", u"处方左边距", &SettingsValues::leftMargin},
    {u"上边距", u"处方上边距", &SettingsValues::topMargin},
    {u"左边距1", u"病历左边距", &SettingsValues::recordLeftMargin},
    {u"上边距1", u"病历上边距", &SettingsValues::recordTopMargin},
    {u"左边距2", u"取药单左边距", &SettingsValues::ticketLeftMargin},
    {u"上边距2", u"取药单上边距", &SettingsValues::ticketTopMargin},
    {u"结算后打印取药单", u"结算后打印取药单", &SettingsValues::ticketAfterSettlement},
};

} // namespace

SettingsRow settingsRowOf(const SettingsValues& values) {
    SettingsRow row;
    for (const Mapping& mapping : kMappings)
        row.insert(QString::fromUtf16(mapping.column), values.*mapping.value);
    return row;
}

QString settingsFieldCaption(const QString& column) {
    for (const Mapping& mapping : kMappings) {
        if (column == QString::fromUtf16(mapping.column))
            return QString::fromUtf16(mapping.caption);
    }
    return column;
}

QString settingsSaveMessage(bool written, const QStringList& refusedColumns) {
    if (!written)
        return QStringLiteral("设置无法写入数据库，没有保存！");
    if (refusedColumns.isEmpty())
        return {};
    QStringList captions;
    for (const QString& column : refusedColumns)
        captions << settingsFieldCaption(column);
    return QStringLiteral("以下设置内容太长，没有保存：") + captions.join(QStringLiteral("、")) +
           QStringLiteral("。其他设置已保存。");
}

PasswordChange changePassword(Database& main, const QString& oldEntry, const QString& newEntry) {
    const QString newPassword = trimSpaces(newEntry);
    if (newPassword.isEmpty())
        return PasswordChange::NoNewPassword;
    const std::optional<SettingsRow> row = readSettingsRow(main);
    if (!row)
        return PasswordChange::NotStored;
    if (row->value(kPasswordColumn) != trimSpaces(oldEntry))
        return PasswordChange::WrongOldPassword;
    QStringList refused;
    if (!writeSettingsRow(main, SettingsRow{{kPasswordColumn, newPassword}}, &refused))
        return PasswordChange::NotStored;
    if (!refused.isEmpty())
        return PasswordChange::TooLong;
    return PasswordChange::Stored;
}

QString passwordChangeMessage(PasswordChange outcome) {
    switch (outcome) {
    case PasswordChange::NoNewPassword:
        return QStringLiteral("请输入新密码！");
    case PasswordChange::WrongOldPassword:
        return QStringLiteral("原密码不正确，无法修改密码！");
    case PasswordChange::TooLong:
        return QStringLiteral("新密码太长（最多%1个字符），密码没有修改！")
            .arg(schema::columnWidth(schema::kSettings, kPasswordColumn));
    case PasswordChange::NotStored:
        return QStringLiteral("密码无法写入数据库，没有修改！");
    case PasswordChange::Stored:
        return QStringLiteral("修改密码成功，请牢记新密码！");
    }
    return {};
}

} // namespace lichuan

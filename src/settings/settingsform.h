#pragma once
// What the settings window stores and how it reports it: the columns of the settings row it writes, the
// names it gives them in a message, and the password change.

#include "data/settingsrow.h"
#include "settings/settingsstore.h"

namespace lichuan {

class Database;

// The columns of 设置 that the window saves, from the values of its fields.
SettingsRow settingsRowOf(const SettingsValues& values);

// The caption of a column's field on the window ("处方打印机" → "处方打印机", "打印机2" → "病历打印机").
QString settingsFieldCaption(const QString& column);

// The message after a save, or an empty text when everything was stored.
QString settingsSaveMessage(bool written, const QStringList& refusedColumns);

enum class PasswordChange {
    NoNewPassword, // the new password is empty: "请输入新密码！"
    WrongOldPassword, // the old password differs (letter case counts): "原密码不正确，无法修改密码！"
    TooLong,          // longer than the column holds: nothing changed
    NotStored,        // the row could not be read or written: nothing changed
    Stored,           // "修改密码成功，请牢记新密码！"
};

// Compares the old password with the stored one exactly and stores the new one (both without surrounding
// spaces); only `Stored` changed the row.
PasswordChange changePassword(Database& main, const QString& oldEntry, const QString& newEntry);

// The message of each outcome.
QString passwordChangeMessage(PasswordChange outcome);

} // namespace lichuan

#pragma once
// The rules of the login window, without the window.

#include <QString>

namespace lichuan {

// The entry matches the stored password when both, trimmed of surrounding spaces and lower-cased, are
// equal: letter case and surrounding spaces do not count. (A database without a readable settings row
// never reaches the login: start-up refuses it.)
bool passwordMatches(const QString& entry, const QString& stored);

// The hint with the factory password is shown while the stored password still is the factory one.
bool showsFactoryPasswordHint(const QString& stored);

// The hint's text: "(原始密码：888)".
QString factoryPasswordHint();

} // namespace lichuan

#include "app/login.h"

#include "data/defaults.h"
#include "data/textrules.h"

namespace lichuan {

namespace {
QString normalised(const QString& password) {
    return trimSpaces(password).toLower();
}
} // namespace

bool passwordMatches(const QString& entry, const QString& stored) {
    return normalised(entry) == normalised(stored);
}

bool showsFactoryPasswordHint(const QString& stored) {
    return stored == defaults::kPassword;
}

QString factoryPasswordHint() {
    return QStringLiteral("(原始密码：") + defaults::kPassword + QStringLiteral(")");
}

} // namespace lichuan

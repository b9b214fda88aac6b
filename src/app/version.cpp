#include "app/version.h"

#include "lichuan_version.h"

namespace lichuan {

QString programVersion() {
    return QStringLiteral(LICHUAN_VERSION);
}

QString programVersionShort() {
    return QStringLiteral(LICHUAN_VERSION_SHORT);
}

QString programBuildDate() {
    return QStringLiteral(LICHUAN_BUILD_DATE);
}

} // namespace lichuan

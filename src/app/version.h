#pragma once
// The program's version, as the build and the package name it.

#include <QString>

namespace lichuan {

// The full version, "8.0.1".
QString programVersion();
// Major and minor only, as the captions show it: "8.0".
QString programVersionShort();
// The day the build was configured, "yyyy-MM-dd".
QString programBuildDate();

} // namespace lichuan

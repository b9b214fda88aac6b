#pragma once
// What every window of the program looks like: the Song face the windows name, the Chinese texts of Qt's
// own dialogs and buttons, and password fields that show "*".

#include <QFont>
#include <QIcon>
#include <QString>
#include <QStringList>

class QApplication;
class QCoreApplication;
class QLineEdit;

namespace lichuan {

// The face the windows are designed with, and what stands in for it on this system: a Song face whose
// Latin letters and spaces are half a Chinese character wide (the herbal columns rely on it), then a
// serif CJK face for characters it lacks.
inline const QString kSongFace = QStringLiteral("宋体");
inline const QStringList kSongSubstitutes = {QStringLiteral("AR PL UMing CN"),
                                             QStringLiteral("Noto Serif CJK SC")};

// Maps 宋体 and SimSun to the substitutes.
void installFontSubstitutions();

// The face and size of every window's controls: 宋体, 9 points.
QFont windowFont();

// The program's icon: the character 栎 in white on the blue of the about window's band.
QIcon programIcon();

// Loads Qt's Chinese texts (qtbase_zh_CN) for its own dialogs and buttons; false when they are missing.
bool installQtTranslation(QCoreApplication& app);

// Everything above, the icon and window font for the whole application, and an explicit end of the program
// (the program ends where it decides to, never because its last window closed).
void prepareApplication(QApplication& app);

// Makes `field` a password field whose input shows as "*" whatever the desktop style's mask character is.
void showAsPassword(QLineEdit& field);

} // namespace lichuan

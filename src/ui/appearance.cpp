#include "ui/appearance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QTranslator>

namespace lichuan {

namespace {

// The desktop style with one change: password fields mask with "*".
class PasswordMaskStyle final : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return '*';
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

// One mask style for all password fields, owned by the application object.
QStyle* passwordMaskStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        QStyle* base = QStyleFactory::create(QApplication::style()->name());
        style = new PasswordMaskStyle(base); // takes ownership of `base`; a null base means Qt's default
        style->setParent(qApp);
    }
    return style;
}

} // namespace

void installFontSubstitutions() {
    QFont::insertSubstitutions(kSongFace, kSongSubstitutes);
    QFont::insertSubstitutions(QStringLiteral("SimSun"), kSongSubstitutes);
}

QFont windowFont() { return QFont(kSongFace, 9); }

bool installQtTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

void prepareApplication(QApplication& app) {
    installQtTranslation(app);
    installFontSubstitutions();
    QApplication::setFont(windowFont());
    QApplication::setQuitOnLastWindowClosed(false);
}

void showAsPassword(QLineEdit& field) {
    field.setEchoMode(QLineEdit::Password);
    field.setStyle(passwordMaskStyle());
}

} // namespace lichuan

#include "ui/appearance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QLocale>
#include <QPainter>
#include <QPixmap>
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

QFont windowFont() {
    return QFont(kSongFace, 9);
}

QIcon programIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(75, 121, 198));
        painter.drawRoundedRect(QRectF(0, 0, side, side), side / 6.0, side / 6.0);
        QFont face(kSongFace);
        face.setPixelSize(side * 3 / 4);
        face.setBold(true);
        painter.setFont(face);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, side, side), Qt::AlignCenter, QStringLiteral("栎"));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

bool installQtTranslation(QCoreApplication& app) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::Chinese, QLocale::China), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
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
    QApplication::setWindowIcon(programIcon());
    QApplication::setQuitOnLastWindowClosed(false);
}

void showAsPassword(QLineEdit& field) {
    field.setEchoMode(QLineEdit::Password);
    field.setStyle(passwordMaskStyle());
}

} // namespace lichuan

#include "spreadsheet/numberformats.h"

#include <QDate>
#include <QStringList>
#include <cmath>

namespace lichuan::spreadsheet {

namespace {

FormatKind builtInKind(int id) {
    if ((id >= 14 && id <= 17) || (id >= 27 && id <= 31) || id == 36 || (id >= 50 && id <= 54) || id == 57 ||
        id == 58)
        return FormatKind::Date;
    if ((id >= 18 && id <= 21) || (id >= 32 && id <= 35) || (id >= 45 && id <= 47) || id == 55 || id == 56)
        return FormatKind::Time;
    if (id == 22)
        return FormatKind::DateTime;
    return FormatKind::Number;
}

// The format's sections (split at ";" outside quotes and escapes), each as its letters that are codes
// (outside quotes, escapes and [...] brackets, lower case) and as its quoted and escaped text.
struct Section {
    QString codes;
    QString words;
};

QList<Section> sections(const QString& code) {
    QList<Section> result(1);
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar c = code.at(i);
        Section& section = result.last();
        if (c == QLatin1Char('"')) {
            const qsizetype end = code.indexOf(QLatin1Char('"'), i + 1);
            section.words += code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1);
            i = end < 0 ? code.size() : end;
        } else if (c == QLatin1Char('\\')) {
            if (i + 1 < code.size())
                section.words += code.at(++i);
        } else if (c == QLatin1Char('_') || c == QLatin1Char('*')) {
            ++i; // a padding or fill character
        } else if (c == QLatin1Char('[')) {
            const qsizetype end = code.indexOf(QLatin1Char(']'), i + 1);
            const QString inside = code.mid(i + 1, (end < 0 ? code.size() : end) - i - 1).toLower();
            // Elapsed time ([h]:mm, [ss]) counts; colours, locales and conditions do not.
            if (!inside.isEmpty() && inside.count(inside.at(0)) == inside.size() &&
                QStringLiteral("hms").contains(inside.at(0)))
                section.codes += inside;
            i = end < 0 ? code.size() : end;
        } else if (c == QLatin1Char(';')) {
            result.append(Section());
        } else if (c != QLatin1Char(' ')) {
            section.codes += c.toLower();
        }
    }
    return result;
}

} // namespace

FormatKind formatKind(int id, const QString& code) {
    if (code.isEmpty())
        return builtInKind(id);
    QString codes = sections(code).constFirst().codes;
    for (const QString& marker : {QStringLiteral("am/pm"), QStringLiteral("a/p")})
        codes.remove(marker);
    const bool time = codes.contains(QLatin1Char('h')) || codes.contains(QLatin1Char('s'));
    const bool date = codes.contains(QLatin1Char('y')) || codes.contains(QLatin1Char('d')) ||
                      (codes.contains(QLatin1Char('m')) && !time);
    if (date && time)
        return FormatKind::DateTime;
    if (date)
        return FormatKind::Date;
    return time ? FormatKind::Time : FormatKind::Number;
}

QString serialText(double serial, FormatKind kind, bool date1904) {
    constexpr double kLastSerial = 2958466; // 10000-01-01 in the 1900 system
    if (kind == FormatKind::Number || !(serial >= 0) || serial >= kLastSerial)
        return QString();
    qint64 days = qint64(std::floor(serial));
    qint64 seconds = std::llround((serial - double(days)) * 86400);
    if (seconds >= 86400) {
        ++days;
        seconds -= 86400;
    }
    // The 1900 system counts 29 February 1900, which never was: from serial 61 on, days count from
    // 30 December 1899. Serial 0 shows as 1900-01-01, as the .xls reader gives it.
    if (!date1904 && days < 1)
        days = 1;
    const QDate base = date1904 ? QDate(1904, 1, 1) : (days < 61 ? QDate(1899, 12, 31) : QDate(1899, 12, 30));
    const QString date = base.addDays(days).toString(QStringLiteral("yyyy-MM-dd"));
    const QString time = QStringLiteral("%1:%2:%3")
                             .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
                             .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                             .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    switch (kind) {
    case FormatKind::Date:
        return date;
    case FormatKind::Time:
        return time;
    case FormatKind::DateTime:
        return date + QLatin1Char(' ') + time;
    case FormatKind::Number:
        break;
    }
    return QString();
}

QString booleanText(bool value, const QString& code) {
    const QString shown = value ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
    const QList<Section> parts = sections(code);
    const Section& section = value || parts.size() < 3 ? parts.at(0) : parts.at(2);
    if (!section.codes.isEmpty() || section.words.trimmed().isEmpty())
        return shown;
    return section.words;
}

} // namespace lichuan::spreadsheet

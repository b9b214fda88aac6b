#include "data/searchcodes.h"

#include "data/gbk.h"
#include "data/pinyin_table.h"

namespace lichuan {

namespace pinyin {

namespace {

LetterTable buildLetterTable() {
    LetterTable table{};
    for (const InitialsList& list : kInitialsLists) {
        for (const char16_t* p = list.chars; *p; ++p) {
            if (table[*p] == 0) // the list tested first wins
                table[*p] = list.letter;
        }
    }
    return table;
}

// The code point starting at `i`, advancing `i` past it (a surrogate pair is one code point).
char32_t nextCodePoint(QStringView text, qsizetype& i) {
    const char16_t unit = text[i++].unicode();
    if (QChar::isHighSurrogate(unit) && i < text.size() && text[i].isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text[i++].unicode());
    return unit;
}

} // namespace

const LetterTable& letterTable() {
    static const LetterTable table = buildLetterTable();
    return table;
}

char initialOf(char32_t codePoint, const LetterTable& table) {
    if (codePoint >= '0' && codePoint <= '9')
        return static_cast<char>(codePoint);
    if (codePoint >= 'a' && codePoint <= 'z')
        return static_cast<char>(codePoint);
    if (codePoint >= 'A' && codePoint <= 'Z')
        return static_cast<char>(codePoint - 'A' + 'a');
    if (gbk::isDoubleByte(codePoint)) // double-byte characters are all in the BMP
        return table[codePoint];
    return 0;
}

QString initialsOf(QStringView name, const LetterTable& table) {
    QString result;
    result.reserve(name.size());
    qsizetype i = 0;
    while (i < name.size()) {
        if (name[i] == u' ')
            break;
        const char32_t codePoint = nextCodePoint(name, i);
        if (const char letter = initialOf(codePoint, table)) {
            result.append(QLatin1Char(letter));
            continue;
        }
        const int code = gbk::doubleByteCode(codePoint);
        if (code >= kYBlockFirst && code < kYBlockEnd)
            result.append(QLatin1Char('y'));
    }
    return result;
}

} // namespace pinyin

QString InitialOf(QStringView c) {
    if (c.isEmpty())
        return QString();
    const char32_t codePoint = c[0].isHighSurrogate() && c.size() > 1 && c[1].isLowSurrogate()
                                   ? QChar::surrogateToUcs4(c[0], c[1])
                                   : char32_t(c[0].unicode());
    const char letter = pinyin::initialOf(codePoint, pinyin::letterTable());
    return letter ? QString(QLatin1Char(letter)) : QString();
}

QString PinyinInitials(QStringView name) {
    return pinyin::initialsOf(name, pinyin::letterTable());
}

QString KeyDigits(QStringView initials) {
    QString digits;
    digits.reserve(initials.size());
    for (const QChar ch : initials) {
        const char16_t u = ch.unicode();
        if (u >= u'a' && u <= u'z')
            digits.append(QLatin1Char(static_cast<char>('0' + (u - 93) / 4)));
    }
    return digits;
}

} // namespace lichuan

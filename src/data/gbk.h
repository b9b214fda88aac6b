#pragma once
// Text measured and ordered as the clinic's old GBK-coded data was: a character that GBK encodes in two
// bytes counts two display columns, any other character one. Characters are code points, so a surrogate
// pair is one character.

#include <QString>
#include <QStringView>

namespace lichuan::gbk {

// The two-byte GBK code of a character (first byte 0x81–0xFE), or 0 when GBK encodes it in one byte or
// not at all.
int doubleByteCode(char32_t codePoint);
inline bool isDoubleByte(char32_t codePoint) {
    return doubleByteCode(codePoint) != 0;
}

// Display columns of a text: 2 per double-byte character, 1 per other character.
int displayColumns(QStringView text);

// Order of the old lists: by GBK code (pinyin order for common Chinese characters), ASCII letters without
// regard to case; characters GBK cannot encode come after all others, by code point.
int compare(QStringView a, QStringView b);
int compareUtf8(const char* a, int lengthA, const char* b, int lengthB);
// A key whose byte order (memcmp) is the order of compare(), for sorting many texts at once.
QByteArray sortKey(QStringView text);

// The text of bytes in GBK (a file written on the clinic's old system); empty when they are not GBK.
QString decode(const QByteArray& bytes);

// The first `count` characters of a text, never splitting a surrogate pair.
QString leftChars(const QString& text, int count);
// The number of characters (code points) of a text.
int charCount(QStringView text);

} // namespace lichuan::gbk

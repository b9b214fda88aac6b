#include "data/gbk.h"

#include <array>
#include <cstdint>
#include <iconv.h>
#include <memory>

namespace lichuan::gbk {

namespace {

// Two-byte GBK code of every BMP code point, built once from the system's GBK converter.
struct CodeTable {
    std::unique_ptr<std::array<std::uint16_t, 0x10000>> codes =
        std::make_unique<std::array<std::uint16_t, 0x10000>>();

    CodeTable() {
        codes->fill(0);
        iconv_t cd = iconv_open("UTF-32LE", "GBK");
        if (cd == reinterpret_cast<iconv_t>(-1))
            return;
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                if (trail == 0x7F)
                    continue;
                char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
                char out[8] = {};
                char* inPtr = in;
                char* outPtr = out;
                size_t inLeft = 2;
                size_t outLeft = sizeof out;
                iconv(cd, nullptr, nullptr, nullptr, nullptr);
                if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0 ||
                    sizeof out - outLeft != 4)
                    continue;
                const auto* bytes = reinterpret_cast<const unsigned char*>(out);
                const std::uint32_t cp =
                    bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t(bytes[3]) << 24);
                if (cp < 0x10000 && (*codes)[cp] == 0)
                    (*codes)[cp] = static_cast<std::uint16_t>((lead << 8) | trail);
            }
        }
        iconv_close(cd);
    }
};

const CodeTable& table() {
    static const CodeTable instance;
    return instance;
}

// Sort weight of one code point: ASCII folded to lower case, then single-byte codes, then GBK codes,
// then everything GBK cannot encode.
std::uint32_t weight(char32_t cp) {
    if (cp < 0x80) {
        if (cp >= 'A' && cp <= 'Z')
            cp += 'a' - 'A';
        return cp;
    }
    if (cp == 0x20AC)
        return 0x80;
    const int code = doubleByteCode(cp);
    if (code)
        return static_cast<std::uint32_t>(code);
    return 0x10000 + cp;
}

// Decodes one code point of UTF-8; malformed bytes count as themselves.
char32_t nextUtf8(const unsigned char*& p, const unsigned char* end) {
    const unsigned char c = *p++;
    if (c < 0x80)
        return c;
    int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    char32_t cp = c & (0x3F >> extra);
    while (extra-- > 0 && p < end && (*p & 0xC0) == 0x80)
        cp = (cp << 6) | (*p++ & 0x3F);
    return cp;
}

} // namespace

int doubleByteCode(char32_t codePoint) {
    if (codePoint < 0x80 || codePoint >= 0x10000)
        return 0;
    return (*table().codes)[codePoint];
}

int displayColumns(QStringView text) {
    int columns = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t cp = text.at(i).unicode();
        if (QChar::isHighSurrogate(cp) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            cp = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
        columns += isDoubleByte(cp) ? 2 : 1;
    }
    return columns;
}

int compare(QStringView a, QStringView b) {
    const QByteArray ua = a.toUtf8();
    const QByteArray ub = b.toUtf8();
    return compareUtf8(ua.constData(), ua.size(), ub.constData(), ub.size());
}

int compareUtf8(const char* a, int lengthA, const char* b, int lengthB) {
    auto pa = reinterpret_cast<const unsigned char*>(a);
    auto pb = reinterpret_cast<const unsigned char*>(b);
    const auto endA = pa + lengthA;
    const auto endB = pb + lengthB;
    while (pa < endA && pb < endB) {
        const std::uint32_t wa = weight(nextUtf8(pa, endA));
        const std::uint32_t wb = weight(nextUtf8(pb, endB));
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    if (pa < endA)
        return 1;
    if (pb < endB)
        return -1;
    return 0;
}

QByteArray sortKey(QStringView text) {
    const QByteArray utf8 = text.toUtf8();
    auto p = reinterpret_cast<const unsigned char*>(utf8.constData());
    const auto end = p + utf8.size();
    QByteArray key(utf8.size() * 3, Qt::Uninitialized); // never more code points than bytes
    char* out = key.data();
    while (p < end) {
        // Weights are below 2^24: three big-endian bytes each keep their order under memcmp.
        const std::uint32_t w = weight(nextUtf8(p, end));
        *out++ = char((w >> 16) & 0xFF);
        *out++ = char((w >> 8) & 0xFF);
        *out++ = char(w & 0xFF);
    }
    key.truncate(out - key.constData());
    return key;
}

QString decode(const QByteArray& bytes) {
    iconv_t cd = iconv_open("UTF-8", "GBK");
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {};
    QByteArray in = bytes;
    QByteArray out(bytes.size() * 2 + 4, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = static_cast<size_t>(in.size());
    size_t outLeft = static_cast<size_t>(out.size());
    const size_t result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1))
        return {};
    out.truncate(out.size() - static_cast<qsizetype>(outLeft));
    return QString::fromUtf8(out);
}

QString leftChars(const QString& text, int count) {
    if (count <= 0)
        return QString();
    int units = 0;
    for (int chars = 0; units < text.size() && chars < count; ++chars)
        units += (text.at(units).isHighSurrogate() && units + 1 < text.size()) ? 2 : 1;
    return text.left(units);
}

int charCount(QStringView text) {
    int count = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (!(text.at(i).isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()))
            ++count;
    }
    return count;
}

} // namespace lichuan::gbk

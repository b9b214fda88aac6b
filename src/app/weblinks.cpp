#include "app/weblinks.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <array>

namespace lichuan::weblinks {

namespace {

// Each byte of the UTF-8 text XOR (0x5A + 13 × its index).
template <std::size_t N> QString unscramble(const std::array<unsigned char, N>& bytes) {
    QByteArray text;
    text.reserve(int(N));
    for (std::size_t i = 0; i < N; ++i)
        text.append(char(bytes[i] ^ static_cast<unsigned char>(0x5A + 13 * i)));
    return QString::fromUtf8(text);
}

constexpr std::array<unsigned char, 27> kHome = {0x32, 0x13, 0x00, 0xf1, 0xb4, 0xb4, 0x87, 0xc2, 0xb5,
                                                 0xb8, 0xf2, 0x85, 0x9f, 0x60, 0x78, 0x68, 0x4b, 0x59,
                                                 0x6a, 0x34, 0x26, 0x0a, 0x15, 0xf5, 0xfe, 0xfa, 0x83};
constexpr std::array<unsigned char, 36> kDownload = {0x32, 0x13, 0x00, 0xf1, 0xb4, 0xb4, 0x87, 0xc2, 0xb5,
                                                     0xb8, 0xf2, 0x85, 0x9f, 0x60, 0x78, 0x68, 0x4b, 0x59,
                                                     0x6a, 0x34, 0x26, 0x0a, 0x15, 0xf5, 0xfe, 0xfa, 0x83,
                                                     0xdd, 0xa9, 0xa4, 0x8e, 0x81, 0x95, 0x66, 0x70, 0x0e};

const QString kHelpFile = QStringLiteral("help/index.html");

} // namespace

QString homePage() {
    return unscramble(kHome);
}
QString downloadPage() {
    return unscramble(kDownload);
}

QStringList helpPageCandidates(const QString& programFolder) {
    QStringList candidates;
    if (!programFolder.isEmpty()) {
        const QDir folder(programFolder);
        candidates << QDir::cleanPath(folder.filePath(kHelpFile))
                   << QDir::cleanPath(folder.filePath(QStringLiteral("../share/lichuan/") + kHelpFile));
    }
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates << QDir::cleanPath(data + QStringLiteral("/lichuan/") + kHelpFile);
    candidates.removeDuplicates();
    return candidates;
}

QString findHelpPage(const QString& programFolder) {
    for (const QString& candidate : helpPageCandidates(programFolder)) {
        if (QFileInfo(candidate).isFile())
            return candidate;
    }
    return {};
}

QUrl helpPage() {
    const QString page = findHelpPage(QCoreApplication::applicationDirPath());
    return page.isEmpty() ? QUrl() : QUrl::fromLocalFile(page);
}

} // namespace lichuan::weblinks

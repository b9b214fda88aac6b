#pragma once
// Reads a PDF back with poppler's pdftotext: the words and where they stand on the page.

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QString>
#include <QTemporaryDir>
#include <vector>

namespace lichuan::test {

struct PdfWord {
    QString text;
    double xMin = 0; // points from the page's left edge
    double yMin = 0; // points from the page's top edge
    double xMax = 0;
    double yMax = 0;
    int page = 0; // from 1
};

// The whole text of a PDF, laid out as on the page; empty when pdftotext is missing or fails.
inline QString pdfLayoutText(const QString& pdf) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Every word of a PDF with its box, page by page.
inline std::vector<PdfWord> pdfWords(const QString& pdf) {
    std::vector<PdfWord> words;
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    if (!process.waitForFinished(30000) || process.exitCode() != 0)
        return words;
    const QString html = QString::fromUtf8(process.readAllStandardOutput());
    static const QRegularExpression pageOrWord(QStringLiteral(
        "<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"([0-9.]+)\">"
        "([^<]*)</word>"));
    int page = 0;
    for (auto it = pageOrWord.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        words.push_back({m.captured(5), m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), page});
    }
    return words;
}

inline const PdfWord* findWord(const std::vector<PdfWord>& words, const QString& text) {
    for (const PdfWord& word : words) {
        if (word.text == text)
            return &word;
    }
    return nullptr;
}

// pdfinfo's report on a PDF ("Pages:", "Page size:" …).
inline QString pdfInfo(const QString& pdf) {
    QProcess info;
    info.start(QStringLiteral("pdfinfo"), {pdf});
    info.waitForFinished(30000);
    return QString::fromUtf8(info.readAllStandardOutput());
}

} // namespace lichuan::test

#include "printing/output.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <cstdio>
#include <cups/cups.h>

namespace lichuan::printing {

namespace {

constexpr double kTwipsPerPoint = 20.0;

// A complete PDF file starts with "%PDF" and has "%%EOF" near its end.
bool isCompletePdf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < 64)
        return false;
    if (!file.read(5).startsWith("%PDF-"))
        return false;
    if (!file.seek(file.size() - 32))
        return false;
    return file.readAll().contains("%%EOF");
}

QString defaultJobTitle(const Document& document) {
    for (const TextOp* text : document.texts()) {
        const QString t = text->text.trimmed();
        if (!t.isEmpty())
            return t.left(40);
    }
    return QStringLiteral("栎川");
}

} // namespace

QByteArray customMedia(const QSizeF& millimetres) {
    return QStringLiteral("Custom.%1x%2mm")
        .arg(QString::number(millimetres.width(), 'f', 1), QString::number(millimetres.height(), 'f', 1))
        .toLatin1();
}

QStringList installedPrinters() {
    return QPrinterInfo::availablePrinterNames();
}

QString systemDefaultPrinter() {
    return QPrinterInfo::defaultPrinterName();
}

QString printerMissingMessage(const QString& printerName) {
    if (printerName.isEmpty() && !installedPrinters().isEmpty())
        return QStringLiteral("没有默认打印机，不能打印。请选定一台打印机。");
    if (printerName.isEmpty())
        return QStringLiteral("没有安装打印机，不能打印。");
    return QStringLiteral("打印机“%1”没有安装，不能打印。").arg(printerName);
}

PageSetup pageSetupFor(const QString& printerName) {
    PageSetup setup;
    if (printerName.isEmpty())
        return setup;
    const QPrinterInfo info = QPrinterInfo::printerInfo(printerName);
    if (info.isNull())
        return setup;
    // A printer object keeps its own paper when the printer supports it: take the printer's default.
    QPrinter printer(info, QPrinter::HighResolution);
    const QPageSize paper = info.defaultPageSize();
    if (paper.isValid()) {
        setup.pageSize = paper;
        printer.setPageSize(paper);
    }
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Point);
    const QMarginsF margins = layout.minimumMargins();
    setup.printableOffset = QPointF(margins.left() * kTwipsPerPoint, margins.top() * kTwipsPerPoint);
    return setup;
}

OutputResult writePdf(const Document& document, const QString& path, const PageSetup& setup) {
    if (document.isEmpty())
        return {true, {}};
    const QFileInfo target(path);
    const QString failed = QStringLiteral("PDF文件“%1”没有写成").arg(QDir::toNativeSeparators(path));
    if (!target.absoluteDir().exists())
        return {false, failed + QStringLiteral("：文件夹不存在。")};

    QTemporaryFile temporary(
        target.absoluteDir().filePath(QStringLiteral(".%1.XXXXXX.pdf").arg(target.fileName())));
    if (!temporary.open())
        return {false, failed + QStringLiteral("：不能在该文件夹中写文件。")};
    const QString temporaryPath = temporary.fileName();
    temporary.close();

    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temporaryPath);
        printer.setCreator(QStringLiteral("栎川"));
        preparePrinter(printer, document, setup);
        if (!paintDocument(document, printer, setup.printableOffset))
            return {false, failed + QStringLiteral("：不能写入。")};
    }
    if (!isCompletePdf(temporaryPath))
        return {false, failed + QStringLiteral("：磁盘已满或文件不完整。")};
    // The file gets the permissions of the file it replaces, or those of an ordinary new file.
    const QFileDevice::Permissions permissions = target.exists()
                                                     ? QFile::permissions(path)
                                                     : QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                           QFileDevice::ReadGroup | QFileDevice::ReadOther;
    QFile::setPermissions(temporaryPath, permissions);
    // rename() replaces the old file in one step; the temporary file is gone afterwards either way.
    if (std::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(path).constData()) != 0)
        return {false, failed + QStringLiteral("：不能替换原有文件。")};
    temporary.setAutoRemove(false);
    return {true, {}};
}

OutputResult printDocument(const Document& document, const QString& printerName, const QString& jobTitle) {
    if (document.isEmpty())
        return {true, {}};
    const QString name = printerName.isEmpty() ? systemDefaultPrinter() : printerName;
    if (name.isEmpty() || QPrinterInfo::printerInfo(name).isNull())
        return {false, printerMissingMessage(name)};

    QTemporaryDir folder;
    if (!folder.isValid())
        return {false, QStringLiteral("不能建立打印用的临时文件。")};
    const QString pdf = folder.filePath(QStringLiteral("print.pdf"));
    const OutputResult written = writePdf(document, pdf, pageSetupFor(name));
    if (!written.ok)
        return written;

    const QString title = jobTitle.isEmpty() ? defaultJobTitle(document) : jobTitle;
    // A document cut to its own length asks the printer for that paper (a roll is cut there).
    cups_option_t* options = nullptr;
    int optionCount = 0;
    if (document.paperSize.isValid())
        optionCount =
            cupsAddOption("media", customMedia(document.paperSize).constData(), optionCount, &options);
    const int job = cupsPrintFile(name.toLocal8Bit().constData(), QFile::encodeName(pdf).constData(),
                                  title.toUtf8().constData(), optionCount, options);
    cupsFreeOptions(optionCount, options);
    if (job == 0) {
        return {false, QStringLiteral("打印机“%1”没有接受打印任务：%2")
                           .arg(name, QString::fromLocal8Bit(cupsLastErrorString()))};
    }
    return {true, {}};
}

} // namespace lichuan::printing

#pragma once
// Fonts as the printer sees them: the Song face the layouts name is mapped to the installed Song face, and
// text is measured at the resolution the documents are rendered at, so that what a layout measures is
// what the page shows.

#include <QFont>
#include <QFontMetricsF>
#include <QString>
#include <memory>

class QPaintDevice;

namespace lichuan::printing {

// Dots per inch of every rendered page (PDF, preview, the file handed to the print system).
constexpr int kRenderDpi = 1200;
constexpr double kTwipsPerInch = 1440.0;

// Maps 宋体 and SimSun to the installed Song face unless the program has mapped them already.
void ensureSongFace();

// The font of a printed text; a size of 0 or less stands for 9 points.
QFont printerFont(const QString& name, double points, bool bold);

// Measures texts at kRenderDpi; sizes are returned in twips.
class PrinterMetrics {
public:
    PrinterMetrics();
    ~PrinterMetrics();
    PrinterMetrics(const PrinterMetrics&) = delete;
    PrinterMetrics& operator=(const PrinterMetrics&) = delete;

    // Ascent plus descent of the font.
    double lineHeight(const QFont& font) const;
    double textWidth(const QFont& font, const QString& text) const;
    double ascent(const QFont& font) const;
    QFontMetricsF metrics(const QFont& font) const;

private:
    struct Device;
    std::unique_ptr<Device> device_;
};

} // namespace lichuan::printing

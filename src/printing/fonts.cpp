#include "printing/fonts.h"

#include "ui/appearance.h"

#include <QBuffer>
#include <QPdfWriter>

namespace lichuan::printing {

void ensureSongFace() {
    if (QFont::substitutes(kSongFace).isEmpty())
        QFont::insertSubstitutions(kSongFace, kSongSubstitutes);
    if (QFont::substitutes(QStringLiteral("SimSun")).isEmpty())
        QFont::insertSubstitutions(QStringLiteral("SimSun"), kSongSubstitutes);
}

QFont printerFont(const QString& name, double points, bool bold) {
    ensureSongFace();
    QFont font(name.isEmpty() ? kSongFace : name);
    font.setPointSizeF(points > 0 ? points : 9.0);
    font.setBold(bold);
    return font;
}

// A PDF writer at the render resolution that is never painted on: only its resolution is used.
struct PrinterMetrics::Device {
    QBuffer buffer;
    QPdfWriter writer{&buffer};
    Device() { writer.setResolution(kRenderDpi); }
};

PrinterMetrics::PrinterMetrics() : device_(std::make_unique<Device>()) {
    ensureSongFace();
}

PrinterMetrics::~PrinterMetrics() = default;

QFontMetricsF PrinterMetrics::metrics(const QFont& font) const {
    return QFontMetricsF(font, &device_->writer);
}

double PrinterMetrics::lineHeight(const QFont& font) const {
    return metrics(font).height() * kTwipsPerInch / kRenderDpi;
}

double PrinterMetrics::textWidth(const QFont& font, const QString& text) const {
    return metrics(font).horizontalAdvance(text) * kTwipsPerInch / kRenderDpi;
}

double PrinterMetrics::ascent(const QFont& font) const {
    return metrics(font).ascent() * kTwipsPerInch / kRenderDpi;
}

} // namespace lichuan::printing

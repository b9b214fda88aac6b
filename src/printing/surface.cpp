#include "printing/surface.h"

#include "ui/appearance.h"

namespace lichuan::printing {

namespace {

constexpr double kTwipsPerMillimetre = kTwipsPerInch / 25.4;

} // namespace

Surface::Surface() : fontMetrics_(QFont()) {
    reset();
}

void Surface::reset() {
    document_ = Document{};
    unit_ = Unit::Twips;
    perUnit_ = 1.0;
    left_ = 0;
    top_ = 0;
    xTwips_ = 0;
    yTwips_ = 0;
    penWidth_ = 1;
    setFont(kSongFace, 9, false);
}

void Surface::setUnit(Unit unit) {
    unit_ = unit;
    perUnit_ = unit == Unit::Millimetres ? kTwipsPerMillimetre : 1.0;
    left_ = 0;
    top_ = 0;
}

void Surface::setOrigin(double left, double top) {
    left_ = left;
    top_ = top;
}

void Surface::setFont(const QString& name, double points, bool bold) {
    fontName_ = name;
    fontPoints_ = points > 0 ? points : 9.0;
    fontBold_ = bold;
    font_ = printerFont(fontName_, fontPoints_, fontBold_);
    fontMetrics_ = metrics_.metrics(font_);
}

double Surface::x() const {
    return xTwips_ / perUnit_ + left_;
}

double Surface::y() const {
    return yTwips_ / perUnit_ + top_;
}

void Surface::setX(double x) {
    xTwips_ = toTwipsX(x);
}

void Surface::setY(double y) {
    yTwips_ = toTwipsY(y);
}

Page& Surface::currentPage() {
    if (document_.pages.empty())
        document_.pages.emplace_back();
    return document_.pages.back();
}

void Surface::print(const QString& text, bool endLine) {
    if (!text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r'))) {
        printPiece(text, endLine);
        return;
    }
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList pieces = lines.split(QLatin1Char('\n'));
    for (int i = 0; i < pieces.size(); ++i)
        printPiece(pieces.at(i), i + 1 < pieces.size() || endLine);
}

void Surface::printPiece(const QString& text, bool endLine) {
    if (!text.isEmpty())
        currentPage().operations.emplace_back(
            TextOp{xTwips_, yTwips_, fontName_, fontPoints_, fontBold_, text});
    constexpr double perPixel = kTwipsPerInch / kRenderDpi;
    if (endLine) {
        xTwips_ = toTwipsX(left_);
        yTwips_ += fontMetrics_.height() * perPixel;
    } else {
        xTwips_ += fontMetrics_.horizontalAdvance(text) * perPixel;
    }
}

void Surface::place(double x, double y, const QString& text) {
    if (!text.isEmpty())
        currentPage().operations.emplace_back(
            TextOp{toTwipsX(x), toTwipsY(y), fontName_, fontPoints_, fontBold_, text});
}

void Surface::line(double x1, double y1, double x2, double y2) {
    currentPage().operations.emplace_back(
        LineOp{toTwipsX(x1), toTwipsY(y1), toTwipsX(x2), toTwipsY(y2), penWidth_ < 1 ? 1 : penWidth_});
}

void Surface::newPage() {
    currentPage();
    document_.pages.emplace_back();
}

double Surface::lineHeight() const {
    return fontMetrics_.height() * kTwipsPerInch / kRenderDpi / perUnit_;
}

double Surface::textWidth(const QString& text) const {
    return fontMetrics_.horizontalAdvance(text) * kTwipsPerInch / kRenderDpi / perUnit_;
}

Document Surface::endDocument() {
    Document done = std::move(document_);
    if (!done.pages.empty() && done.pages.back().operations.empty())
        done.pages.pop_back();
    if (done.isEmpty())
        done.pages.clear();
    reset();
    return done;
}

} // namespace lichuan::printing

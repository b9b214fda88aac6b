#include "prescription/ticketlayout.h"

#include "data/numbers.h"
#include "printing/painter.h"
#include "printing/surface.h"

#include <QHash>
#include <algorithm>
#include <functional>
#include <limits>
#include <map>

namespace lichuan {

using namespace ticketlayout;

namespace {

const QString kSong = QStringLiteral("宋体");

struct Geometry {
    bool roll = false;
    double left = 0;  // the column, in the layout's coordinates (mm from the printable area's corner)
    double right = 0; // before the margins move it
    double top = 0;
    double bottom = 0; // where the lines of a page must end
    double bodyPoints = 11;
    double titlePoints = 15;
    double columnGap = 3; // between the columns of the items
    double itemGap = 1;   // between two items
};

Geometry geometryFor(const TicketPaper& paper, double shiftX, double shiftY) {
    Geometry g;
    g.roll = isRoll(paper);
    const double printableWidth = paper.width - 2 * paper.printableLeft;
    const double printableHeight = paper.height - 2 * paper.printableTop;
    // The margins move the column; its right end stays inside the paper, so the column narrows instead.
    if (g.roll) {
        g.left = kRollInset;
        g.right = printableWidth - kRollInset - shiftX;
        g.top = kRollTop;
        g.bottom = std::numeric_limits<double>::infinity();
        g.bodyPoints = paper.width >= 70 ? 10 : 9;
        g.titlePoints = paper.width >= 70 ? 12 : 11;
        g.columnGap = 2;
        g.itemGap = 0.8;
    } else {
        g.left = kSheetInset;
        g.right = std::min(g.left + kSheetColumnWidth, printableWidth - kSheetInset - shiftX);
        g.top = kSheetTop;
        g.bottom = printableHeight - kSheetBottom - shiftY;
        g.bodyPoints = paper.width >= 180 ? 12 : 11;
        g.titlePoints = paper.width >= 180 ? 16 : 15;
    }
    // A margin that leaves almost nothing still gets a column the names can wrap in.
    g.right = std::max(g.right, g.left + 30);
    return g;
}

// Lays the lines of the ticket out one below the other, onto more pages where a sheet ends.
class Writer {
public:
    Writer(printing::Surface& surface, const Geometry& geometry, const ticket::Content& content)
        : s_(surface), g_(geometry), content_(content), y_(geometry.top) {}

    double y() const { return y_; }
    double width() const { return g_.right - g_.left; }
    double lineHeight() const { return s_.lineHeight(); }

    void setFont(double points, bool bold) {
        if (points != points_ || bold != bold_) {
            s_.setFont(kSong, points, bold);
            points_ = points;
            bold_ = bold;
            widths_ = &widthsByFont_[{points, bold}];
        }
    }

    // Texts repeat (units, quantities, the characters of names): each is measured once per font.
    double textWidth(const QString& text) const {
        const auto found = widths_->constFind(text);
        if (found != widths_->cend())
            return *found;
        const double width = s_.textWidth(text);
        widths_->insert(text, width);
        return width;
    }

    // The pieces of `text` that fit into `width` one after the other. A piece ends before or after a Chinese
    // character, a space or a sign, not inside a run of letters and digits ("27mg") unless the run alone is
    // wider than `width`; characters are never split.
    QStringList wrap(const QString& text, double width) const {
        const auto isWordChar = [](QChar c) {
            return c.unicode() < 0x80 && (c.isLetterOrNumber() || c == QLatin1Char('.'));
        };
        // An opening bracket stays with what follows it, a closing one or a sign with what precedes it.
        const auto mayBreak = [&isWordChar](QChar before, QChar after) {
            static const QString opening = QStringLiteral("[(（“");
            static const QString closing = QStringLiteral("])）”，。：、*");
            return !(isWordChar(before) && isWordChar(after)) && !opening.contains(before) &&
                   !closing.contains(after);
        };
        if (textWidth(text) <= width + 1e-6)
            return {text};
        QStringList pieces;
        QString piece;
        double used = 0;
        qsizetype breakAt = -1; // the last place in `piece` where it may end
        for (qsizetype i = 0; i < text.size();) {
            const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
            const QString character = text.mid(i, length);
            const double w = textWidth(character);
            if (!piece.isEmpty() && mayBreak(piece.back(), character.front()))
                breakAt = piece.size();
            if (!piece.isEmpty() && used + w > width + 1e-6) {
                const qsizetype cut = breakAt > 0 ? breakAt : piece.size();
                pieces << piece.left(cut);
                piece = piece.mid(cut);
                if (piece.startsWith(QLatin1Char(' ')))
                    piece.remove(0, 1);
                used = textWidth(piece);
                breakAt = -1;
                if (piece.isEmpty() && character == QLatin1String(" ")) {
                    i += length;
                    continue;
                }
            }
            piece += character;
            used += w;
            i += length;
        }
        if (!piece.isEmpty() || pieces.isEmpty())
            pieces << piece;
        return pieces;
    }

    // Starts a new page when `height` more millimetres do not fit on this one.
    void makeRoom(double height) {
        if (y_ + height <= g_.bottom + 1e-6 || y_ <= g_.top + 1e-6)
            return;
        s_.newPage();
        y_ = g_.top;
        const double points = points_;
        const bool bold = bold_;
        setFont(g_.bodyPoints, true);
        line(QStringLiteral("取药单（续）  处方号：") + content_.key, false);
        gap(1);
        setFont(points, bold);
        if (onNewPage)
            onNewPage();
    }

    // A text at the left of the column (or centred), wrapped to the column's width.
    void line(const QString& text, bool centred) {
        for (const QString& piece : wrap(text, width())) {
            makeRoom(lineHeight());
            const double x = centred ? g_.left + (width() - textWidth(piece)) / 2 : g_.left;
            at(x, piece);
            y_ += lineHeight();
        }
    }

    // Short texts side by side, as many on a line as fit.
    void flow(const QStringList& tokens) {
        const double separator = textWidth(QStringLiteral("  "));
        double x = 0;
        bool lineStarted = false;
        for (const QString& token : tokens) {
            const double w = textWidth(token);
            if (lineStarted && x + separator + w > width() + 1e-6) {
                y_ += lineHeight();
                lineStarted = false;
                x = 0;
            }
            if (!lineStarted && w > width()) {
                line(token, false);
                continue;
            }
            if (lineStarted)
                x += separator;
            makeRoom(lineHeight());
            at(g_.left + x, token);
            x += w;
            lineStarted = true;
        }
        if (lineStarted)
            y_ += lineHeight();
    }

    void rule() {
        makeRoom(2);
        y_ += 0.8;
        s_.line(g_.left, y_, g_.right, y_);
        y_ += 1.2;
    }

    void gap(double millimetres) { y_ += millimetres; }

    // A text whose top-left corner stands at (x, y).
    void at(double x, const QString& text) { at(x, y_, text); }
    void at(double x, double y, const QString& text) { s_.place(x, y, text); }

    std::function<void()> onNewPage; // what every following page starts with (the column headings)

private:
    printing::Surface& s_;
    const Geometry& g_;
    const ticket::Content& content_;
    double y_;
    double points_ = -1;
    bool bold_ = false;
    std::map<std::pair<double, bool>, QHash<QString, double>> widthsByFont_;
    QHash<QString, double>* widths_ = &widthsByFont_[{0.0, false}];
};

// Where the columns of the items stand, measured from the texts they hold.
struct Columns {
    bool perDose = false;
    double nameLeft = 0;
    double nameWidth = 0;
    double perDoseRight = 0;
    double quantityRight = 0;
    double unitLeft = 0;
};

QString shownName(const ticket::Line& line) {
    return line.note.isEmpty() ? line.name : line.name + QLatin1Char('[') + line.note + QLatin1Char(']');
}

Columns columnsFor(const Writer& w, const std::vector<ticket::Line>& lines, const Geometry& g) {
    Columns c;
    double drawer = w.textWidth(QStringLiteral("斗位"));
    double perDose = w.textWidth(QStringLiteral("每剂"));
    double quantity = w.textWidth(QStringLiteral("总量"));
    double unit = w.textWidth(QStringLiteral("单位"));
    double name = w.textWidth(QStringLiteral("药名药名"));
    for (const ticket::Line& line : lines) {
        drawer = std::max(drawer, w.textWidth(line.drawer));
        c.perDose = c.perDose || !line.perDose.isEmpty();
        perDose = std::max(perDose, w.textWidth(line.perDose));
        quantity = std::max(quantity, w.textWidth(line.quantity));
        unit = std::max(unit, w.textWidth(line.unit));
        name = std::max(name, w.textWidth(shownName(line)));
    }
    const double unitGap = 1;
    const double numbers = (c.perDose ? perDose + g.columnGap : 0) + quantity + unitGap + unit;
    c.nameLeft = g.left + drawer + g.columnGap;
    // The names take what they need, up to a few characters more than a herb's name with its note and at
    // most what the numbers leave: a longer name wraps and the numbers stay near the names.
    const double widest = w.textWidth(QString(g.roll ? 8 : 12, QChar(0x836F)));
    c.nameWidth = std::max(w.textWidth(QStringLiteral("药名")),
                           std::min({name, widest, g.right - c.nameLeft - g.columnGap - numbers}));
    double x = c.nameLeft + c.nameWidth + g.columnGap;
    if (c.perDose) {
        c.perDoseRight = x + perDose;
        x = c.perDoseRight + g.columnGap;
    }
    c.quantityRight = x + quantity;
    c.unitLeft = c.quantityRight + unitGap;
    return c;
}

void headings(Writer& w, const Columns& c, const Geometry& g) {
    w.at(g.left, QStringLiteral("斗位"));
    w.at(c.nameLeft, QStringLiteral("药名"));
    if (c.perDose)
        w.at(c.perDoseRight - w.textWidth(QStringLiteral("每剂")), QStringLiteral("每剂"));
    w.at(c.quantityRight - w.textWidth(QStringLiteral("总量")), QStringLiteral("总量"));
    w.at(c.unitLeft, QStringLiteral("单位"));
    w.gap(w.lineHeight());
    w.rule();
}

void item(Writer& w, const Columns& c, const Geometry& g, const ticket::Line& line) {
    const QStringList name = w.wrap(shownName(line), c.nameWidth);
    const double height = name.size() * w.lineHeight();
    w.makeRoom(height);
    const double top = w.y();
    w.at(g.left, line.drawer);
    if (c.perDose)
        w.at(c.perDoseRight - w.textWidth(line.perDose), line.perDose);
    w.at(c.quantityRight - w.textWidth(line.quantity), line.quantity);
    w.at(c.unitLeft, line.unit);
    for (int i = 0; i < name.size(); ++i)
        w.at(c.nameLeft, top + i * w.lineHeight(), name.at(i));
    w.gap(height + g.itemGap);
}

} // namespace

TicketPaper ticketPaper(const printing::PageSetup& setup) {
    const QSizeF size = setup.pageSize.size(QPageSize::Millimeter);
    constexpr double kMmPerTwip = 25.4 / 1440;
    return {std::min(size.width(), size.height()), std::max(size.width(), size.height()),
            setup.printableOffset.x() * kMmPerTwip, setup.printableOffset.y() * kMmPerTwip};
}

bool isRoll(const TicketPaper& paper) {
    return paper.width < kRollMaxWidth;
}

void layOutTicket(printing::Surface& surface, const ticket::Content& content,
                  const TicketPrintSettings& settings, const TicketPaper& paper) {
    const double shiftX = numbers::leadingNumber(settings.leftMargin) - kMarginBase;
    const double shiftY = numbers::leadingNumber(settings.topMargin) - kMarginBase;
    const Geometry g = geometryFor(paper, shiftX, shiftY);
    surface.setUnit(printing::Unit::Millimetres);
    // (x, y) lands x + shiftX millimetres right of the printable area's left edge, y + shiftY below its top.
    surface.setOrigin(-shiftX, -shiftY);

    Writer w(surface, g, content);
    w.setFont(g.titlePoints, true);
    if (!content.clinicName.trimmed().isEmpty())
        w.line(content.clinicName, true);
    w.line(QStringLiteral("取药单"), true);
    w.gap(1.5);

    w.setFont(g.bodyPoints, false);
    w.line(QStringLiteral("处方号：") + content.key, false);
    w.line(QStringLiteral("日期：") + content.date, false);
    w.flow({QStringLiteral("姓名：") + content.patient, QStringLiteral("性别：") + content.sex,
            QStringLiteral("年龄：") + content.age});
    if (!content.doses.isEmpty()) {
        w.setFont(g.bodyPoints, true);
        w.line(QStringLiteral("剂数：") + content.doses, false);
        w.setFont(g.bodyPoints, false);
    }
    w.rule();

    const Columns columns = columnsFor(w, content.lines, g);
    headings(w, columns, g);
    w.onNewPage = [&] { headings(w, columns, g); };
    for (const ticket::Line& line : content.lines)
        item(w, columns, g, line);
    w.onNewPage = nullptr;
    w.rule();

    w.line(QStringLiteral("合计金额：") + content.total + QStringLiteral("元"), false);
    for (const ticket::NoteGroup& group : ticket::groupNotes(content.lines))
        w.line(group.text(), false);
    w.gap(2);
    w.flow({QStringLiteral("医师：") + content.doctor, QStringLiteral("发药：") + content.dispenser,
            QStringLiteral("核对：______")});

    if (g.roll) {
        // As long as the lines, the margins and the printer's edges need.
        surface.setPaperSize(
            QSizeF(paper.width, paper.printableTop * 2 + std::max(0.0, shiftY) + w.y() + kRollFeed));
    }
    surface.setUnit(printing::Unit::Twips);
}

} // namespace lichuan

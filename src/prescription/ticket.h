#pragma once
// The pick-up ticket (取药单) as data: what the dispenser walks the herb cabinet with. The priced lines of
// the sheet in drawer order (lines without a drawer last, in the order of the sheet), each herb with its
// note, its quantity per dose and the quantity to hand out, and the notes gathered at the end. Plain
// functions of plain values; the layout for the paper is in ticketlayout.h.

#include "data/record.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace lichuan::ticket {

struct Line {
    QString drawer;   // 斗位
    QString name;     // the name without its note
    QString note;     // 先煎, 后下, 烊化 … of a herb; empty for other items
    QString perDose;  // a herb's quantity per dose; empty for Western drugs and charge items
    QString quantity; // what is handed out (a herb's: per dose × doses)
    QString unit;
};

// The names of one note, in the order of the ticket: "先煎：石膏 龙骨".
struct NoteGroup {
    QString note;
    QStringList names;
    QString text() const;
};

// What the ticket shows.
struct Content {
    QString clinicName;
    QString key; // the record key, the prescription's number
    QString date;
    QString patient;
    QString sex;
    QString age;
    QString doses; // empty on a Western sheet
    std::vector<Line> lines;
    QString total; // "0.00" form
    QString doctor;
    QString dispenser;
};

// The sheet the ticket is made from: its priced lines (those of a settled sheet, or the item text priced
// for the ticket) and what they were priced from.
struct PricedSheet {
    std::vector<PricedLine> lines; // lines with a blank name are left out
    QString itemText;              // R1, "\r\n" line breaks
    bool herbal = true;
    QString doses; // the sheet's dose count
};

struct Lines {
    std::vector<Line> lines; // in drawer order
    QString doses;           // the dose count the lines were priced for (empty on a Western sheet)
    QString total;           // the sum of the amounts, "0.00"
};

// The lines of the ticket in drawer order. A herb's quantity per dose is the one its item in the item text
// names (matched by name); the dose count is the one the herb lines were priced for when all of them agree
// (a reloaded sheet keeps the dose count it had, not the one it was settled with), else the sheet's. A
// line of a herbal sheet that no herb item names is a herb by its category (its quantity per dose then
// is its quantity ÷ doses), otherwise a charge item.
Lines ticketLines(const PricedSheet& sheet);

// The lines in drawer order as the drawer sort orders them; lines without a drawer follow in their order.
std::vector<Line> inDrawerOrder(std::vector<Line> lines);

// "石膏[先煎]" → 石膏 and 先煎; a name without a note keeps its whole text.
void splitNote(const QString& shownName, QString* name, QString* note);

// The notes of the lines, each with the names that carry it, in the order of the lines.
std::vector<NoteGroup> groupNotes(const std::vector<Line>& lines);

} // namespace lichuan::ticket

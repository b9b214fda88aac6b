#pragma once
// Where the record window puts its header panel and its ten fields, in twips. The printed page copies the
// header panel and writes each field at its left edge, so the window and the paper share these numbers
// (the paper never depends on how a desktop style sizes the widgets).

#include "records/caserecord.h"

#include <array>

namespace lichuan::recordgeometry {

struct Label {
    int left; // -1: centred in the panel
    int top;
    double points;
    bool bold;
};

struct Rule {
    int x1, y1, x2, y2;
};

struct Box {
    int left, top, width, height;
};

inline const QString kFontName = QStringLiteral("宋体");

// The header panel `Picture1` at the top-left corner of the paper area; labels `Label2(0)` … `Label2(6)`:
// title, visit time, name, sex, age, department, address/telephone.
constexpr int kPanelWidth = 6900;
constexpr int kPanelHeight = 1740;
constexpr std::array<Label, 7> kHeaderLabels = {{
    {-1, 150, 15.75, true},
    {3300, 660, 10.5, false},
    {120, 1110, 10.5, false},
    {2280, 1110, 10.5, false},
    {3360, 1110, 10.5, false},
    {4560, 1110, 10.5, false},
    {120, 1410, 10.5, false},
}};
// `Line1(0)` under the title, `Line1(1)` under the patient's data (its y is where the writing starts).
constexpr std::array<Rule, 2> kHeaderRules = {{{120, 1000, 6780, 1000}, {120, 1710, 6780, 1710}}};

// The record fields `Text2(0)` … `Text2(9)` in paper coordinates (their captions stand at x = 120, the
// same column as the printed section labels), written in the font of `Label2(6)`.
constexpr int kCaptionLeft = 120;
constexpr double kFieldPoints = 10.5;
constexpr std::array<Box, kRecordFieldCount> kFields = {{
    {1020, 1800, 5760, 450},
    {1020, 2310, 5760, 840},
    {1020, 3210, 5760, 450},
    {1020, 3720, 5760, 450},
    {1020, 4230, 5760, 450},
    {1020, 4740, 5760, 840},
    {1020, 5640, 5760, 450},
    {1860, 6150, 4920, 450},
    {1230, 6660, 5550, 450},
    {1020, 7170, 5760, 2040},
}};
constexpr int kPaperHeight = 9300;
// The document margin of a field inside its one-pixel frame: its text starts four pixels from the edge.
constexpr int kFieldMarginPixels = 3;

} // namespace lichuan::recordgeometry

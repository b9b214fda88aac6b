#pragma once
// Construction of the prescription window's controls, one function per panel.

#include <QFont>

namespace lichuan {

class Form2;

// The font the windows name 宋体, at a size in points.
QFont songFont(double points, bool bold = false);

void buildSheet(Form2& form);
void buildPricing(Form2& form);
void buildSearch(Form2& form);
void buildHistory(Form2& form);
void buildToolbar(Form2& form);

} // namespace lichuan

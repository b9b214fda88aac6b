#include "prescription/form2.h"

#include "ui/twips.h"

namespace lichuan {

Form2::Form2(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setWindowTitle(QStringLiteral("处方录入"));
    setFixedSize(twips::size(15135, 9615));
}

Form2::~Form2() = default;

} // namespace lichuan

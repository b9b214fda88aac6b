#pragma once
// The prescription sheet as the other windows see it (SheetAccess), over the prescription window that the
// main window keeps.

#include "session/services.h"

#include <functional>

namespace lichuan {

class Form2;

class SheetLink final : public SheetAccess {
public:
    // `window` gives the prescription window, created hidden when the user had closed it; null while the
    // program is ending.
    explicit SheetLink(std::function<Form2*()> window);

    QString headerField(int field) const override;
    QString recordKey() const override;
    QString itemText() const override;
    QStringList itemLinesAsShown() const override;
    bool herbalMode() const override;
    void layOutItems() override;
    bool saveSheet() override;
    void setClinicTitle(const QString& clinicName) override;
    void previewPrescription(const QString& leftMm, const QString& topMm) override;
    bool showPrescription(const SheetRecord& record, bool saved) override;

private:
    std::function<Form2*()> window_;
};

} // namespace lichuan

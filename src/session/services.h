#pragma once
// What the windows are given: the process-wide state, the settings store, the clock, the message service,
// the file chooser and the way to open other windows.

#include <QString>
#include <QStringList>

namespace lichuan {

struct ProcessState;
struct SheetRecord;
class SettingsStore;
class Clock;
class Messages;
class FileChooser;

// Opens the windows another window asks for; implemented by the main window.
class Navigator {
public:
    virtual ~Navigator() = default;
    virtual void openLog() {}
    virtual void openTemplateWindow(bool herbal, const QString& content) {
        (void)herbal;
        (void)content;
    }
    virtual void openCaseRecord() {}
    virtual void openStatistics() {}
    // The template window switched to the kind "病历模板" (the medical record's "编辑病历模板").
    virtual void openRecordTemplates() {}
    virtual void openAbout() {}
    virtual void openHelp() {}
};

// What the other windows read from the prescription sheet and ask of it. The main window implements it and
// brings the prescription window back (hidden) when the user had closed it.
class SheetAccess {
public:
    virtual ~SheetAccess() = default;
    // Header field i (`Text5(i)`), as the sheet shows it now.
    virtual QString headerField(int field) const = 0;
    // The record key of the sheet (`Label4`), "yyyymmddhhmmss" + station suffix.
    virtual QString recordKey() const = 0;
    // The item text `R1` as stored, with "\r\n" line breaks.
    virtual QString itemText() const = 0;
    // The lines of `R1` as the box wraps and shows them, without their line breaks (TextBoxLine).
    virtual QStringList itemLinesAsShown() const = 0;
    // Herbal mode while the dose count is shown.
    virtual bool herbalMode() const = 0;
    // Lays the item text out in 13-column cells (`RC1`).
    virtual void layOutItems() = 0;
    // The sheet's save (`SavePrescription`, which stores `PendingCaseRecord` with the row), then the history
    // query again; false when nothing was stored (the sheet has told the user why).
    virtual bool saveSheet() = 0;
    // Puts the clinic name into the sheet's title (`Label2(0)`) and centres it.
    virtual void setClinicTitle(const QString& clinicName) = 0;
    // Shows the print preview of the sheet with the margins given (millimetres, as 左边距 and 上边距 hold
    // them) instead of the stored ones.
    virtual void previewPrescription(const QString& leftMm, const QString& topMm) = 0;
    // Puts a prescription on the sheet as the history list reloads one and brings the prescription window to
    // the front. `saved`: it is the stored row of the database in use, which a later save updates; otherwise
    // (a backup copy's, a deleted one) the sheet takes it as new, and saving it never overwrites another
    // row. False when there is no sheet.
    virtual bool showPrescription(const SheetRecord& record, bool saved) {
        (void)record;
        (void)saved;
        return false;
    }
};

// The open medical-record window as the sheet sees it. The record it shows belongs to the sheet's record
// key: the sheet takes the window's text when it saves and before it moves to another key, and has the
// window show the new sheet's record after.
class CaseRecordWindow {
public:
    virtual ~CaseRecordWindow() = default;
    // The stored form of the ten fields as the window shows them now.
    virtual QString recordText() const = 0;
    // The sheet shows another prescription: the window shows its header and `PendingCaseRecord`.
    virtual void followSheet() = 0;
};

struct Services {
    ProcessState& state;
    SettingsStore& settings;
    const Clock& clock;
    Messages& messages;
    Navigator& navigator;
    FileChooser& files;           // every question for a file to open or to save under
    SheetAccess* sheet = nullptr; // null where no prescription sheet exists (tests of single windows)
    CaseRecordWindow* caseRecord = nullptr; // the open medical-record window, if any
};

} // namespace lichuan

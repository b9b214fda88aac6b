#pragma once
// The toolbar: new, renew, save, copy, print and the windows it opens.

#include "printing/printui.h"

#include <QObject>
#include <QPointer>

class QMenu;

namespace lichuan {

class Form2;

class Toolbar : public QObject {
    Q_OBJECT
public:
    // The buttons, by their index along the toolbar.
    enum Button {
        New = 0,    // "新建"
        Renew,      // "续开"
        Save,       // "保存"
        Print,      // "打印"
        Log,        // "日志"
        SaveAsSet,  // "存为组套"
        CaseRecord, // "门诊病历"
        Statistics, // "统计"
        Help,       // "操作帮助"
        Copy,       // "复制处方"
        About,      // "联系作者"
    };

    explicit Toolbar(Form2& form);

    // Runs the action of button i as a click does: the suggestion lists hidden, none opened meanwhile.
    void run(int button);

    // The actions themselves.
    void newSheet();
    void renew();
    void save();
    // Prints the sheet on the prescription printer (处方打印机; the system default when empty); when it
    // cannot, says why and opens the preview. A sheet with unsaved changes asks first whether to save it
    // (是: save, then print; 否: print only; 取消: nothing).
    void print();
    inline static const QString kSaveBeforePrinting = QStringLiteral("处方尚未保存，是否先保存再打印？");
    // The preview of the printed sheet, with the margins of the settings or the ones given (millimetres).
    void printPreview();
    void printPreview(const QString& leftMargin, const QString& topMargin);
    // Writes the printed sheet as a PDF file; false (and a "提示" box) when it could not be written.
    bool exportPdf(const QString& path);
    // The right-click menu of "打印": 打印预览, 输出PDF.
    QMenu* printMenu();
    void saveAsSet();
    void copySheet();
    void about();

    // The two looks of a button: pressed (3-D with a single border) while the mouse is down, flat again.
    void showPressed(int button);
    void showFlat(int button);

    // How long the item text stays away while a sheet is copied, in milliseconds.
    static constexpr int kCopyPauseMs = 300;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int buttonOf(QObject* watched) const;
    // The toolbar's save: the herbal layout first, then the save and the history query; false when
    // nothing was stored.
    bool saveThenRequery();
    void exportPdfAsked();
    // Notes in the log where the printed sheet went.
    printing::OutputHook noteOutput() const;

    QPointer<QMenu> printMenu_;

    Form2& form_;
};

} // namespace lichuan

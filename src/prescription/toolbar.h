#pragma once
// The toolbar: new, renew, save, copy, the windows it opens, and the save of the sheet that settlement
// and the medical record share.

#include <QObject>

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

    // Checks the sheet and writes the prescription row and the patient row; false when nothing was saved.
    bool SavePrescription();

    // Runs the action of button i as a click does: the suggestion lists hidden, none opened meanwhile.
    void run(int button);

    // The actions themselves.
    void newSheet();
    void renew();
    void save();
    void print();
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

    Form2& form_;
};

} // namespace lichuan

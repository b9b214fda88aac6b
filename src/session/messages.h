#pragma once
// The one way the program shows a message: a box titled "提示". The widget implementation lives in ui/;
// tests use a recording one so that no modal box blocks them.

#include <QString>
#include <QStringList>

namespace lichuan {

class Messages {
public:
    enum class Icon { None, Warning };
    virtual ~Messages() = default;
    // A message with one OK button ("确定").
    virtual void inform(const QString& text) = 0;
    // A message with the warning icon and one OK button; where no icon can be shown, a plain message.
    virtual void warn(const QString& text) { inform(text); }
    // A question with OK and Cancel ("确定", "取消"); true for OK.
    virtual bool confirm(const QString& text, Icon icon = Icon::None) = 0;
    // A question with Yes and No ("是", "否"); true for Yes.
    virtual bool askYesNo(const QString& text, Icon icon = Icon::Warning) { return confirm(text, icon); }
    // The answers of a question that can also be put off.
    enum class Answer { Yes, No, Cancel };
    // A question with Yes, No and Cancel ("是", "否", "取消"); Esc answers Cancel.
    virtual Answer askYesNoCancel(const QString& text, Icon icon = Icon::None) = 0;
};

// Remembers every message and answers questions with a preset answer.
class RecordingMessages final : public Messages {
public:
    void inform(const QString& text) override { shown << text; }
    void warn(const QString& text) override {
        shown << text;
        warnings << text;
    }
    bool confirm(const QString& text, Icon) override {
        shown << text;
        return answer;
    }
    bool askYesNo(const QString& text, Icon) override {
        shown << text;
        return answer;
    }
    Answer askYesNoCancel(const QString& text, Icon) override {
        shown << text;
        return threeWayAnswer;
    }
    QStringList shown;
    QStringList warnings; // the messages that were shown as warnings (they are in `shown` too)
    bool answer = true;
    Answer threeWayAnswer = Answer::Yes; // the answer to a question with Yes, No and Cancel
};

} // namespace lichuan

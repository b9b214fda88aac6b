// Builds the controls of the medical-record window at their design positions.

#include "printing/textboxlines.h"
#include "records/form14.h"
#include "records/recordgeometry.h"
#include "records/recordprint.h"
#include "ui/buttons.h"
#include "ui/crlftextedit.h"
#include "ui/twips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace lichuan {

namespace geo = recordgeometry;

// A field's frame and margin together are the margin its printed lines are counted with.
static_assert(1 + geo::kFieldMarginPixels == printing::kTextBoxMarginPixels);

namespace {

// The paper area (header panel and fields) and the column of search, list and buttons beside it.
constexpr int kPaperLeft = 120;
constexpr int kPaperTop = 120;
constexpr int kColumnLeft = kPaperLeft + geo::kPanelWidth + 120;
constexpr int kColumnWidth = 2700;
constexpr int kButtonHeight = 420;
constexpr int kButtonStep = 510;
constexpr int kFirstButtonTop = 6060;
constexpr int kWindowWidth = kColumnLeft + kColumnWidth + 120;
constexpr int kWindowHeight = kPaperTop + geo::kPaperHeight + 120;

QFont recordFont(double points, bool bold = false) {
    QFont font(geo::kFontName);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void whiteBackground(QWidget* widget) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, Qt::white);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QPushButton* button(QWidget* parent, const QString& text, int index) {
    auto* b = new QPushButton(text, parent);
    b->setGeometry(
        twips::rect(kColumnLeft, kFirstButtonTop + index * kButtonStep, kColumnWidth, kButtonHeight));
    clickOnEnter(*b);
    return b;
}

} // namespace

void Form14::build() {
    setObjectName(QStringLiteral("Form14"));
    setWindowTitle(QStringLiteral("门诊病历"));
    setFixedSize(twips::size(kWindowWidth, kWindowHeight));

    auto* paper = new QWidget(this);
    paper->setObjectName(QStringLiteral("paper"));
    paper->setGeometry(twips::rect(kPaperLeft, kPaperTop, geo::kPanelWidth, geo::kPaperHeight));
    whiteBackground(paper);

    Picture1 = new QWidget(paper);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setGeometry(twips::rect(0, 0, geo::kPanelWidth, geo::kPanelHeight));
    for (size_t i = 0; i < Label2.size(); ++i) {
        const geo::Label& design = geo::kHeaderLabels[i];
        auto* label = new QLabel(Picture1);
        label->setObjectName(QStringLiteral("Label2_%1").arg(i));
        label->setFont(recordFont(design.points, design.bold));
        label->move(twips::px(design.left < 0 ? 0 : design.left), twips::px(design.top));
        Label2[i] = label;
    }
    for (size_t i = 0; i < Line1.size(); ++i) {
        const geo::Rule& rule = geo::kHeaderRules[i];
        auto* line = new QFrame(Picture1);
        line->setFrameShape(QFrame::NoFrame);
        line->setGeometry(twips::px(rule.x1), twips::px(rule.y1), twips::px(rule.x2) - twips::px(rule.x1), 1);
        QPalette palette = line->palette();
        palette.setColor(QPalette::Window, Qt::black);
        line->setPalette(palette);
        line->setAutoFillBackground(true);
        Line1[i] = line;
    }

    // The font the printed lines are counted in, so that the window wraps where the paper does.
    const QFont fieldFont = recordFieldFont();
    for (int i = 0; i < kRecordFieldCount; ++i) {
        const geo::Box& box = geo::kFields[static_cast<size_t>(i)];
        auto* edit = new CrLfTextEdit(paper);
        edit->setObjectName(QStringLiteral("Text2_%1").arg(i));
        edit->setFont(fieldFont);
        edit->setGeometry(twips::rect(box.left, box.top, box.width, box.height));
        // One pixel of frame and three of margin: the text wraps where the printed lines are counted to
        // wrap, four pixels inside each edge of the box. A plain box: a sunken one is two pixels wide.
        edit->setFrameShape(QFrame::Box);
        edit->setFrameShadow(QFrame::Plain);
        edit->setLineWidth(1);
        edit->document()->setDocumentMargin(geo::kFieldMarginPixels);
        edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        edit->setWordWrapMode(QTextOption::WrapAnywhere);
        edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        Text2[static_cast<size_t>(i)] = edit;

        auto* caption = new QLabel(recordFieldLabel(i), paper);
        caption->setFont(fieldFont);
        caption->move(twips::px(geo::kCaptionLeft), twips::px(box.top + 60));
        caption->setBuddy(edit);
        Label1[static_cast<size_t>(i)] = caption;
    }

    auto* searchCaption = new QLabel(QStringLiteral("搜索"), this);
    searchCaption->move(twips::px(kColumnLeft), twips::px(kPaperTop + 60));
    Text1 = new QLineEdit(this);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setGeometry(twips::rect(kColumnLeft + 540, kPaperTop, kColumnWidth - 540, 330));
    searchCaption->setBuddy(Text1);

    auto* listCaption = new QLabel(QStringLiteral("病历模板"), this);
    listCaption->move(twips::px(kColumnLeft), twips::px(kPaperTop + 480));
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setGeometry(twips::rect(kColumnLeft, kPaperTop + 780, kColumnWidth, 5000));
    listCaption->setBuddy(List1);

    // "打印病历" and its preview side by side on the first row.
    Command1 = button(this, QStringLiteral("打印病历"), 0);
    Command6 = button(this, QStringLiteral("打印预览"), 0);
    constexpr int kHalfWidth = (kColumnWidth - 60) / 2;
    Command1->setGeometry(twips::rect(kColumnLeft, kFirstButtonTop, kHalfWidth, kButtonHeight));
    Command6->setGeometry(
        twips::rect(kColumnLeft + kColumnWidth - kHalfWidth, kFirstButtonTop, kHalfWidth, kButtonHeight));
    Command2 = button(this, QStringLiteral("引用处方"), 1);
    Command3 = button(this, QStringLiteral("保  存"), 2);
    Command4 = button(this, QStringLiteral("关  闭"), 3);
    Command5 = button(this, QStringLiteral("编辑病历模板"), 4);

    Label3 = new QLabel(this);
    Label3->setObjectName(QStringLiteral("Label3"));
    Label3->setWordWrap(true);
    Label3->setGeometry(twips::rect(kColumnLeft, kFirstButtonTop + 5 * kButtonStep, kColumnWidth, 900));
    QPalette hint = Label3->palette();
    hint.setColor(QPalette::WindowText, QColor(192, 0, 0));
    Label3->setPalette(hint);
    Label3->hide();

    // Fields first, in the order of the page, then the search, the list and the buttons.
    QWidget* previous = Text2[0];
    for (size_t i = 1; i < Text2.size(); ++i) {
        setTabOrder(previous, Text2[i]);
        previous = Text2[i];
    }
    for (QWidget* next : std::initializer_list<QWidget*>{Text1, List1, Command1, Command6, Command2, Command3,
                                                         Command4, Command5}) {
        setTabOrder(previous, next);
        previous = next;
    }
}

} // namespace lichuan

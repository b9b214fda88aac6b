// Builds the controls of the prescription window at their design positions.

#include "prescription/form2_build.h"

#include "prescription/form2.h"
#include "prescription/sheetgeometry.h"
#include "ui/buttons.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/picklist.h"
#include "ui/twips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QValidator>

namespace lichuan {

namespace geo = sheetgeometry;

namespace {

const QColor kWhite(255, 255, 255);
const QColor kFieldBlue(0, 0, 255);
const QColor kOddLine(249, 248, 245);
const QColor kSeparator(224, 224, 224);
const QColor kSearchBackground(255, 255, 192);
const QColor kSearchText(255, 0, 0);

// R1's scroll bar, as wide as the item lines are counted to leave it, whatever the desktop style's width.
class ItemScrollBar final : public QScrollBar {
public:
    ItemScrollBar() : QScrollBar(Qt::Vertical) {}
    QSize sizeHint() const override { return {geo::kItemsScrollBarPixels, QScrollBar::sizeHint().height()}; }
};

QRect toPixels(const geo::Rect& r) {
    return twips::rect(r.left, r.top, r.width, r.height);
}

void setBackground(QWidget* widget, const QColor& colour) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::Window, colour);
    palette.setColor(QPalette::Base, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

QLabel* label(QWidget* parent, const QString& text, const QFont& font) {
    auto* l = new QLabel(text, parent);
    l->setFont(font);
    return l;
}

QFrame* horizontalLine(QWidget* parent, int x1, int x2, int y, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::NoFrame);
    line->setGeometry(twips::px(x1), twips::px(y), twips::px(x2) - twips::px(x1), 1);
    setBackground(line, colour);
    return line;
}

// "$" and "@" separate the columns and cells of the stored priced lines: in a cell they become their
// full-width forms, so that no text typed into a line can shift the lines read back.
class SeparatorFreeValidator final : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        input.replace(QLatin1Char('$'), QChar(0xFF04));
        input.replace(QLatin1Char('@'), QChar(0xFF20));
        return Acceptable;
    }
};

// A button that also answers Enter while it has the focus.
QPushButton* pushButton(QWidget* parent, const QString& text, const geo::Rect& rect, const QFont& font) {
    auto* button = new QPushButton(text, parent);
    button->setFont(font);
    button->setGeometry(toPixels(rect));
    clickOnEnter(*button);
    return button;
}

PickList* suggestionList(QWidget* parent, const geo::Rect& rect) {
    // A view over a string model: a birth year offers hundreds of patients, replaced at each keystroke.
    auto* list = new PickList(parent);
    list->setGeometry(toPixels(rect));
    list->setFont(songFont(9.75));
    // A narrow list cuts long entries instead of growing a scroll bar under them.
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Every entry is one line of the same font: the list need not measure hundreds of them one by one.
    list->setUniformItemSizes(true);
    list->hide();
    return list;
}

} // namespace

QFont songFont(double points, bool bold) {
    QFont font(QStringLiteral("宋体"));
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

void buildSheet(Form2& form) {
    SheetControls& s = form.sheet;
    s.Picture2 = new QWidget(&form);
    s.Picture2->setObjectName(QStringLiteral("Picture2"));
    s.Picture2->setGeometry(toPixels(geo::kSheet));
    setBackground(s.Picture2, kWhite);

    const QFont title = songFont(15.75, true);
    s.Label2[0] = label(s.Picture2, QString(), title);
    s.Label2[0]->move(0, twips::px(geo::kTitleTop));
    s.Label2[3] = label(s.Picture2, QStringLiteral("处  方  笺"), title);
    s.Label2[3]->move(0, twips::px(geo::kHeadingTop));
    s.Label2[2] = label(s.Picture2, QStringLiteral("Rp"), songFont(18, true));
    s.Label2[2]->setGeometry(toPixels(geo::kRp));
    s.Label2[1] = label(s.Picture2, QStringLiteral("中药剂数："), songFont(9.75));
    s.Label2[1]->setGeometry(toPixels(geo::kDoseLabel));

    s.Text6 = new QLineEdit(QStringLiteral("6"), s.Picture2);
    s.Text6->setObjectName(QStringLiteral("Text6"));
    s.Text6->setGeometry(toPixels(geo::kDoseCount));
    s.Text6->setFont(songFont(9.75, true));
    s.Text6->setAlignment(Qt::AlignCenter);
    s.Label2[1]->setBuddy(s.Text6);

    s.Line2 = horizontalLine(s.Picture2, geo::kRuleLeft, geo::kRuleRight, geo::kRuleY, Qt::black);
    s.Label3 = label(s.Picture2, QString(), songFont(9));
    s.Label3->setGeometry(toPixels(geo::kFooter));
    s.Label3->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    const QFont fieldFont = songFont(9.75);
    for (int i = 0; i < kHeaderFieldCount; ++i) {
        const geo::HeaderField& field = geo::kHeaderFields[static_cast<size_t>(i)];
        auto* container = new QWidget(s.Picture2);
        container->setObjectName(QStringLiteral("Picture7_%1").arg(i));
        container->setGeometry(toPixels(field.container));
        setBackground(container, kWhite);
        s.Picture7[static_cast<size_t>(i)] = container;

        auto* caption = label(container, QString::fromUtf16(field.caption), fieldFont);
        caption->adjustSize();
        caption->move(twips::px(geo::kCaptionLeft), twips::px(geo::kCaptionTop));
        s.Label1[static_cast<size_t>(i)] = caption;

        auto* edit = new FieldEdit(container);
        edit->setObjectName(QStringLiteral("Text5_%1").arg(i));
        edit->setFrame(false);
        edit->setFont(fieldFont);
        edit->setTypingLimit(field.typingLimit);
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, kFieldBlue);
        palette.setColor(QPalette::Base, kWhite);
        edit->setPalette(palette);
        edit->setTextMargins(0, 0, 0, 0);
        const int captionWidth = twips::fromPx(caption->width());
        const int left = captionWidth + 75;
        const int width = field.container.width - captionWidth - 135;
        edit->setGeometry(twips::rect(left, geo::kFieldTop, width, geo::kFieldTextHeight));
        caption->setBuddy(edit);
        s.Text5[static_cast<size_t>(i)] = edit;

        s.Line6[static_cast<size_t>(i)] =
            horizontalLine(container, left - 60, left + width + 60, geo::kUnderlineY, Qt::black);
        container->setVisible(field.shown);
        // The program fills 医师, 发药 and 金额: they are not in the focus order.
        if (i == kPhysician || i == kDispenser || i == kAmount)
            edit->setFocusPolicy(Qt::ClickFocus);
    }

    s.R1 = new CrLfTextEdit(s.Picture2);
    s.R1->setObjectName(QStringLiteral("R1"));
    s.R1->setFont(songFont(11.25));
    s.R1->setFrameShape(QFrame::NoFrame);
    s.R1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    s.R1->setWordWrapMode(QTextOption::WrapAnywhere);
    // Shown while the text is taller than the box (SheetActions::fitItemScrollBar), of a fixed width.
    s.R1->setVerticalScrollBar(new ItemScrollBar);
    s.R1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    s.R1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setBackground(s.R1->viewport(), kWhite);
    s.R1->setGeometry(toPixels(geo::itemsRect(geo::Layout::WideHerbal)));

    s.List5 = suggestionList(s.Picture2, geo::kPatientList);
    s.List5->setObjectName(QStringLiteral("List5"));
    s.List4 = suggestionList(s.Picture2, geo::kAddressList);
    s.List4->setObjectName(QStringLiteral("List4"));
    s.List3 = suggestionList(s.Picture2, geo::kDiagnosisList);
    s.List3->setObjectName(QStringLiteral("List3"));
}

void buildPricing(Form2& form) {
    PricingControls& p = form.pricing;
    p.Picture3 = new QWidget(&form);
    p.Picture3->setObjectName(QStringLiteral("Picture3"));
    p.Picture3->setGeometry(toPixels(geo::kPricingPanel));
    setBackground(p.Picture3, kWhite);

    p.Picture1 = new QWidget(p.Picture3);
    p.Picture1->setGeometry(toPixels(geo::kLinesContainer));
    setBackground(p.Picture1, kWhite);

    const QFont cellFont = songFont(9);
    auto cellLabel = [&](const geo::Cell& cell, int line, Qt::Alignment alignment) {
        auto* l = label(p.Picture1, QString(), cellFont);
        l->setGeometry(twips::rect(cell.left, geo::lineTop(line), cell.width, geo::kLabelCellHeight));
        l->setAlignment(alignment | Qt::AlignVCenter);
        return l;
    };
    auto cellEdit = [&](const geo::Cell& cell, int line, Qt::Alignment alignment) {
        auto* e = new QLineEdit(p.Picture1);
        e->setFont(cellFont);
        e->setFrame(false);
        e->setTextMargins(0, 0, 0, 0);
        e->setAlignment(alignment | Qt::AlignVCenter);
        e->setGeometry(twips::rect(cell.left, geo::lineTop(line), cell.width, geo::kTextCellHeight));
        e->setValidator(new SeparatorFreeValidator(e));
        return e;
    };
    for (int i = 0; i < kPricedLineCount; ++i) {
        const auto k = static_cast<size_t>(i);
        const QColor background = (i % 2 == 1) ? kOddLine : kWhite;
        p.Lb1[k] = label(p.Picture1, QString(), cellFont);
        p.Lb1[k]->setGeometry(twips::rect(0, geo::lineBackgroundTop(i), geo::kLineWidth, geo::kLineHeight));
        setBackground(p.Lb1[k], background);
        p.Lb2[k] = cellLabel(geo::kNameCell, i, Qt::AlignLeft);
        p.Lb3[k] = cellEdit(geo::kQuantityCell, i, Qt::AlignHCenter);
        p.Lb4[k] = cellLabel(geo::kUnitCell, i, Qt::AlignLeft);
        p.Lb5[k] = cellEdit(geo::kPriceCell, i, Qt::AlignRight);
        p.Lb6[k] = cellEdit(geo::kAmountCell, i, Qt::AlignRight);
        p.Lb7[k] = cellLabel(geo::kDrawerCell, i, Qt::AlignLeft);
        p.Lb8[k] = cellLabel(geo::kCategoryCell, i, Qt::AlignLeft);
        for (QLineEdit* edit : {p.Lb3[k], p.Lb5[k], p.Lb6[k]})
            setBackground(edit, background);
        p.Lb3[k]->setObjectName(QStringLiteral("Lb3_%1").arg(i));
        p.Lb5[k]->setObjectName(QStringLiteral("Lb5_%1").arg(i));
        p.Lb6[k]->setObjectName(QStringLiteral("Lb6_%1").arg(i));
        p.Lb1[k]->lower();
        p.Ln1[k] = horizontalLine(p.Picture1, 0, geo::kSeparatorRight, geo::separatorY(i), kSeparator);
        p.Ln1[k]->raise();
    }

    for (size_t c = 0; c < geo::kColumnHeaders.size(); ++c) {
        const geo::ColumnHeader& header = geo::kColumnHeaders[c];
        auto* button = new QPushButton(QString::fromUtf16(header.caption), p.Picture3);
        button->setFont(songFont(9));
        button->setFocusPolicy(Qt::NoFocus);
        button->setGeometry(twips::rect(header.left, 0, header.width, geo::kHeaderButtonHeight));
        p.Command3[c] = button;
    }

    p.Picture5 = new QWidget(p.Picture3);
    p.Picture5->setGeometry(toPixels(geo::kTotalsBar));
    setBackground(p.Picture5, QColor(236, 236, 236));
    const QFont totalsFont = songFont(9.75, true);
    p.Label17 = label(p.Picture5, QStringLiteral("中药剂数：6"), totalsFont);
    p.Label17->setGeometry(twips::rect(geo::kDoseCaptionLeft, 0, 2200, geo::kTotalsBar.height));
    p.Label14 = label(p.Picture5, QStringLiteral("合计金额(￥)："), totalsFont);
    p.Label14->setGeometry(twips::rect(geo::kTotalCaptionLeft, 0, 1260, geo::kTotalsBar.height));
    p.Label16 = label(p.Picture5, QString(), totalsFont);
    p.Label16->setObjectName(QStringLiteral("Label16"));
    p.Label16->setGeometry(twips::rect(geo::kTotalLeft, 0, 960, geo::kTotalsBar.height));
    QPalette red = p.Label16->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    p.Label16->setPalette(red);

    p.VScroll1 = new QScrollBar(Qt::Vertical, p.Picture3);
    p.VScroll1->setGeometry(toPixels(geo::kScrollBar));
    p.VScroll1->setRange(0, kPricedLineCount - 1);
    p.VScroll1->setPageStep(6);

    const QFont buttonFont = songFont(10.5, true);
    p.Command4 = pushButton(&form, QStringLiteral("划价结算"), geo::kSettleButton, buttonFont);
    p.Command9 = pushButton(&form, QStringLiteral("撤消结算"), geo::kUndoButton, buttonFont);
    p.Command12 = pushButton(&form, QStringLiteral("按斗位排序"), geo::kDrawerSortButton, buttonFont);
    p.ticketButton = pushButton(&form, QStringLiteral("取药单"), geo::kTicketButton, buttonFont);
    p.ticketButton->setObjectName(QStringLiteral("ticketButton"));
}

void buildSearch(Form2& form) {
    SearchControls& s = form.search;
    // 9 points: the caption fits into the room left of the search box.
    auto* caption = label(&form, QStringLiteral("中文或拼音查询"), songFont(9));
    caption->setGeometry(toPixels(geo::kSearchCaption));

    s.Text1 = new QLineEdit(&form);
    s.Text1->setObjectName(QStringLiteral("Text1"));
    s.Text1->setGeometry(toPixels(geo::kSearchBox));
    s.Text1->setFont(songFont(10.5));
    QPalette palette = s.Text1->palette();
    palette.setColor(QPalette::Base, kSearchBackground);
    palette.setColor(QPalette::Text, kSearchText);
    s.Text1->setPalette(palette);

    for (size_t k = 0; k < geo::kCategoryButtons.size(); ++k) {
        auto* b = new QPushButton(QString::fromUtf16(geo::kCategoryButtons[k].caption), &form);
        b->setObjectName(QStringLiteral("Command1_%1").arg(k));
        b->setFont(songFont(10.5, k == 0));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(toPixels(geo::kCategoryButtons[k].rect));
        s.Command1[k] = b;
    }

    const int padWidth = geo::kPickList.width / static_cast<int>(geo::kLetterPad.size());
    for (size_t k = 0; k < geo::kLetterPad.size(); ++k) {
        auto* b = new QPushButton(QString::fromUtf16(geo::kLetterPad[k]), &form);
        b->setObjectName(QStringLiteral("Command8_%1").arg(k));
        b->setFont(songFont(9));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(twips::rect(geo::kPickList.left + static_cast<int>(k) * padWidth, geo::kLetterPadTop,
                                   padWidth, geo::kLetterPadHeight));
        s.Command8[k] = b;
    }

    s.List1 = new PickList(&form);
    s.List1->setObjectName(QStringLiteral("List1"));
    s.List1->setGeometry(toPixels(geo::kPickList));
    s.List1->setFont(songFont(10.5));
}

void buildHistory(Form2& form) {
    HistoryControls& h = form.history;
    const QFont font = songFont(9.75);
    label(&form, QStringLiteral("姓    名"), font)->setGeometry(toPixels(geo::kNameFilterCaption));
    label(&form, QStringLiteral("日期范围"), font)->setGeometry(toPixels(geo::kDateCaption));
    auto edit = [&](const geo::Rect& rect, const char* name) {
        auto* e = new QLineEdit(&form);
        e->setObjectName(QString::fromLatin1(name));
        e->setFont(font);
        e->setGeometry(toPixels(rect));
        return e;
    };
    h.Text2 = edit(geo::kNameFilter, "Text2");
    h.Text3 = edit(geo::kStartDate, "Text3");
    h.Text4 = edit(geo::kEndDate, "Text4");
    // Enter in the name filter hands the focus to "今日患者"; a focused button answers Enter.
    h.Command7 = pushButton(&form, QStringLiteral("查   询"), geo::kQueryButton, font);
    h.Command2 = pushButton(&form, QStringLiteral("今日患者"), geo::kTodayButton, font);
    h.Command11 = pushButton(&form, QStringLiteral("历史处方"), geo::kPatientButton, font);
    h.Command5 = pushButton(&form, QStringLiteral("<<"), geo::kPreviousDayButton, font);
    h.Command6 = pushButton(&form, QStringLiteral(">>"), geo::kNextDayButton, font);

    h.List2 = new QListWidget(&form);
    h.List2->setObjectName(QStringLiteral("List2"));
    h.List2->setGeometry(toPixels(geo::kHistoryList));
    h.List2->setFont(font);
    h.List2->setUniformItemSizes(true); // one-line entries: a long history lays out at once

    h.Picture6 = new QFrame(&form);
    h.Picture6->setFrameShape(QFrame::Box);
    h.Picture6->setGeometry(0, 0, twips::px(1035), twips::px(570));
    setBackground(h.Picture6, kWhite);
    const QStringList entries{QStringLiteral("删除(D)"), QStringLiteral("取消(E)")};
    for (int i = 0; i < 2; ++i) {
        auto* entry = label(h.Picture6, entries.at(i), font);
        entry->setGeometry(twips::rect(30, 30 + i * 255, 975, 255));
        entry->setAutoFillBackground(true);
        h.Label9[static_cast<size_t>(i)] = entry;
    }
    h.Picture6->hide();
}

void buildToolbar(Form2& form) {
    ToolbarControls& t = form.toolbar;
    static const std::array<const char16_t*, 11> captions{{u"新建", u"续开", u"保存", u"打印", u"日志",
                                                           u"存为组套", u"门诊病历", u"统计", u"操作帮助",
                                                           u"复制处方", u"联系作者"}};
    for (int i = 0; i < 11; ++i) {
        const auto k = static_cast<size_t>(i);
        auto* frame = new QFrame(&form);
        frame->setGeometry(twips::rect(geo::kToolbarLeft + i * geo::kToolbarButtonStep, geo::kToolbarTop,
                                       geo::kToolbarButtonWidth, geo::kToolbarButtonHeight));
        t.Picture4[k] = frame;
        t.Image7[k] = new QLabel(frame);
        t.Image7[k]->setGeometry(twips::rect((geo::kToolbarButtonWidth - 360) / 2, 45, 360, 360));
        t.Image7[k]->setAlignment(Qt::AlignCenter);
        t.Label15[k] = label(frame, QString::fromUtf16(captions[k]), songFont(9));
        t.Label15[k]->setAlignment(Qt::AlignCenter);
        t.Label15[k]->setGeometry(twips::rect(0, 435, geo::kToolbarButtonWidth, 255));
        t.Label18[k] = new QLabel(frame);
        t.Label18[k]->setObjectName(QStringLiteral("Label18_%1").arg(i));
        t.Label18[k]->setGeometry(0, 0, frame->width(), frame->height());
        t.Label18[k]->raise();
    }
}

} // namespace lichuan

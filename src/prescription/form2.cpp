#include "prescription/form2.h"

#include "prescription/form2_build.h"
#include "prescription/headerfields.h"
#include "prescription/historypanel.h"
#include "prescription/lookuppanel.h"
#include "prescription/pricingpanel.h"
#include "prescription/safetypanel.h"
#include "prescription/sheetactions.h"
#include "prescription/sheetgeometry.h"
#include "prescription/shortcuts.h"
#include "prescription/ticketpanel.h"
#include "prescription/toolbar.h"
#include "prescription/totalspanel.h"
#include "session/services.h"
#include "session/state.h"
#include "settings/settingsstore.h"
#include "ui/crlftextedit.h"
#include "ui/fieldedit.h"
#include "ui/twips.h"

#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QScrollBar>

namespace lichuan {

namespace {

// The footer of the sheet, kept a little apart from the other texts of the program.
QString footerCaption() {
    const char16_t text[] = {u'请', u'凭', u'处', u'方', u'取', u'药', u'，', u'药', u'品',
                             u'离', u'柜', u'概', u'不', u'退', u'换', u'。', 0};
    return QString::fromUtf16(text);
}

} // namespace

Form2::Form2(Services& services, QWidget* parent) : QWidget(parent), services_(services) {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("处方录入"));
    setFixedSize(twips::size(sheetgeometry::kWindow.width, sheetgeometry::kWindow.height));

    buildToolbar(*this);
    buildSearch(*this);
    buildHistory(*this);
    buildSheet(*this);
    buildPricing(*this);

    actions_ = std::make_unique<SheetActions>(*this);
    safety_ = std::make_unique<SafetyPanel>(*this);
    totals_ = std::make_unique<TotalsPanel>(*this);
    lookup_ = std::make_unique<LookupPanel>(*this);
    header_ = std::make_unique<HeaderFields>(*this);
    historyPanel_ = std::make_unique<HistoryPanel>(*this);
    toolbarActions_ = std::make_unique<Toolbar>(*this);
    pricingPanel_ = std::make_unique<PricingPanel>(*this);
    ticketPanel_ = std::make_unique<TicketPanel>(*this);
    shortcuts_ = std::make_unique<Shortcuts>(*this);

    // The focus order of the sheet: fields 0 … 6, then the search box.
    QWidget* previous = sheet.Text5[kName];
    for (int i : {kSex, kAge, kDepartment, kAddress, kDate, kDiagnosis}) {
        setTabOrder(previous, sheet.Text5[static_cast<size_t>(i)]);
        previous = sheet.Text5[static_cast<size_t>(i)];
    }
    setTabOrder(previous, search.Text1);
    // The window hands its focus to the name field, where every new prescription begins.
    setFocusProxy(sheet.Text5[kName]);
    // The item box shows its scroll bar exactly while its text is taller than it, so that its lines are
    // the lines the printout and the medical record's citation count with.
    connect(sheet.R1, &QPlainTextEdit::textChanged, this, [this] { actions_->fitItemScrollBar(); });

    load();
}

Form2::~Form2() = default;

void Form2::load() {
    state.SuggestSuppressed = true;
    sheet.Label3->setText(footerCaption());
    actions_->applyLayout(sheetgeometry::Layout::WideHerbal);
    actions_->clearPricedLines();
    state.CurrentCategory = 0;
    historyPanel_->setMonthRange();
    historyPanel_->runQuery();
    lookup_->fillStartup();
    actions_->resetHeaderFields();
    actions_->newRecordKey();
    sheet.Label2[0]->setText(services_.settings.values().clinicName);
    actions_->centreTitles();
    sheet.Text6->setText(QStringLiteral("6"));
    TallListRows(search.List1);
    state.SuggestSuppressed = false;
}

void Form2::mousePressEvent(QMouseEvent* event) {
    // A click on the window's background closes the record menu of the history list.
    history.Picture6->hide();
    QWidget::mousePressEvent(event);
}

} // namespace lichuan

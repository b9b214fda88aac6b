#include "prescription/lookuppanel.h"

#include "data/textrules.h"
#include "prescription/form2.h"
#include "prescription/lookuprules.h"
#include "prescription/sheetactions.h"
#include "session/services.h"
#include "session/state.h"
#include "ui/crlftextedit.h"
#include "ui/listkeys.h"
#include "ui/picklist.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace lichuan {

void TallListRows(PickList* list) {
    list->setRowHeight(16);
}

LookupPanel::LookupPanel(Form2& form) : form_(form) {
    SearchControls& s = form_.search;
    connect(s.Text1, &QLineEdit::textChanged, this, &LookupPanel::onSearchTextChanged);
    for (size_t k = 0; k < s.Command1.size(); ++k) {
        connect(s.Command1[k], &QPushButton::clicked, this,
                [this, k] { switchCategory(static_cast<int>(k)); });
    }
    for (size_t k = 0; k < s.Command8.size(); ++k)
        connect(s.Command8[k], &QPushButton::clicked, this,
                [this, k] { pressLetterPad(static_cast<int>(k)); });
    // Picking is a double-click or Enter; `activated` is left alone (a single click on some desktops).
    connect(s.List1, &PickList::rowDoubleClicked, this, &LookupPanel::pick);
    s.Text1->installEventFilter(this);
    s.List1->installEventFilter(this);

    CrLfTextEdit* r1 = form_.sheet.R1;
    connect(r1, &CrLfTextEdit::clicked, this, [this] { form_.actions().hideSuggestions(); });
    connect(r1, &CrLfTextEdit::doubleClicked, this, [this] {
        if (form_.actions().herbalMode())
            form_.actions().RC1();
    });
}

void LookupPanel::fillStartup() {
    QStringList entries;
    if (const Database* db = form_.services().state.mainDb.get()) {
        const std::vector<CatalogItem> items = searchCatalog(*db, categoryCaption(kHerbs), QString());
        entries.reserve(static_cast<qsizetype>(items.size()));
        for (const CatalogItem& item : items)
            entries << startupEntryText(item);
    }
    templates_.clear();
    form_.search.List6.clear();
    form_.search.List1->setEntries(entries);
}

void LookupPanel::fill() {
    const int category = form_.state.CurrentCategory;
    QStringList entries;
    QStringList twins;
    std::vector<TemplateItem> templates;
    if (const Database* db = form_.services().state.mainDb.get()) {
        const QString text = form_.search.Text1->text();
        if (isTemplateCategory(category)) {
            templates = searchTemplates(*db, categoryCaption(category), text);
            entries.reserve(static_cast<qsizetype>(templates.size()));
            for (const TemplateItem& row : templates)
                entries << row.name;
        } else {
            const QString caption = categoryCaption(category);
            const CatalogMatches matches = matchCatalog(*db, caption, text);
            EntryTexts& made = entryTexts_[caption];
            if (made.list != matches.list) {
                made.list = matches.list;
                made.entries.assign(matches.list ? matches.list->size() : 0, QString());
                made.twins.assign(made.entries.size(), QString());
            }
            entries.reserve(static_cast<qsizetype>(matches.rows.size()));
            twins.reserve(static_cast<qsizetype>(matches.rows.size()));
            for (const int row : matches.rows) {
                const auto k = static_cast<std::size_t>(row);
                if (made.entries[k].isNull()) {
                    const CatalogItem& item = (*matches.list)[k];
                    made.entries[k] = catalogEntryText(item);
                    made.twins[k] = twinEntryText(item, made.entries[k]);
                }
                entries << made.entries[k];
                twins << made.twins[k];
            }
        }
    }
    templates_ = std::move(templates);
    form_.search.List6 = twins;
    form_.search.List1->setEntries(entries);
}

void LookupPanel::onSearchTextChanged() {
    fill();
    form_.actions().hideSuggestions();
}

void LookupPanel::switchCategory(int category) {
    if (category < 0 || category >= kCategoryCount)
        return;
    SearchControls& s = form_.search;
    SheetActions& actions = form_.actions();
    actions.setBoldCategory(category);
    {
        // The list is emptied and filled for the new category below; a fill for the old one is wasted.
        const QSignalBlocker quiet(s.Text1);
        s.Text1->clear();
    }
    actions.hideSuggestions();
    s.Text1->setFocus();
    form_.state.CurrentCategory = category;
    s.List1->clear();
    s.List6.clear();
    templates_.clear();

    // Leaving one mode for the other starts a new prescription for the same patient.
    const bool wasHerbal = actions.herbalMode();
    const bool herbal = isHerbalCategory(category);
    if (herbal || isWesternCategory(category)) {
        actions.applyLayout(herbal ? sheetgeometry::Layout::NarrowHerbal : sheetgeometry::Layout::Western);
        if (herbal != wasHerbal) {
            actions.leaveRecordKey();
            actions.newRecordKey();
            if (herbal)
                form_.sheet.Text6->setText(QStringLiteral("6"));
            form_.sheet.R1->clear();
            actions.clearPricedLines();
            // The new prescription has not been settled; the patient's medical record stays with it.
            form_.sheet.Label5.clear();
            actions.followRecordKey();
        }
    }
    fill();
}

void LookupPanel::pressLetterPad(int key) {
    QLineEdit* box = form_.search.Text1;
    box->setText(letterPadText(box->text(), key));
    box->end(false);
    box->setFocus();
}

void LookupPanel::pick(int row) {
    SearchControls& s = form_.search;
    if (row < 0 || row >= s.List1->count())
        return;
    CrLfTextEdit* r1 = form_.sheet.R1;
    const QString entry = s.List1->text(row);
    switch (form_.state.CurrentCategory) {
    case kHerbs:
        r1->insertAtCaret(herbPickText(entry));
        form_.actions().RC1();
        break;
    case kWesternDrugs:
        r1->append(westernPickText(s.List6.value(row)));
        break;
    case kChargeItems:
    case kUsages: {
        const QString before = r1->text();
        const QString after = chargeOrUsagePick(before, entry);
        if (after.startsWith(before)) {
            r1->append(after.mid(before.size()));
        } else {
            r1->setText(after);
            r1->moveCaretToEnd();
        }
        break;
    }
    default:
        pickTemplate(row);
        break;
    }
    endPick();
}

void LookupPanel::pickTemplate(int row) {
    if (row < 0 || static_cast<size_t>(row) >= templates_.size())
        return;
    const QString content = templates_[static_cast<size_t>(row)].content;
    CrLfTextEdit* r1 = form_.sheet.R1;
    r1->moveCaretToEnd();
    // A formula is stored laid out already and goes in as it is; a set of Western drugs starts on a line
    // of its own.
    if (form_.state.CurrentCategory == kHerbalFormulas)
        r1->insertAtCaret(content);
    else
        r1->insertAtCaret(westernTemplateInsertion(r1->text(), content));
}

void LookupPanel::endPick() {
    SearchControls& s = form_.search;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    // Emptying the search box lists every entry of the category, also when it was empty already.
    if (s.Text1->text().isEmpty())
        onSearchTextChanged();
    else
        s.Text1->clear();
    s.Text1->setFocus();
    s.List1->setCurrentRow(-1);
    form_.actions().hideSuggestions();
}

bool LookupPanel::eventFilter(QObject* watched, QEvent* event) {
    SearchControls& s = form_.search;
    if (watched == s.Text1) {
        if (event->type() == QEvent::FocusIn) {
            form_.actions().hideSuggestions();
        } else if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Down) {
                s.List1->setFocus();
                if (s.List1->count() > 0)
                    s.List1->setCurrentRow(0);
                return true;
            }
            if (isEnterKey(key->key())) {
                if (s.List1->count() == 1) {
                    s.List1->setCurrentRow(0);
                    pick(0);
                }
                return true;
            }
        }
    } else if (watched == s.List1 && event->type() == QEvent::KeyPress) {
        if (isEnterKey(static_cast<QKeyEvent*>(event)->key())) {
            const int current = s.List1->currentRow();
            if (current >= 0)
                pick(current);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace lichuan

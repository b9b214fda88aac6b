#include "data/sqltexts.h"

#include "data/engine.h"
#include "data/schema.h"

namespace lichuan::sql {

namespace {

// Filled by the constructors of the texts, which are constants of the data layer's files.
std::vector<const Text*>& registry() {
    static std::vector<const Text*> texts;
    return texts;
}

} // namespace

Text::Text(QString text, Engines engines) : text_(std::move(text)), engines_(engines) {
    registry().push_back(this);
}

Text::Text(QString text, Fillings fillings, Engines engines)
    : text_(std::move(text)), fillings_(std::move(fillings)), engines_(engines) {
    registry().push_back(this);
}

std::vector<Text::Listed> Text::all() {
    std::vector<Listed> texts;
    for (const Text* text : registry()) {
        if (!text->fillings_) {
            texts.push_back({text->text_, text->engines_});
            continue;
        }
        for (const QStringList& parts : text->fillings_()) {
            QString filled = text->text_;
            for (const QString& part : parts)
                filled = filled.arg(part);
            texts.push_back({filled, text->engines_});
        }
    }
    return texts;
}

QString marks(int count) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list << QStringLiteral("?");
    return list.join(QLatin1Char(','));
}

std::vector<QStringList> everyTable() {
    return forEveryTable([](const schema::Table& table) { return QStringList{quoted(table.name)}; });
}

std::vector<QStringList> forEveryTable(const std::function<QStringList(const schema::Table&)>& fill) {
    std::vector<QStringList> fillings;
    for (const auto* tables : {&schema::mainTables(), &schema::statisticsTables()}) {
        for (const schema::Table& table : *tables)
            fillings.push_back(fill(table));
    }
    return fillings;
}

QString columnsOf(const schema::Table& table, const QString& separator, const QString& after) {
    QStringList names;
    for (const schema::Column& column : table.columns)
        names << quoted(column.name) + after;
    return names.join(separator);
}

} // namespace lichuan::sql

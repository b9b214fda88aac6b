#pragma once
// The SQL texts of the data layer. Each is written once, for the file engine, as a constant beside the
// code that runs it; defining it lists it, so that a test can translate every text and prepare it on the
// server. A text whose parts the code fills in as it runs (a table, its columns, the marks of a list: %1,
// %2 … as QString::arg fills them) is defined with the fillings the code makes of it, or with enough of
// them to stand for all. Texts that only one engine ever runs (the files' triggers, the server's catalog)
// say so.

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace lichuan {

namespace schema {
struct Table;
}

namespace sql {

class Text {
public:
    using Fillings = std::function<std::vector<QStringList>()>;
    enum class Engines { Both, FileOnly, ServerOnly };

    explicit Text(QString text, Engines engines = Engines::Both);
    Text(QString text, Fillings fillings, Engines engines = Engines::Both);
    Text(const Text&) = delete;
    Text& operator=(const Text&) = delete;

    operator const QString&() const { return text_; }
    const QString& text() const { return text_; }
    // The text with its parts filled in, lowest number first.
    template <class... Parts> QString arg(const Parts&... parts) const { return text_.arg(parts...); }

    struct Listed {
        QString text; // with every part filled in
        Engines engines;
    };
    // Every text defined in the program, a text with parts once for each of its fillings.
    static std::vector<Listed> all();

private:
    QString text_;
    Fillings fillings_;
    Engines engines_;
};

// `count` parameter marks for a list: "?,?,?".
QString marks(int count);

// One filling per table of both databases: its quoted name.
std::vector<QStringList> everyTable();
// One filling per table of both databases, as `fill` makes it of the table.
std::vector<QStringList> forEveryTable(const std::function<QStringList(const schema::Table&)>& fill);
// The table's quoted column names, joined with `separator`; each followed by `after` (" = ?", say).
QString columnsOf(const schema::Table& table, const QString& separator, const QString& after = QString());

} // namespace sql
} // namespace lichuan

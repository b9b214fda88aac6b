#include "data/schema.h"

#include "data/engine.h"
#include "data/gbk.h"
#include "data/tracking.h"

namespace lichuan::schema {

namespace {

std::vector<Column> archiveColumns() {
    std::vector<Column> columns{{QStringLiteral("序号"), 50}};
    auto numbered = [&](int from, int to) {
        for (int i = from; i <= to; ++i)
            columns.push_back({QString::number(i), i == 3 ? 10 : (i == 5 ? 0 : 50)});
    };
    numbered(0, 22);
    for (const char* memo : {"T1", "T2", "T3"})
        columns.push_back({QString::fromLatin1(memo), 0});
    numbered(23, 40);
    for (const char* memo : {"T4", "T5"})
        columns.push_back({QString::fromLatin1(memo), 0});
    columns.push_back({QStringLiteral("类别"), 5});
    columns.push_back({QStringLiteral("发药"), 20});
    columns.push_back({QStringLiteral("计价"), 0});
    columns.push_back({QStringLiteral("病历"), 0});
    return columns;
}

std::vector<Column> cols(std::initializer_list<std::pair<const char*, int>> list) {
    std::vector<Column> columns;
    for (const auto& [name, width] : list)
        columns.push_back({QString::fromUtf8(name), width});
    return columns;
}

QString createTableSql(const Table& table) {
    QStringList parts;
    for (const Column& column : table.columns)
        parts << quoted(column.name) + QStringLiteral(" TEXT");
    return QStringLiteral("CREATE TABLE %1 (%2);").arg(quoted(table.name), parts.join(QStringLiteral(", ")));
}

void create(Database& db, const std::vector<Table>& tables, const QStringList& indexes) {
    Transaction transaction(db);
    for (const Table& table : tables)
        db.exec(createTableSql(table));
    for (const QString& index : indexes)
        db.exec(index);
    db.exec(QStringLiteral("PRAGMA user_version = %1").arg(kVersion));
    tracking::addTo(db);
    transaction.commit();
}

} // namespace

const std::vector<Table>& mainTables() {
    static const std::vector<Table> tables{
        {kArchive, archiveColumns()},
        {kAddress, cols({{"名称", 50}, {"拼音", 50}, {"序号", 50}})},
        {kTemplate, cols({{"序号", 50}, {"名称", 50}, {"内容", 0}, {"拼音", 50}, {"查询", 50}, {"分类", 10}, {"排序", 10}})},
        {kPatient, cols({{"序号", 50}, {"姓名", 20}, {"性别", 5}, {"年龄", 12}, {"医疗证号", 50}, {"电话", 20},
                         {"住址", 50}, {"备用1", 50}, {"备用2", 50}, {"费别", 10}, {"诊断", 50}})},
        {kCatalog, cols({{"ID号", 50}, {"查询", 200}, {"用法", 50}, {"名称", 100}, {"拼音", 50}, {"单位", 10},
                         {"常用量", 50}, {"单价", 50}, {"备用1", 50}, {"备用2", 50}, {"备用3", 50}, {"分类", 50},
                         {"斗位", 10}})},
        {kSettings, cols({{"密码", 20},      {"单位名称", 50},  {"医师", 50},     {"科别", 50},     {"发药人", 50},
                          {"备用1", 50},     {"备用2", 50},     {"备用3", 50},    {"左边距", 10},   {"上边距", 10},
                          {"自动打印", 5},   {"默认打印机", 50}, {"处方打印机", 50}, {"左边距1", 10}, {"上边距1", 10},
                          {"左边距2", 10},   {"上边距2", 10},   {"打印机2", 50},  {"打印机3", 50},  {"费别", 10},
                          {"处方字体", 20},  {"处方字号", 5},   {"日志上边距", 5}, {"日志左边距", 5}})},
        {kDiagnosis, cols({{"名称", 50}, {"拼音", 50}, {"序号", 50}})},
    };
    return tables;
}

const std::vector<Table>& statisticsTables() {
    static const std::vector<Table> tables{
        {kStatistics, cols({{"ID号", 50}, {"名称", 50}, {"数量", 5}, {"单位", 5}, {"单价", 10}, {"金额", 10},
                            {"斗位", 5}, {"分类", 10}, {"备用1", 200}, {"备用2", 200}, {"日期", 0}})},
    };
    return tables;
}

const Table* findTable(const QString& name) {
    for (const auto* list : {&mainTables(), &statisticsTables()}) {
        for (const Table& table : *list) {
            if (table.name == name)
                return &table;
        }
    }
    return nullptr;
}

int columnWidth(const QString& table, const QString& column) {
    if (const Table* t = findTable(table)) {
        for (const Column& c : t->columns) {
            if (c.name == column)
                return c.width;
        }
    }
    return -1;
}

bool fits(const QString& table, const QString& column, const QString& value) {
    const int width = columnWidth(table, column);
    return width == 0 || (width > 0 && gbk::charCount(value) <= width);
}

void createMain(Database& db) {
    create(db, mainTables(),
           {
               // Unique keys of the old files; text compares without regard to ASCII case as it always did.
               QStringLiteral("CREATE UNIQUE INDEX [档案_ID号] ON [档案]([序号] COLLATE NOCASE)"),
               QStringLiteral("CREATE UNIQUE INDEX [地址_序号] ON [地址]([序号] COLLATE NOCASE)"),
               QStringLiteral("CREATE UNIQUE INDEX [商品_ID号] ON [商品]([ID号])"),
               QStringLiteral("CREATE UNIQUE INDEX [商品_名称] ON [商品]([名称] COLLATE NOCASE)"),
               QStringLiteral("CREATE UNIQUE INDEX [诊断_名称] ON [诊断]([名称] COLLATE NOCASE)"),
               QStringLiteral("CREATE UNIQUE INDEX [诊断_序号] ON [诊断]([序号] COLLATE NOCASE)"),
               // For speed only: the history list and the log filter on the date and read a few columns.
               // Every date-range query seeks here; the history list reads nothing else.
               QStringLiteral("CREATE INDEX [档案_日期] ON [档案]([5], [序号], [0], [1], [2], [发药])"),
               QStringLiteral("CREATE INDEX [档案_列表] ON [档案]([序号], [0], [1], [2], [5], [发药])"),
               QStringLiteral("CREATE INDEX [商品_分类] ON [商品]([分类])"),
               // The save looks the patient row up by its key.
               QStringLiteral("CREATE INDEX [患者信息_序号] ON [患者信息]([序号] COLLATE NOCASE)"),
           });
}

void createStatistics(Database& db) {
    create(db, statisticsTables(),
           {
               QStringLiteral("CREATE INDEX [统计_ID号] ON [统计]([ID号])"),
               QStringLiteral("CREATE INDEX [统计_日期] ON [统计]([日期])"),
           });
}

} // namespace lichuan::schema

#pragma once
// Synthetic data for the benchmarks: names made of common Chinese characters, their initials and
// letter-pad digits, all from a fixed seed so every run measures the same files.

#include "data/engine.h"
#include "data/schema.h"

#include <QDir>
#include <QString>
#include <QStringList>
#include <memory>
#include <random>

namespace lichuan::bench {

// The two database files of a new data folder, with their tables.
struct ClinicDatabases {
    std::unique_ptr<Database> main;
    std::unique_ptr<Database> statistics;
};

inline ClinicDatabases createClinicDatabases(const QDir& folder) {
    ClinicDatabases files;
    files.main = Database::open(folder.filePath(QStringLiteral("数据库.dat")), databaseKey(),
                                Database::OpenMode::CreateNew);
    files.statistics = Database::open(folder.filePath(QStringLiteral("用药统计.dat")), databaseKey(),
                                      Database::OpenMode::CreateNew);
    schema::createMain(*files.main);
    schema::createStatistics(*files.statistics);
    return files;
}

// Characters of herb and patient names, each followed by its pinyin initial.
inline const QString kCharactersWithInitials =
    QStringLiteral("当d归g黄h芪q白b芍s甘g草c桂g枝z汤t生s姜j大d枣z柴c胡h半b夏x人r参s茯f苓l术z陈c皮p川c芎x熟s"
                   "地d山s药y丹d赤c红h花h桃t仁r杏x麻m石s膏g知z母m连l芩q柏b栀z子z翘q金j银y菊j薄b荷h牛n"
                   "蒡b桔j梗g贝m枳z壳k厚h朴p木m香x砂s附f郁y延y索s三s七q蒲p艾a叶y阿e胶j龙l骨g牡m蛎l酸s"
                   "远y志z五w味w麦m冬d天t玄x沙s百b合h玉y竹z斛h张z王w李l刘l");

inline QString nameCharacters() {
    QString characters;
    for (qsizetype i = 0; i < kCharactersWithInitials.size(); i += 2)
        characters += kCharactersWithInitials.at(i);
    return characters;
}

inline QChar initialOf(QChar c) {
    for (qsizetype i = 0; i < kCharactersWithInitials.size(); i += 2) {
        if (kCharactersWithInitials.at(i) == c)
            return kCharactersWithInitials.at(i + 1);
    }
    return QChar();
}

inline QString initialsOf(const QString& name) {
    QString initials;
    for (const QChar c : name) {
        if (const QChar i = initialOf(c); !i.isNull())
            initials += i;
    }
    return initials;
}

inline QString digitsOf(const QString& initials) {
    static const char groups[] = "11112222333344445555666677"; // a … z
    QString digits;
    for (const QChar c : initials) {
        if (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
            digits += QLatin1Char(groups[c.unicode() - 'a']);
    }
    return digits;
}

inline QString randomName(std::mt19937& random, int minLength, int maxLength) {
    std::uniform_int_distribution<int> length(minLength, maxLength);
    static const QString characters = nameCharacters();
    std::uniform_int_distribution<int> pick(0, int(characters.size()) - 1);
    QString name;
    for (int i = length(random); i > 0; --i)
        name += characters.at(pick(random));
    return name;
}

} // namespace lichuan::bench

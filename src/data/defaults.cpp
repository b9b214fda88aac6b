#include "data/defaults.h"

#include "data/clinicalrules.h"
#include "data/engine.h"
#include "data/numbers.h"
#include "data/schema.h"
#include "data/searchcodes.h"
#include "data/sqltexts.h"
#include "data/textrules.h"

#include <QStringList>
#include <map>
#include <utility>
#include <vector>

namespace lichuan::defaults {

namespace {

// ---------------------------------------------------------------------------------------------------------
// Catalog (商品)

// Names as stored: a herb may carry its preparation note, a medicine its specification, in braces.
const char* const kHerbNames =
    "阿胶{烊化}、艾叶、巴戟、白扁豆、白豆寇{后下}、白矾{先煎}、白附子、白芨、白蒺藜、白芥子、"
    "白蔻、白莲、白茅根、白前、白芍{炒}、白术{炒}、白通草、白头翁、白鲜皮、白芷、"
    "百部、百合、柏子仁、败酱草、板蓝根、半夏、北柴胡、北沙参、贝母、毕拨、"
    "鳖甲{先煎}、冰片、薄荷、苍耳子、苍术、草果、草决明、草寇、草乌、侧柏叶、"
    "蝉蜕、菖蒲、炒杜仲、炒莱菔子、炒麦芽、炒山楂、炒神曲、车前子、陈皮、赤芍、"
    "赤石脂、虫草、川断、川椒、川楝子、川乌、川芎、椿根皮、磁石、大腹皮、"
    "大黄{后下}、大料、大青叶、大枣、代赭石、丹参、丹皮、胆南星、淡豆豉、淡竹叶、"
    "当归、党参、灯芯草、地肤子、地骨皮、地龙、地榆、地榆炭、丁香、独活、"
    "杜仲、莪术、番泻叶{后下}、防风、防己、茯苓、茯神、浮萍、覆盆子、干姜、"
    "甘草、藁本、葛根、钩藤、狗脊、枸杞、谷芽、骨碎补、故脂、瓜蒌、"
    "龟甲、龟甲胶、桂枝、海金沙、海螵蛸、海桐皮、旱半夏、旱莲草、诃子、何首乌、"
    "荷叶、黑附子、黑芝麻、红柴胡、红姑娘、红花、厚朴、胡黄连、胡椒、虎杖、"
    "琥珀、滑石、槐花、黄柏、黄精、黄连、黄芪、黄芩、茴香、火麻仁、"
    "藿香、鸡骨草、鸡内金{炒}、鸡血藤、寄生、甲珠、姜黄、僵蚕、焦山楂、金钱草、"
    "金樱子、荆芥、荆芥穗、桔梗、菊花、橘核、橘红、苦参、苦地丁、款冬花、"
    "狼毒、雷公藤、荔核、连翘、莲须、莲子肉、莲子芯、良姜、龙胆草、龙骨{先煎}、"
    "芦巴子、芦根、鹿角胶、鹿角霜、路路通、罗汉果、麻黄草、麻黄根、马齿笕、麦冬、"
    "蔓荆子、芒硝{冲服}、没药、牡蛎{先煎}、木瓜、木蝴蝶、木通、木香、木贼、内金、"
    "牛蒡子、牛膝、女贞子、胖大海、炮姜、佩兰、枇杷叶、蒲公英、蒲黄、前胡、"
    "芡实、茜草、羌活、秦艽、青风藤、青蒿、青皮、青箱子、全蝎、肉苁蓉、"
    "肉桂{后下}、肉蔻、乳香、三棱、桑皮、桑叶、桑枝、沙苑子、砂仁{后下}、山药、"
    "山萸肉、山楂、蛇床子、蛇舌草、射干、伸筋草、升麻、生地、生地黄、生麦芽、"
    "石膏{先煎}、石斛、石决明、石莲子、首乌藤、熟地、水牛角丝、水蛭、苏根、苏梗、"
    "苏木、苏子、锁阳、太子参、桃仁、天冬、天花粉、天麻、葶苈子、透骨草、"
    "土茯苓、菟丝子、瓦楞子、王不留、威灵仙、乌梅、乌蛇、乌药、吴萸、蜈蚣、"
    "五倍子、五灵脂、五味子、西洋参、细辛、夏枯球、仙鹤草、仙茅、香附、香薷、"
    "香橼、小蓟、薤白、辛夷花、杏仁、续断、旋复花、鸦胆子、延胡索、阳起石、"
    "益母草、益智仁、薏米、茵陈、淫羊藿、银柴胡、银花、鱼鳔、鱼腥草、玉片、"
    "玉竹、郁金、郁李仁、元参、圆肉、远志、枣仁、泽泻、知母、栀子、"
    "枳壳、枳实、炙甘草、炙麻黄、猪苓、竹茹、紫草、紫苏、紫苑";
const char* const kWesternNames =
    "八珍益母丸{9g*10丸}、百乐眠胶囊{0.27g*24粒}、百令胶囊{0.5g*42粒}、"
    "百癣夏塔热片{0.31g*54片}、柏子养心丸{9g *10}、保利尔胶囊{0.3g*30粒}、"
    "补中益气丸{9g*10}、参苓白术丸{6g*5}、参芪降糖颗粒{3g*10}、"
    "参芪消渴胶囊{0.44g*90粒}、参松养心胶囊{0.4g*36粒}、川贝枇杷胶囊{0.2g*24粒}、"
    "苁蓉益肾颗粒{2g*6袋}、大黄蟅虫丸{3g *10}、大活络胶囊{0.25g*60粒}、"
    "大活络丸{3.5g*6}、丹芪偏瘫胶囊{0.4g*36粒}、丹栀逍遥丸{6g *6}、"
    "胆石利通片{0.45g54片}、独一味软胶囊{0.7g*24粒}、耳聋胶囊{0.42g*20粒}、"
    "防风通圣丸{6g *5}、肺力咳胶囊{0.3g*30粒}、妇科千金胶囊{0.4g *24}、"
    "复方丹参滴丸{27mg*180粒}、复方木尼孜其颗粒{12g*6袋}、更年安片{0.31g*60片}、"
    "骨康胶囊{0.4g*48粒}、骨疏康颗粒{10g*6}、固本益肠片{0.32g*100}、"
    "归芍地黄丸{9g*10丸}、桂枝茯苓胶囊{0.31g *100}、虎力散胶囊{0.3g*8粒}、"
    "护肝片{0.35g*100}、槐角丸{9g*10丸}、黄葵胶囊{0.5g*30粒}、"
    "黄连上清片{0.32g*48片}、黄芪注射液{10ml*5支}、藿香正气软胶囊{0.45g*30}、"
    "藿香正气水{10ml*10瓶}、降压避风片{0.25g *48}、金匮肾气丸{6g*10丸}、"
    "金莲花分散片{0.7g*18片}、金芪降糖片{0.42g*72}、金水宝胶囊{0.33g*63}、"
    "经舒颗粒{12g*6袋}、精制银翘解毒片{44mg /片}、颈复康颗粒{5g*10袋}、"
    "九味肝泰胶囊{0.35g*36粒}、桔红化痰丸{9g*10丸}、蓝芩口服液{10ml*12支}、"
    "利肺片（薄膜衣）{0.25g*24片}、连翘败毒丸{9g *5}、莲必治注射液{5ml *1}、"
    "莲花清瘟胶囊{0.35g *24}、六味安消胶囊{0.5g*36粒}、六味地黄丸{60g}、"
    "六味能消胶囊{0.45g*20}、龙胆泻肝丸{6g *5  }、麻仁软胶囊{0.6g*20}、"
    "麦味地黄丸{9g *10}、脉管复康片{0.6g*72片}、明目地黄丸{9g*10丸}、"
    "明目上清丸{9g*6袋}、莫家清宁丸{6g*3瓶}、脑心通胶囊{0.4g*48粒}、"
    "脑血栓片{0.3g*60片}、尿毒清颗粒{5g *15}、牛黄降压丸{0.065g*300}、"
    "牛黄解毒软胶囊{0.4g*48}、牛黄清心丸{3g*6丸}、牛黄上清胶囊{0.3g*36粒}、"
    "盘龙七片{0.3g*36片}、培元通脑胶囊{0.6g*27粒}、蒲参胶囊{0.25g*48粒}、"
    "蒲地兰消炎片{0.73g*48片}、普乐安片{0.5g*120片}、启脾丸(大蜜丸){3g*10}、"
    "杞菊地黄丸{9g *10}、强力枇杷露{100ml}、清肺消炎丸{8g*6袋}、"
    "清肺抑火片{0.78g*24片}、清喉利咽颗粒{10g*10袋}、清降片{0.125g*60}、"
    "清胃黄连片{0.32g*48片}、清咽滴丸{50*2}、人参归脾丸{9g*10丸}、"
    "人参健脾丸{6g*10}、麝香保心丸{22.5mg*42丸}、肾炎康复片{0.48g*45}、"
    "十味玉泉胶囊{0.5g*24}、十一味参芪片{0.3g*48片}、舒肝片{0.6g*32}、"
    "舒脑欣滴丸{40粒*2瓶（瓷瓶）}、四神片{0.3g*36片}、苏黄止咳胶囊{0.45g*24粒}、"
    "速效救心丸{50粒*3瓶}、天舒胶囊{0.34g*60粒}、天王补心片{0.5g*24片}、"
    "通脉养心丸{320丸}、通窍鼻炎颗粒{2g*9袋}、通心络胶囊{0.26g *30粒}、"
    "通宣理肺丸{6g*10}、王氏宝赤丸{0.15g*60粒*20}、胃肠安丸{0.02g/丸*72粒}、"
    "胃复春片{0.359g*60}、胃康胶囊{0.3g*36粒}、稳心颗粒{9g *9}、"
    "乌鸡白凤丸{9g *10}、香菊片{0.3g*54片}、香砂六君子丸{6g *5袋}、"
    "香砂养胃丸{9g*6袋}、小金丸{0.6g*8袋}、心安胶囊{80mg*36粒}、"
    "心宝{20粒/10小盒/大盒}、心可舒片{0.31g*48}、心脑欣胶囊{0.5g*20粒}、"
    "新癀片{0.32g *36}、新乐康片{0.25g*36片}、血塞通胶囊{0.1g*24粒}、"
    "血滞通胶囊{0.45g*30粒}、养阴清肺丸{9g*10丸}、银花泌炎灵片{0.5g*24片}、"
    "银黄滴丸{2.5g*12袋}、银黄含化片{600mg*24}、银杏叶片{9.6mg *24}、"
    "元胡止痛滴丸{50mg*180丸}、越鞠保和丸{6g*5袋}、云南白药胶囊{0.25g*16粒}、"
    "知柏地黄丸{9g*10丸}、止嗽青果丸{3g*10丸}、治咳川贝枇杷滴丸{30mg*60粒*2}、"
    "肿痛安胶囊{0.28g*36粒}、朱砂安神丸{9g *10}、0.9%氯化钠注射液{250ml}、"
    "0.9%氯化钠注射液{500ml}、阿奇霉素注射液{0.25g}、阿莫西林胶囊{0.25g*24}、"
    "阿莫西林胶囊{0.5g*12}";
struct ChargeItem {
    const char* name;
    const char* price;
};
const ChargeItem kChargeItems[] = {{"挂号费", "15.000"}, {"针灸", "20.000"}, {"理疗费", "12.000"}};

const char* const kUsagePhrases[] = {"用法：静脉推注 每日1次", "用法：静脉滴注 每日1次",
                                     "用法：雾化吸入 每日1次", "用法：肌肉注射 每日1次",
                                     "加水100ml分3次煎服",     "水煎或酒水各半煎服"};

struct PricedHerb {
    const char* price;
    const char* drawer;
};
const std::map<QString, PricedHerb>& pricedHerbs() {
    static const std::map<QString, PricedHerb> herbs{
        {QStringLiteral("阿胶{烊化}"), {"1.200", "A2"}},   {QStringLiteral("艾叶"), {"0.011", "B5"}},
        {QStringLiteral("巴戟"), {"0.054", "C1"}},         {QStringLiteral("白扁豆"), {"0.240", "D3"}},
        {QStringLiteral("白豆寇{后下}"), {"0.125", "E3"}}, {QStringLiteral("白矾{先煎}"), {"0.120", "A1"}},
        {QStringLiteral("白附子"), {"0.700", "E2"}},       {QStringLiteral("白芨"), {"0.036", "E3"}},
        {QStringLiteral("白蒺藜"), {"0.540", "A5"}},       {QStringLiteral("白芥子"), {"0.280", "C2"}},
    };
    return herbs;
}

// Western and patent medicines: box, one at a time, two capsules three times a day, unless listed here.
struct WesternForm {
    const char* unit;
    const char* quantity;
    const char* usage;
};
const std::map<QString, WesternForm>& westernForms() {
    static const std::map<QString, WesternForm> forms{
        {QStringLiteral("复方丹参滴丸{27mg*180粒}"), {"盒", "1", "10粒 每日3次 口服"}},
        {QStringLiteral("藿香正气水{10ml*10瓶}"), {"盒", "1", "1支 每日3次 口服"}},
        {QStringLiteral("强力枇杷露{100ml}"), {"盒", "1", "10ml 每日3次 口服"}},
        {QStringLiteral("0.9%氯化钠注射液{250ml}"), {"瓶", "1", ""}},
        {QStringLiteral("0.9%氯化钠注射液{500ml}"), {"瓶", "1", ""}},
        {QStringLiteral("阿奇霉素注射液{0.25g}"), {"瓶", "2", "静脉滴注 每日1次"}},
    };
    return forms;
}
const WesternForm kUsualWesternForm{"盒", "1", "2粒 每日3次 口服"};

const std::map<QString, QString>& westernPrices() {
    static const std::map<QString, QString> prices{
        {QStringLiteral("八珍益母丸{9g*10丸}"), QStringLiteral("24.500")},
        {QStringLiteral("百乐眠胶囊{0.27g*24粒}"), QStringLiteral("15.200")},
        {QStringLiteral("百令胶囊{0.5g*42粒}"), QStringLiteral("32.600")},
        {QStringLiteral("百癣夏塔热片{0.31g*54片}"), QStringLiteral("27.300")},
        {QStringLiteral("柏子养心丸{9g *10}"), QStringLiteral("27.200")},
        {QStringLiteral("保利尔胶囊{0.3g*30粒}"), QStringLiteral("19.241")},
        {QStringLiteral("补中益气丸{9g*10}"), QStringLiteral("25.200")},
        {QStringLiteral("参苓白术丸{6g*5}"), QStringLiteral("24.100")},
        {QStringLiteral("参芪降糖颗粒{3g*10}"), QStringLiteral("25.300")},
        {QStringLiteral("参芪消渴胶囊{0.44g*90粒}"), QStringLiteral("42.600")},
        {QStringLiteral("0.9%氯化钠注射液{250ml}"), QStringLiteral("2.500")},
        {QStringLiteral("0.9%氯化钠注射液{500ml}"), QStringLiteral("2.300")},
        {QStringLiteral("阿奇霉素注射液{0.25g}"), QStringLiteral("5.700")},
        {QStringLiteral("阿莫西林胶囊{0.25g*24}"), QStringLiteral("24.200")},
        {QStringLiteral("阿莫西林胶囊{0.5g*12}"), QStringLiteral("25.600")},
    };
    return prices;
}

// ---------------------------------------------------------------------------------------------------------
// Templates (个人模板)

// Herbal formulas as a doctor types them; they are stored laid out in 13-column cells.
struct Formula {
    const char* name;
    const char* items;
};
const Formula kFormulas[] = {
    {"桂枝汤", "桂枝 9g 白芍 9g 甘草 6g 生姜 9g 大枣 9g"},
    {"麻杏石甘汤", "炙麻黄 9g 杏仁 9g 石膏[先煎] 18g 炙甘草 6g"},
    {"龙胆泻肝汤",
     "龙胆草 6g 黄芩 9g 栀子 9g 泽泻 12g 木通 6g 车前子 9g 当归 3g 生地黄 9g 北柴胡 6g 甘草 6g"},
    {"白头翁汤", "白头翁 15g 黄柏 12g 黄连 6g 秦皮 12g"},
};

// Sets of Western and patent medicines, in the item text's own form: name[specification] quantity unit,
// an indented usage line, an empty line between medicines.
struct MedicineSet {
    const char* name;
    QStringList lines;
};
const std::vector<MedicineSet>& medicineSets() {
    static const std::vector<MedicineSet> sets{
        {"睡眠障碍",
         {QStringLiteral("百乐眠胶囊[0.27g*24粒] 1盒"), QStringLiteral("    用法：一次2粒 每日3次 口服"),
          QString(), QStringLiteral("参苓白术丸[6g*5] 1盒"),
          QStringLiteral("    用法：一次2粒 每日3次 口服")}},
        {"上呼吸道感染",
         {QStringLiteral("蓝芩口服液[10ml*12支] 1盒"), QStringLiteral("    用法：一次10ml 每日3次 口服"),
          QString(), QStringLiteral("清喉利咽颗粒[10g*10袋] 1盒"),
          QStringLiteral("    用法：一次1袋 每日2次 冲服")}},
        {"阿齐霉素组套",
         {QStringLiteral("阿奇霉素注射液[0.25g] 2瓶"), QStringLiteral("    用法：静脉滴注 每日1次"),
          QString(), QStringLiteral("0.9%氯化钠注射液[250ml] 1瓶")}},
    };
    return sets;
}

// Phrases for the fields of a medical record.
struct RecordPhrase {
    const char* name;
    const char* content;
};
const RecordPhrase kRecordPhrases[] = {
    {"高血压主诉", "发现血压增高3年，头晕2天。"},
    {"高血压现病史", "患者3年前体检时发现血压增高，最高160/100mmHg，间断服用降压药，血压控制不佳。"
                     "2天前无明显诱因出现头晕，无头痛、恶心、呕吐，无胸闷、心悸。"},
    {"既往史", "否认“高血压、糖尿病、肝炎”病史。"},
    {"个人史", "无特殊嗜好。"},
    {"过敏史", "无药物过敏史。"},
    {"体格检查", "体温36.5℃，脉搏76次/分，呼吸18次/分，血压150/95mmHg。神志清楚，双肺呼吸音清，"
                 "心律齐，腹软无压痛，双下肢无水肿。"},
};

// ---------------------------------------------------------------------------------------------------------
// Dictionaries and settings

const char* const kDiagnoses[] = {"消化不良",     "高血压病", "2型糖尿病", "肺部感染",
                                  "上呼吸道感染", "慢性胃炎", "高脂血症"};
const char* const kAddresses[] = {"城关镇", "东关村", "西河村"};

// ---------------------------------------------------------------------------------------------------------

QStringList splitNames(const char* list) {
    return QString::fromUtf8(list).split(QStringLiteral("、"));
}

// The name without its note in braces, as the search code takes it.
QString namePart(const QString& name) {
    const qsizetype brace = name.indexOf(u'{');
    return trimSpaces(brace < 0 ? name : name.left(brace));
}

// %1 the table, %2 the columns, %3 a mark for each.
const sql::Text kInsert{QStringLiteral("insert into %1(%2) values(%3)"), [] {
                            return sql::forEveryTable([](const schema::Table& table) {
                                return QStringList{quoted(table.name),
                                                   sql::columnsOf(table, QStringLiteral(",")),
                                                   sql::marks(int(table.columns.size()))};
                            });
                        }};

// An insert that refuses a value wider than its column: a default row must fit as the windows would
// store it.
class Inserter {
public:
    Inserter(Database& db, const QString& table, const QStringList& columns)
        : table_(table), columns_(columns), statement_(db, sql(table, columns)) {}

    // A null QString is stored as NULL.
    void insert(const QStringList& values) {
        for (qsizetype i = 0; i < values.size(); ++i) {
            if (!schema::fits(table_, columns_[i], values[i]))
                throw DbError(QStringLiteral("default value too wide for %1.%2: %3")
                                  .arg(table_, columns_[i], values[i]));
            statement_.bind(static_cast<int>(i + 1), values[i]);
        }
        statement_.run();
        statement_.reset();
    }

private:
    static QString sql(const QString& table, const QStringList& columns) {
        QStringList names;
        for (const QString& column : columns)
            names << quoted(column);
        return kInsert.arg(quoted(table), names.join(u','), sql::marks(int(columns.size())));
    }

    QString table_;
    QStringList columns_;
    Statement statement_;
};

void fillSettings(Database& db) {
    const QString null;
    Inserter settings(
        db, schema::kSettings,
        {QStringLiteral("密码"),       QStringLiteral("单位名称"),   QStringLiteral("医师"),
         QStringLiteral("科别"),       QStringLiteral("发药人"),     QStringLiteral("备用1"),
         QStringLiteral("备用2"),      QStringLiteral("备用3"),      QStringLiteral("左边距"),
         QStringLiteral("上边距"),     QStringLiteral("自动打印"),   QStringLiteral("默认打印机"),
         QStringLiteral("处方打印机"), QStringLiteral("左边距1"),    QStringLiteral("上边距1"),
         QStringLiteral("左边距2"),    QStringLiteral("上边距2"),    QStringLiteral("打印机2"),
         QStringLiteral("打印机3"),    QStringLiteral("费别"),       QStringLiteral("处方字体"),
         QStringLiteral("处方字号"),   QStringLiteral("日志上边距"), QStringLiteral("日志左边距")});
    settings.insert({kPassword,
                     QStringLiteral("栎川中医诊所"),
                     QStringLiteral("李明"),
                     QStringLiteral("中医科"),
                     QStringLiteral("王芳"),
                     null,
                     null,
                     null,
                     QStringLiteral("10"),
                     QStringLiteral("20"),
                     QStringLiteral("0"),
                     null,
                     null,
                     QStringLiteral("10"),
                     QStringLiteral("10"),
                     QStringLiteral("10"),
                     QStringLiteral("10"),
                     null,
                     null,
                     QStringLiteral("自费"),
                     QStringLiteral("宋体"),
                     QStringLiteral("14"),
                     QStringLiteral("20"),
                     QStringLiteral("10")});
}

// 诊断 and 地址: name, initials, and the key name + initials.
void fillDictionary(Database& db, const QString& table, const char* const* names, std::size_t count) {
    Inserter dictionary(db, table, {QStringLiteral("名称"), QStringLiteral("拼音"), QStringLiteral("序号")});
    for (std::size_t i = 0; i < count; ++i) {
        const QString name = QString::fromUtf8(names[i]);
        const QString initials = PinyinInitials(name);
        dictionary.insert({name, initials, name + initials});
    }
}

void fillTemplates(Database& db, const QDateTime& created) {
    Inserter templates(db, schema::kTemplate,
                       {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("内容"),
                        QStringLiteral("拼音"), QStringLiteral("查询"), QStringLiteral("分类"),
                        QStringLiteral("排序")});
    // Distinct creation keys, one second apart, the last one at the creation time: a key and a kind
    // identify the row a later save or delete works on.
    const int total =
        static_cast<int>(std::size(kFormulas) + medicineSets().size() + std::size(kRecordPhrases));
    int index = 0;
    auto add = [&](const QString& name, const QString& content, const QString& kind, int order, bool digits) {
        const QString key = created.addSecs(index - total + 1).toString(QStringLiteral("yyyyMMddhhmmss"));
        ++index;
        const QString initials = PinyinInitials(name);
        const QString search = name + initials + (digits ? KeyDigits(initials) : QString());
        templates.insert({key, name, content, initials, search, kind,
                          QStringLiteral("%1").arg(order, 3, 10, QLatin1Char('0'))});
    };
    int order = 0;
    for (const Formula& formula : kFormulas)
        add(QString::fromUtf8(formula.name), layOutHerbal(QString::fromUtf8(formula.items)).text,
            QStringLiteral("中药方剂"), ++order, true);
    order = 0;
    for (const MedicineSet& set : medicineSets())
        add(QString::fromUtf8(set.name), set.lines.join(kCrLf), QStringLiteral("西成药组套"), ++order, true);
    order = 0;
    for (const RecordPhrase& phrase : kRecordPhrases)
        add(QString::fromUtf8(phrase.name), QString::fromUtf8(phrase.content), QStringLiteral("病历模板"),
            ++order, false);
}

// A herb is picked with 10 g, or with its largest dose per day when that is less (细辛 3 g, 冰片 0.3 g): the
// pick then never writes more than the dose rules allow.
QString usualHerbQuantity(const QString& name) {
    constexpr double kUsual = 10;
    const double largest = clinical::defaultMaxGrams(namePart(name));
    return numbers::shortest(largest > 0 && largest < kUsual ? largest : kUsual);
}

void fillCatalog(Database& db, const QDateTime& created) {
    Inserter catalog(db, schema::kCatalog,
                     {QStringLiteral("ID号"), QStringLiteral("查询"), QStringLiteral("用法"),
                      QStringLiteral("名称"), QStringLiteral("拼音"), QStringLiteral("单位"),
                      QStringLiteral("常用量"), QStringLiteral("单价"), QStringLiteral("备用1"),
                      QStringLiteral("备用2"), QStringLiteral("备用3"), QStringLiteral("分类"),
                      QStringLiteral("斗位")});
    // Keys as a spreadsheet import makes them: the creation time and a four-digit sequence number.
    const QString stamp = created.toString(QStringLiteral("yyyyMMddhhmmss"));
    int sequence = 0;
    auto add = [&](const QString& name, const QString& category, const QString& unit, const QString& quantity,
                   const QString& price, const QString& usage, const QString& drawer) {
        const QString key = stamp + QStringLiteral("%1").arg(++sequence, 4, 10, QLatin1Char('0'));
        const QString base = namePart(name);
        const QString initials = PinyinInitials(base);
        catalog.insert({key, base + initials + KeyDigits(initials), usage, name, initials, unit, quantity,
                        price, QStringLiteral(""), QString(), QString(), category, drawer});
    };
    const QString empty = QStringLiteral("");

    for (const ChargeItem& item : kChargeItems)
        add(QString::fromUtf8(item.name), QStringLiteral("收费项目"), QStringLiteral("次"),
            QStringLiteral("1"), QString::fromLatin1(item.price), empty, empty);
    for (const char* phrase : kUsagePhrases)
        add(QString::fromUtf8(phrase), QStringLiteral("用法"), empty, QStringLiteral("0"), empty, empty,
            empty);
    for (const QString& name : splitNames(kHerbNames)) {
        const auto priced = pricedHerbs().find(name);
        const bool hasPrice = priced != pricedHerbs().end();
        add(name, QStringLiteral("中药"), QStringLiteral("g"), usualHerbQuantity(name),
            hasPrice ? QString::fromLatin1(priced->second.price) : empty, empty,
            hasPrice ? QString::fromLatin1(priced->second.drawer) : empty);
    }
    for (const QString& name : splitNames(kWesternNames)) {
        const auto special = westernForms().find(name);
        const WesternForm& form = special != westernForms().end() ? special->second : kUsualWesternForm;
        const auto priced = westernPrices().find(name);
        add(name, QStringLiteral("西成药"), QString::fromUtf8(form.unit), QString::fromLatin1(form.quantity),
            priced != westernPrices().end() ? priced->second : empty, QString::fromUtf8(form.usage), empty);
    }
}

} // namespace

void fillMain(Database& db, const QDateTime& created) {
    if (!created.isValid())
        throw DbError(QStringLiteral("no creation time for the default rows"));
    Transaction transaction(db);
    fillSettings(db);
    fillDictionary(db, schema::kDiagnosis, kDiagnoses, std::size(kDiagnoses));
    fillDictionary(db, schema::kAddress, kAddresses, std::size(kAddresses));
    fillTemplates(db, created);
    fillCatalog(db, created);
    clinical::mergeDefaultRules(db);
    transaction.commit();
}

} // namespace lichuan::defaults

#include "tools/Generator.h"

#include "common/Pinyin.h"
#include "db/Database.h"
#include "db/DbError.h"
#include "db/Driver.h"
#include "db/Money.h"
#include "db/Transaction.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QStringList>
#include <algorithm>
#include <vector>

namespace tools {

namespace {

using db::Money;

// --- randomness -----------------------------------------------------------------------------

quint64 mix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

// The word lists as QStrings, made once: a million rows pick several words each.
template <size_t N> const QStringList &wordsOf(const char *const (&list)[N])
{
    static QHash<const void *, QStringList> cache;
    auto it = cache.find(list);
    if (it == cache.end()) {
        QStringList words;
        for (const char *w : list)
            words.append(QString::fromUtf8(w));
        it = cache.insert(list, words);
    }
    return *it;
}

// splitmix64: small, fast and the same on every platform, so a seed names one library.
class Rng {
public:
    explicit Rng(quint64 state) : state_(state) {}
    quint64 next() { return mix(state_++ * 0x9E3779B97F4A7C15ULL); }
    int below(int n) { return n <= 0 ? 0 : int(next() % quint64(n)); }
    int between(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(double p) { return double(next() >> 11) / double(1ULL << 53) < p; }
    double unit() { return double(next() >> 11) / double(1ULL << 53); }
    template <size_t N> QString pick(const char *const (&list)[N]) { return wordsOf(list).at(below(int(N))); }

private:
    quint64 state_;
};

// Every row draws from its own stream, so a title can be made again from its row number alone
// (the loans repeat the item's title) without keeping a million titles in memory.
enum class Stream : quint64 {
    BookTitle = 1, PeriodicalTitle, ReaderName, BookPlan, PeriodicalPlan, ReaderPlan,
    BookRow, PeriodicalRow, ReaderRow, LoanPlan, IncomePlan,
};

Rng rowRng(quint64 seed, Stream stream, qint64 row)
{
    return Rng(mix(mix(seed) ^ mix(quint64(stream) << 40 ^ quint64(row))));
}

// --- word lists -----------------------------------------------------------------------------

const char *const titleHeads[] = {"现代", "中国", "世界", "实用", "简明", "新编", "高等", "基础", "大学", "当代",
                                   "古代", "西方", "东方", "图解", "趣味", "经典", "比较", "应用", "通俗", "青少年"};
const char *const titleSubjects[] = {"经济学", "文学", "历史", "物理学", "化学", "数学", "计算机", "管理学", "哲学",
                                      "心理学", "教育学", "法学", "艺术", "音乐", "地理", "生物学", "医学", "建筑",
                                      "农业", "机械", "电子", "通信", "软件工程", "数据库", "网络", "金融", "会计",
                                      "统计学", "社会学", "政治学", "语言学", "天文学", "诗词", "小说", "戏剧"};
const char *const titleTails[] = {"导论", "教程", "概论", "史", "研究", "手册", "基础", "原理", "方法", "入门",
                                   "精要", "简史", "论文集", "词典", "实践", "案例", "讲义", "十讲", "问答", "选读"};
const char *const volumes[] = {"（上册）", "（下册）", "（第二版）", "（修订本）"};
const char *const journalHeads[] = {"读者", "科学", "青年", "知识", "世界", "中国", "现代", "大众", "文史", "人民",
                                     "少年", "家庭", "南方", "北方", "环球", "国家"};
const char *const journalTails[] = {"文摘", "画报", "周刊", "月刊", "学报", "杂志", "评论", "天地", "博览", "研究"};
const char *const surnames[] = {"王", "李", "张", "刘", "陈", "杨", "黄", "赵", "吴", "周", "徐", "孙", "马", "朱",
                                "胡", "郭", "何", "高", "林", "罗", "郑", "梁", "谢", "宋", "唐", "许", "韩", "冯",
                                "邓", "曹", "彭", "曾", "肖", "田", "董", "袁", "潘", "于", "蒋", "蔡", "余", "杜",
                                "叶", "程", "苏", "魏", "吕", "丁", "任", "沈", "姚", "卢", "姜", "崔", "钟", "谭",
                                "陆", "汪", "范", "金", "石", "廖", "贾", "夏", "韦", "方", "白", "邹", "孟", "熊",
                                "秦", "邱", "江", "尹", "薛", "段", "雷", "侯", "龙", "史", "陶", "黎", "贺", "顾",
                                "毛", "郝", "龚", "邵", "万", "钱", "严", "武", "戴", "莫", "孔", "向", "汤", "欧阳"};
const char *const givenNames[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳", "杰", "娟",
                                  "涛", "明", "超", "秀", "霞", "平", "刚", "桂", "英", "华", "玉", "兰", "萍", "红",
                                  "建", "文", "辉", "力", "国", "鹏", "宇", "浩", "凯", "健", "俊", "帆", "志", "晨",
                                  "欣", "怡", "雪", "琳", "晶", "婷", "博", "斌", "海", "燕", "云", "峰", "亮", "林",
                                  "波", "鑫", "思", "佳", "子", "雨", "梦", "一", "春", "秋", "东", "南", "立", "新"};
const char *const classes[] = {"马列主义", "哲学", "社会科学", "政治法律", "军事", "经济", "文化教育", "语言文字",
                               "文学", "艺术", "历史地理", "自然科学", "数理化", "天文地球", "生物科学", "医药卫生",
                               "农业科学", "工业技术", "交通运输", "航空航天", "环境科学", "综合性图书"};
const char *const subClasses[] = {"教材", "教参", "工具书", "专著", "译著", "丛书", "期刊合订本", "普及读物",
                                  "古籍", "外文图书"};
const char *const locations[] = {"一楼A区", "一楼B区", "二楼A区", "二楼B区", "三楼A区", "三楼B区", "四楼书库",
                                 "过刊室", "阅览室", "特藏室"};
const char *const units[] = {"计算机系", "数学系", "物理系", "化学系", "外语系", "中文系", "历史系", "经济管理学院",
                             "法学院", "医学院", "图书馆", "行政处", "后勤处", "教务处"};
const char *const documents[] = {"身份证", "学生证", "工作证", "军官证", "护照"};
const char *const secrecy[] = {"公开", "内部", "秘密"};
const char *const currencies[] = {"美元", "欧元", "日元", "港币"}; // 人民币 comes with every new library
const char *const attachments[] = {"无", "光盘", "磁带", "地图", "软盘"};
const char *const cities[] = {"北京市", "上海市", "广州市", "南京市", "武汉市", "成都市", "西安市", "杭州市"};
const char *const streets[] = {"人民路", "解放路", "中山路", "建设路", "和平路", "学院路", "文化路", "长江路"};
const char *const remarks[] = {"现金", "微信", "支付宝", "银行卡"};

struct Publisher {
    const char *name;
    const char *isbn;
    const char *place;
};
const Publisher publishers[] = {
    {"人民出版社", "7-01", "北京"},       {"高等教育出版社", "7-04", "北京"}, {"科学出版社", "7-03", "北京"},
    {"人民文学出版社", "7-02", "北京"},   {"商务印书馆", "7-100", "北京"},    {"中华书局", "7-101", "北京"},
    {"清华大学出版社", "7-302", "北京"}, {"北京大学出版社", "7-301", "北京"}, {"机械工业出版社", "7-111", "北京"},
    {"电子工业出版社", "7-121", "北京"}, {"上海译文出版社", "7-5327", "上海"}, {"生活·读书·新知三联书店", "7-108", "北京"},
};

// Reader kinds and rent levels beside the required "普通"; weights say how often each is drawn.
struct ReaderKind {
    const char *name;
    int days;
    int limit;
    qint64 rentRaw;
    int weight;
};
const ReaderKind readerKinds[] = {
    {"普通", 30, 5, 0, 40}, {"学生", 30, 5, 1000, 40}, {"教师", 60, 10, 0, 15}, {"临时", 15, 2, 5000, 5}};

struct RentLevel {
    const char *name;
    qint64 rentRaw;
    int weight;
};
const RentLevel rentLevels[] = {{"普通", 0, 60}, {"一级", 1000, 20}, {"二级", 2000, 12}, {"三级", 5000, 5}, {"", 0, 3}};

template <typename T, size_t N> int weighted(Rng &rng, const T (&list)[N])
{
    int total = 0;
    for (const T &t : list)
        total += t.weight;
    int r = rng.below(total);
    for (size_t i = 0; i < N; ++i) {
        if (r < list[i].weight)
            return int(i);
        r -= list[i].weight;
    }
    return 0;
}

const QString admin = QStringLiteral("超级管理员");
const Money openingFee = Money::fromInt(10);
constexpr int maxHistoryDays = 3 * 365;
constexpr int recentDays = 90;
constexpr int intakeSpanDays = 10 * 365;

// --- the plan: what the counters must say ---------------------------------------------------

struct ItemPlan {
    quint8 copies = 1;
    quint8 open = 0;
    quint8 rentLevel = 0;
    quint16 intakeAgo = 0; // days before today
    quint32 loans = 0;
};

struct ReaderPlan {
    quint8 kind = 0;
    quint16 registeredAgo = 0;
    quint16 open = 0;
    quint32 loans = 0;
    qint64 balanceRaw = 0;
};

struct LoanPlan {
    qint32 reader;
    qint32 item;
    bool periodical;
    bool open;
    quint16 lentAgo;
    quint16 heldDays; // returned loans: days until the return
};

struct IncomePlan {
    qint32 reader;
    quint16 ago;
    bool fee;
    qint64 amountRaw;
    quint8 remark;
};

// --- batch writing --------------------------------------------------------------------------

// One prepared insert, bound column-wise and run with execBatch; each batch is one transaction
// so that a big library neither holds one huge transaction nor commits row by row.
class BatchInsert {
public:
    BatchInsert(db::Database &database, const QString &table, const QStringList &columns, int batchRows,
                const Generator::Progress &progress, qint64 total)
        : db_(database), table_(table), batchRows_(std::max(1, batchRows)), progress_(progress), total_(total),
          columns_(columns.size()), query_(database.handle())
    {
        QStringList marks;
        for (qsizetype i = 0; i < columns.size(); ++i)
            marks.append(QStringLiteral("?"));
        statement_ = QStringLiteral("insert into %1 (%2) values (%3)").arg(table, columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        if (!query_.prepare(statement_))
            throw db::DbError(db::errorText(query_.lastError(), statement_));
        for (QVariantList &c : columns_)
            c.reserve(batchRows_);
        if (progress_)
            progress_(table_, 0, total_);
    }

    void add(std::initializer_list<QVariant> row)
    {
        Q_ASSERT(qsizetype(row.size()) == columns_.size());
        qsizetype i = 0;
        for (const QVariant &v : row)
            columns_[i++].append(v.metaType() == QMetaType::fromType<Money>() ? db_.driver().toStorage(v) : v);
        if (columns_.front().size() >= batchRows_)
            flush();
    }

    void finish()
    {
        flush();
    }

private:
    void flush()
    {
        const qsizetype rows = columns_.front().size();
        if (rows == 0)
            return;
        db::Transaction transaction(db_);
        for (qsizetype i = 0; i < columns_.size(); ++i)
            query_.bindValue(int(i), columns_[i]);
        if (!query_.execBatch())
            throw db::DbError(db::errorText(query_.lastError(), statement_));
        transaction.commit();
        // Unshare the lists from the query so that clearing them keeps their capacity.
        for (qsizetype i = 0; i < columns_.size(); ++i)
            query_.bindValue(int(i), QVariant());
        for (QVariantList &c : columns_)
            c.clear();
        done_ += rows;
        if (progress_)
            progress_(table_, done_, total_);
    }

    db::Database &db_;
    QString table_;
    QString statement_;
    int batchRows_;
    Generator::Progress progress_;
    qint64 total_;
    qint64 done_ = 0;
    QList<QVariantList> columns_;
    QSqlQuery query_;
};

QVariant money(qint64 raw) { return QVariant::fromValue(Money::fromRaw(raw)); }

QString digits(Rng &rng, int count)
{
    QString s;
    s.reserve(count);
    for (int i = 0; i < count; ++i)
        s.append(QChar(u'0' + rng.below(10)));
    return s;
}

// --- the library ----------------------------------------------------------------------------

class Library {
public:
    Library(db::Database &database, const GeneratorOptions &options, const Generator::Progress &progress, int batchRows)
        : db_(database), o_(options), progress_(progress), batchRows_(batchRows)
    {
    }

    void make()
    {
        refuseFilledLibrary();
        planItems();
        planReaders();
        planLoans();
        planIncome();
        writeLookups();
        writeBooks();
        writePeriodicals();
        writeReaders();
        writeLoans();
        writeIncome();
    }

private:
    void refuseFilledLibrary()
    {
        for (const char *table : {"图书", "期刊", "读者库", "借出记录", "收入"}) {
            db::Rows rows = db_.select(db::Sql::fixed(QStringLiteral("select count(*) as n from %1").arg(QString::fromUtf8(table))));
            if (rows.next() && rows.integer(QStringLiteral("n")) > 0)
                throw db::DbError(QStringLiteral("目标数据库的 %1 中已有数据; 请生成到新的数据库").arg(QString::fromUtf8(table)));
        }
        if (o_.loans > 0 && (o_.readers <= 0 || o_.books + o_.periodicals <= 0))
            throw db::DbError(QStringLiteral("借出记录需要读者和图书或期刊"));
        if (o_.income > 0 && o_.readers <= 0)
            throw db::DbError(QStringLiteral("收入记录需要读者"));
    }

    QString initials(const QString &text)
    {
        auto it = py_.constFind(text);
        if (it != py_.constEnd())
            return *it;
        return *py_.insert(text, PinyinInitials(text));
    }

    QDate daysAgo(int days) const { return o_.today.addDays(-days); }

    // Item and reader facts that the loans depend on.
    void planItems()
    {
        const auto plan = [this](std::vector<ItemPlan> &items, int count, Stream stream) {
            items.resize(size_t(std::max(0, count)));
            for (size_t i = 0; i < items.size(); ++i) {
                Rng rng = rowRng(o_.seed, stream, qint64(i));
                items[i].copies = quint8(rng.chance(0.7) ? 1 : rng.between(2, 5));
                items[i].rentLevel = quint8(weighted(rng, rentLevels));
                // Catalogued in number order: the intake-date index then grows at its end
                // instead of taking random inserts all over a million-row tree.
                items[i].intakeAgo = quint16(qint64(items.size() - 1 - i) * intakeSpanDays / qint64(std::max<size_t>(1, items.size())));
            }
        };
        plan(books_, o_.books, Stream::BookPlan);
        plan(periodicals_, o_.periodicals, Stream::PeriodicalPlan);
    }

    void planReaders()
    {
        readers_.resize(size_t(std::max(0, o_.readers)));
        for (size_t i = 0; i < readers_.size(); ++i) {
            Rng rng = rowRng(o_.seed, Stream::ReaderPlan, qint64(i));
            readers_[i].kind = quint8(weighted(rng, readerKinds));
            readers_[i].registeredAgo = quint16(rng.between(0, 8 * 365));
        }
    }

    // Popular items are lent far more often; the multiplier spreads them over the catalogue.
    static int popularPick(Rng &rng, int count)
    {
        const double u = rng.unit();
        const qint64 rank = qint64(u * u * count);
        return int((rank * 2654435761LL) % count);
    }

    void planLoans()
    {
        Rng rng = rowRng(o_.seed, Stream::LoanPlan, 0);
        loans_.reserve(size_t(std::max(0, o_.loans)));
        const int items = int(books_.size() + periodicals_.size());
        for (int n = 0; n < o_.loans; ++n) {
            LoanPlan loan{};
            loan.reader = rng.below(int(readers_.size()));
            loan.periodical = !periodicals_.empty() && (books_.empty() || rng.below(items) < int(periodicals_.size()));
            std::vector<ItemPlan> &table = loan.periodical ? periodicals_ : books_;
            loan.item = popularPick(rng, int(table.size()));
            ItemPlan &item = table[size_t(loan.item)];
            ReaderPlan &reader = readers_[size_t(loan.reader)];
            const int oldest = std::min({int(item.intakeAgo), int(reader.registeredAgo), maxHistoryDays});
            const int ago = rng.chance(0.25) ? rng.between(0, std::min(oldest, recentDays - 1)) : rng.between(0, oldest);
            loan.lentAgo = quint16(ago);
            loan.open = ago < recentDays ? rng.chance(0.7) : rng.chance(0.02);
            if (item.open >= item.copies || reader.open >= readerKinds[reader.kind].limit)
                loan.open = false;
            item.loans += 1;
            reader.loans += 1;
            if (loan.open) {
                item.open += 1;
                reader.open += 1;
            } else {
                loan.heldDays = quint16(rng.between(0, std::min(ago, 60)));
                reader.balanceRaw -= rentOf(loan).raw();
            }
            loans_.push_back(loan);
        }
        // Older loans get the smaller ids, as the desk would have numbered them.
        std::stable_sort(loans_.begin(), loans_.end(), [](const LoanPlan &a, const LoanPlan &b) { return a.lentAgo > b.lentAgo; });
    }

    Money ratePerDay(const LoanPlan &loan) const
    {
        const ItemPlan &item = (loan.periodical ? periodicals_ : books_)[size_t(loan.item)];
        return Money::fromRaw(rentLevels[item.rentLevel].rentRaw);
    }
    static int daysCharged(const LoanPlan &loan) { return std::max(1, int(loan.heldDays)); }
    Money rentOf(const LoanPlan &loan) const { return ratePerDay(loan) * daysCharged(loan); }

    void planIncome()
    {
        Rng rng = rowRng(o_.seed, Stream::IncomePlan, 0);
        const int fees = std::min(int(readers_.size()), o_.income * 3 / 10);
        income_.reserve(size_t(std::max(0, o_.income)));
        for (int n = 0; n < o_.income; ++n) {
            IncomePlan row{};
            row.fee = n < fees;
            row.reader = row.fee ? n : rng.below(int(readers_.size()));
            ReaderPlan &reader = readers_[size_t(row.reader)];
            if (row.fee) {
                row.ago = reader.registeredAgo;
                row.amountRaw = openingFee.raw();
            } else {
                row.ago = quint16(rng.between(0, reader.registeredAgo));
                static const int amounts[] = {10, 20, 30, 50, 100, 200};
                row.amountRaw = rng.chance(0.1) ? -(qint64(rng.between(1, 100)) * 5000)
                                                : qint64(amounts[rng.below(6)]) * Money::Scale + (rng.chance(0.2) ? rng.below(100) * 100 : 0);
                row.remark = quint8(rng.below(int(std::size(remarks))));
                reader.balanceRaw += row.amountRaw;
            }
            income_.push_back(row);
        }
        std::stable_sort(income_.begin(), income_.end(), [](const IncomePlan &a, const IncomePlan &b) { return a.ago > b.ago; });
    }

    // --- writing ----------------------------------------------------------------------------

    template <size_t N> void insertNames(const QString &table, const QString &column, const char *const (&names)[N])
    {
        for (const char *name : names)
            db_.insert(table, {{column, QString::fromUtf8(name)}});
    }

    void writeLookups()
    {
        db::Transaction transaction(db_);
        insertNames(QStringLiteral("分类"), QStringLiteral("名称"), classes);
        insertNames(QStringLiteral("二级分类"), QStringLiteral("名称"), subClasses);
        insertNames(QStringLiteral("存放位置"), QStringLiteral("存放位置名"), locations);
        insertNames(QStringLiteral("单位名称"), QStringLiteral("单位名称"), units);
        insertNames(QStringLiteral("证件名"), QStringLiteral("证件名"), documents);
        insertNames(QStringLiteral("密级"), QStringLiteral("密级"), secrecy);
        insertNames(QStringLiteral("币种"), QStringLiteral("币种"), currencies);
        insertNames(QStringLiteral("附件名"), QStringLiteral("附件名"), attachments);
        for (const Publisher &p : publishers)
            db_.insert(QStringLiteral("出版社名"), {{QStringLiteral("出版社名"), QString::fromUtf8(p.name)},
                                                   {QStringLiteral("ISBN"), QString::fromUtf8(p.isbn)},
                                                   {QStringLiteral("出版地"), QString::fromUtf8(p.place)}});
        for (const ReaderKind &k : readerKinds)
            if (QString::fromUtf8(k.name) != QStringLiteral("普通"))
                db_.insert(QStringLiteral("读者类别"), {{QStringLiteral("类别名"), QString::fromUtf8(k.name)},
                                                       {QStringLiteral("借阅天数"), k.days},
                                                       {QStringLiteral("借阅数量限制"), k.limit},
                                                       {QStringLiteral("租金"), money(k.rentRaw)}});
        for (const RentLevel &l : rentLevels)
            if (l.rentRaw > 0)
                db_.insert(QStringLiteral("租金级别"), {{QStringLiteral("名称"), QString::fromUtf8(l.name)}, {QStringLiteral("租金"), money(l.rentRaw)}});
        // The loans carry rents and the balances have them taken off, as with the rent switch on.
        db_.update(QStringLiteral("系统设置"), {{QStringLiteral("启用租金功能"), true}, {QStringLiteral("开户费"), QVariant::fromValue(openingFee)}}, db::Sql());
        transaction.commit();
    }

    static QString bookNumber(qint64 i) { return QStringLiteral("TS%1").arg(i + 1, 7, 10, QLatin1Char('0')); }
    static QString bookBarcode(qint64 i) { return QStringLiteral("9787%1").arg(i + 1, 9, 10, QLatin1Char('0')); }
    static QString periodicalNumber(qint64 i) { return QStringLiteral("QK%1").arg(i + 1, 6, 10, QLatin1Char('0')); }
    static QString periodicalBarcode(qint64 i) { return QStringLiteral("977%1").arg(i + 1, 10, 10, QLatin1Char('0')); }
    static QString readerNumber(qint64 i) { return QStringLiteral("DZ%1").arg(i + 1, 6, 10, QLatin1Char('0')); }

    QString bookTitle(qint64 i) const
    {
        Rng rng = rowRng(o_.seed, Stream::BookTitle, i);
        QString title = rng.pick(titleHeads) + rng.pick(titleSubjects) + rng.pick(titleTails);
        if (rng.chance(0.1))
            title += rng.pick(volumes);
        return title;
    }

    QString periodicalTitle(qint64 i) const
    {
        Rng rng = rowRng(o_.seed, Stream::PeriodicalTitle, i);
        return rng.pick(journalHeads) + rng.pick(journalTails);
    }

    static QString personName(Rng &rng)
    {
        QString name = rng.pick(surnames) + rng.pick(givenNames);
        if (rng.chance(0.6))
            name += rng.pick(givenNames);
        return name;
    }

    QString readerName(qint64 i) const
    {
        Rng rng = rowRng(o_.seed, Stream::ReaderName, i);
        return personName(rng);
    }

    static QString isbnPrefix(int p) { return QString::fromUtf8(publishers[p].isbn); }

    void writeBooks()
    {
        static const QStringList columns = QStringLiteral("编号,名称,条形码,索书号,分类号,数量,分类,二级分类,出版社,存放位置,租金级别,价格,币种,"
                                                          "作者,译者,出版时间,ISBN,密级,附件,版次,页数,图片地址,绝对地址,py,简介,"
                                                          "入库时间,借出次数,状态,登记人")
                                               .split(QLatin1Char(','));
        BatchInsert out(db_, QStringLiteral("图书"), columns, batchRows_, progress_, qint64(books_.size()));
        for (size_t i = 0; i < books_.size(); ++i) {
            const ItemPlan &plan = books_[i];
            Rng rng = rowRng(o_.seed, Stream::BookRow, qint64(i));
            const QString title = bookTitle(qint64(i));
            const int cls = rng.below(int(std::size(classes)));
            const int publisher = rng.below(int(std::size(publishers)));
            const QString callNumber = QChar(u'A' + cls) + QString::number(rng.between(10, 999)) + QLatin1Char('/') + QString::number(rng.between(1, 99));
            const QDate intake = daysAgo(plan.intakeAgo);
            const QString translator = rng.chance(0.15) ? personName(rng) : QString();
            out.add({bookNumber(qint64(i)), title, bookBarcode(qint64(i)), callNumber, QString(QChar(u'A' + cls)) + QString::number(rng.between(0, 99)),
                     int(plan.copies) - int(plan.open), QString::fromUtf8(classes[cls]), rng.pick(subClasses),
                     QString::fromUtf8(publishers[publisher].name), rng.pick(locations), QString::fromUtf8(rentLevels[plan.rentLevel].name),
                     money(qint64(rng.between(5, 150)) * Money::Scale + rng.below(10) * 1000),
                     rng.chance(0.95) ? QStringLiteral("人民币") : rng.pick(currencies), personName(rng), translator,
                     intake.addDays(-rng.between(0, 20 * 365)),
                     QStringLiteral("978-%1-%2-%3").arg(isbnPrefix(publisher), digits(rng, 4), QString::number(rng.below(10))),
                     rng.pick(secrecy), rng.pick(attachments), QStringLiteral("第%1版").arg(rng.between(1, 5)), rng.between(80, 900),
                     QStringLiteral("n"), QStringLiteral("n"), initials(title),
                     QStringLiteral("本书是一部关于%1的读物。").arg(title), intake, int(plan.loans), QStringLiteral("正常"), admin});
        }
        out.finish();
    }

    void writePeriodicals()
    {
        static const QStringList columns = QStringLiteral("编号,名称,条形码,出版社,租金级别,存放位置,分类,二级分类,数量,ISSN,国内统一刊号,"
                                                          "邮发代号,第几期,总第几期,出版时间,价格,币种,py,简介,状态,借出次数,入库时间,登记人")
                                               .split(QLatin1Char(','));
        BatchInsert out(db_, QStringLiteral("期刊"), columns, batchRows_, progress_, qint64(periodicals_.size()));
        for (size_t i = 0; i < periodicals_.size(); ++i) {
            const ItemPlan &plan = periodicals_[i];
            Rng rng = rowRng(o_.seed, Stream::PeriodicalRow, qint64(i));
            const QString title = periodicalTitle(qint64(i));
            const QDate intake = daysAgo(plan.intakeAgo);
            const int issue = rng.between(1, 12);
            out.add({periodicalNumber(qint64(i)), title, periodicalBarcode(qint64(i)), QString::fromUtf8(publishers[rng.below(int(std::size(publishers)))].name),
                     QString::fromUtf8(rentLevels[plan.rentLevel].name), rng.pick(locations), rng.pick(classes), QStringLiteral("期刊合订本"),
                     int(plan.copies) - int(plan.open), QStringLiteral("%1-%2").arg(digits(rng, 4), digits(rng, 4)),
                     QStringLiteral("CN%1-%2").arg(rng.between(11, 65)).arg(digits(rng, 4)),
                     QStringLiteral("%1-%2").arg(rng.between(1, 82)).arg(rng.between(1, 999)), QString::number(issue),
                     QString::number(rng.between(1, 600)), intake.addDays(-rng.between(0, 60)),
                     money(qint64(rng.between(3, 30)) * Money::Scale + rng.below(2) * 5000), QStringLiteral("人民币"), initials(title),
                     QString(), QStringLiteral("正常"), int(plan.loans), intake, admin});
        }
        out.finish();
    }

    void writeReaders()
    {
        static const QStringList columns = QStringLiteral("读者编号,读者姓名,性别,类别,有效证件,证件号码,联系电话,登记日期,有效期,班级,院系,"
                                                          "单位部门,住址,备注,登记人,状态,密码,未还数量,累计借阅次数,卡内金额,py")
                                               .split(QLatin1Char(','));
        BatchInsert out(db_, QStringLiteral("读者库"), columns, batchRows_, progress_, qint64(readers_.size()));
        for (size_t i = 0; i < readers_.size(); ++i) {
            const ReaderPlan &plan = readers_[i];
            Rng rng = rowRng(o_.seed, Stream::ReaderRow, qint64(i));
            const QString name = readerName(qint64(i));
            const QString kind = QString::fromUtf8(readerKinds[plan.kind].name);
            const bool student = kind == QStringLiteral("学生");
            const QDate registered = daysAgo(plan.registeredAgo);
            const QDate valid = kind == QStringLiteral("临时") ? registered.addYears(1) : QDate(2500, 1, 1);
            const QString unit = rng.pick(units);
            out.add({readerNumber(qint64(i)), name, rng.chance(0.5) ? QStringLiteral("男") : QStringLiteral("女"), kind,
                     rng.pick(documents), digits(rng, 18), QStringLiteral("13") + digits(rng, 9), registered, valid,
                     student ? QStringLiteral("%1级%2班").arg(registered.year()).arg(rng.between(1, 8)) : QString(),
                     student ? unit : QString(), unit,
                     rng.pick(cities) + rng.pick(streets) + QStringLiteral("%1号").arg(rng.between(1, 999)), QString(), admin,
                     QStringLiteral("正常"), QStringLiteral("7394"), int(plan.open), qint64(plan.loans), money(plan.balanceRaw),
                     initials(name)});
        }
        out.finish();
    }

    void writeLoans()
    {
        static const QStringList columns = QStringLiteral("读者编号,读者姓名,编号,名称,条形码,类别,租金,借阅日期,应还日期,借阅经手人,已还,"
                                                          "物品状况,归还日期,归还经手人,实际租期,实际租金")
                                               .split(QLatin1Char(','));
        BatchInsert out(db_, QStringLiteral("借出记录"), columns, batchRows_, progress_, qint64(loans_.size()));
        const QVariant none;
        for (const LoanPlan &loan : loans_) {
            const ReaderPlan &reader = readers_[size_t(loan.reader)];
            const QDate lent = daysAgo(loan.lentAgo);
            const QDate due = lent.addDays(readerKinds[reader.kind].days);
            const QString number = loan.periodical ? periodicalNumber(loan.item) : bookNumber(loan.item);
            const QString title = loan.periodical ? periodicalTitle(loan.item) : bookTitle(loan.item);
            const QString barcode = loan.periodical ? periodicalBarcode(loan.item) : bookBarcode(loan.item);
            const QVariant rate = QVariant::fromValue(ratePerDay(loan));
            if (loan.open) {
                out.add({readerNumber(loan.reader), readerName(loan.reader), number, title, barcode,
                         loan.periodical ? QStringLiteral("期刊") : QStringLiteral("图书"), rate, lent, due, admin, QStringLiteral("否"),
                         QStringLiteral("完好"), none, none, none, none});
            } else {
                out.add({readerNumber(loan.reader), readerName(loan.reader), number, title, barcode,
                         loan.periodical ? QStringLiteral("期刊") : QStringLiteral("图书"), rate, lent, due, admin, QStringLiteral("是"),
                         QStringLiteral("完好"), lent.addDays(loan.heldDays), admin, daysCharged(loan), QVariant::fromValue(rentOf(loan))});
            }
        }
        out.finish();
    }

    void writeIncome()
    {
        static const QStringList columns = QStringLiteral("项目,时间,读者编号,读者姓名,金额,管理员,备注").split(QLatin1Char(','));
        BatchInsert out(db_, QStringLiteral("收入"), columns, batchRows_, progress_, qint64(income_.size()));
        for (const IncomePlan &row : income_) {
            const QString remark = row.fee ? QString() : row.amountRaw < 0 ? QStringLiteral("退款") : QString::fromUtf8(remarks[row.remark]);
            out.add({row.fee ? QStringLiteral("开户费") : QStringLiteral("充值"), daysAgo(row.ago), readerNumber(row.reader),
                     readerName(row.reader), money(row.amountRaw), admin, remark});
        }
        out.finish();
    }

    db::Database &db_;
    GeneratorOptions o_;
    const Generator::Progress &progress_;
    int batchRows_;
    std::vector<ItemPlan> books_;
    std::vector<ItemPlan> periodicals_;
    std::vector<ReaderPlan> readers_;
    std::vector<LoanPlan> loans_;
    std::vector<IncomePlan> income_;
    QHash<QString, QString> py_;
};

} // namespace

Generator::Generator(db::Database &database, const GeneratorOptions &options) : db_(database), options_(options) {}

void Generator::run()
{
    Library library(db_, options_, progress_, batchRows_);
    library.make();
}

void preferSpeedWhileFilling(db::Database &database)
{
    if (database.engine() != db::Engine::SQLite)
        return;
    QSqlQuery pragma(database.handle());
    for (const char *statement : {"pragma synchronous = off", "pragma journal_mode = memory", "pragma cache_size = -524288",
                                  "pragma temp_store = memory"})
        pragma.exec(QString::fromLatin1(statement));
}

} // namespace tools

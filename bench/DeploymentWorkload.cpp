#include "DeploymentWorkload.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace orva::bench {

namespace {

constexpr int kTopClasses = 5;
constexpr int kSubSystemsPerTop = 4;
constexpr int kNewSubFuncsPerSub = 10;
constexpr int kGrownSubFuncsPerSub = kPopulatedSubFuncs / (kTopClasses * kSubSystemsPerTop);

const char* const kTopClassNames[kTopClasses] = {"人力资源", "质量管理", "客户关系", "项目管理", "资产管理"};

const char* const kSubSystemNames[kTopClasses][kSubSystemsPerTop] = {
    {"组织架构", "薪资管理", "考勤管理", "招聘管理"}, {"来料检验", "过程检验", "成品检验", "质量分析"},
    {"客户管理", "商机管理", "服务管理", "营销活动"}, {"项目立项", "项目计划", "项目成本", "项目结算"},
    {"设备台账", "维修保养", "备品备件", "资产盘点"},
};

const char* const kSubFuncNames[kNewSubFuncsPerSub] = {"基础资料", "业务单据", "业务报表", "日常业务",
                                                       "查询分析", "期末处理", "参数设置", "数据导入",
                                                       "审批流程", "统计报表"};

const char* const kObjects[] = {"采购订单", "销售出库单", "质检方案",   "物料清单",
                                "收款单",   "凭证",       "生产任务单", "员工档案"};
const char* const kActions[] = {"维护", "新增", "序时簿", "查询"};
const char* const kParamPrefixes[] = {"Base|", "Bill|", "List|", "SQLRPT|"};

std::string GrownSubFuncName(int k) { return "归档功能 " + std::to_string(k + 1); }

std::string Padded(int value, int width) {
    std::string digits = std::to_string(value);
    return std::string(digits.size() < static_cast<size_t>(width) ? width - digits.size() : 0, '0') + digits;
}

[[noreturn]] void Fail(sqlite3* db, const char* what) {
    std::fprintf(stderr, "DeploymentBench fixture: %s: %s\n", what,
                 db ? sqlite3_errmsg(db) : "no connection");
    std::abort();
}

void Exec(sqlite3* db, const char* sql) {
    if (sqlite3_exec(db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) Fail(db, sql);
}

sqlite3_stmt* Prepare(sqlite3* db, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) Fail(db, sql);
    return statement;
}

void BindText(sqlite3_stmt* statement, int index, const std::string& text) {
    sqlite3_bind_text(statement, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT);
}

// Runs an insert and gives the new row's id.
int64_t Insert(sqlite3* db, sqlite3_stmt* statement) {
    if (sqlite3_step(statement) != SQLITE_DONE) Fail(db, sqlite3_sql(statement));
    sqlite3_reset(statement);
    return sqlite3_last_insert_rowid(db);
}

int64_t NextTopClassIndexOf(sqlite3* db) {
    sqlite3_stmt* statement = Prepare(db, "SELECT coalesce(max(FIndex), 0) + 1 FROM t_TopClass");
    if (sqlite3_step(statement) != SQLITE_ROW) Fail(db, "next top-class index");
    int64_t index = sqlite3_column_int64(statement, 0);
    sqlite3_finalize(statement);
    return index;
}

}  // namespace

std::string AsciiNameKey(const std::string& name) {
    std::string key = name;
    for (char& c : key) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    size_t first = key.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return key.substr(first, key.find_last_not_of(' ') - first + 1);
}

std::vector<WorkloadEntry> MakeWorkload(int count, WorkloadTarget target) {
    std::vector<WorkloadEntry> entries;
    entries.reserve(count);
    for (int i = 0; i < count; ++i) {
        int top = i % kTopClasses;
        int sub = (i / kTopClasses) % kSubSystemsPerTop;
        WorkloadEntry entry;
        entry.topClass = kTopClassNames[top];
        entry.subSystem = kSubSystemNames[top][sub];
        if (target == WorkloadTarget::NewBranches) {
            entry.subFunc = kSubFuncNames[(i / (kTopClasses * kSubSystemsPerTop)) % kNewSubFuncsPerSub];
        } else {
            entry.subFunc = GrownSubFuncName((i / (kTopClasses * kSubSystemsPerTop)) % kGrownSubFuncsPerSub);
        }
        int action = i % 4;
        entry.funcName = std::string(kObjects[(i / 4) % 8]) + " " + Padded(i, 6) + "-" + kActions[action];
        entry.classParam = kParamPrefixes[action] + std::to_string(200000000 + i);
        entry.no = "[" + entry.funcName + "] 发布到: [" + entry.topClass + "." + entry.subSystem + "." +
                   entry.subFunc + "]";
        entries.push_back(std::move(entry));
    }
    return entries;
}

void GrowCatalogue(CatalogueSink& sink, int details) {
    if (details % kPopulatedSubFuncs != 0) {
        std::fprintf(stderr, "DeploymentBench fixture: %d details do not spread over %d sub-functions\n",
                     details, kPopulatedSubFuncs);
        std::abort();
    }
    int perSubFunc = details / kPopulatedSubFuncs;
    int64_t topIndex = sink.NextTopClassIndex();
    int detailNumber = 0;
    for (int t = 0; t < kTopClasses; ++t) {
        int64_t topId = sink.AddTopClass(topIndex++, kTopClassNames[t], AsciiNameKey(kTopClassNames[t]));
        for (int s = 0; s < kSubSystemsPerTop; ++s) {
            int64_t subId =
                sink.AddSubSystem(topId, s + 1, kSubSystemNames[t][s], AsciiNameKey(kSubSystemNames[t][s]));
            for (int f = 0; f < kGrownSubFuncsPerSub; ++f) {
                std::string name = GrownSubFuncName(f);
                int64_t funcId = sink.AddSubFunc(subId, f + 1, name, AsciiNameKey(name));
                for (int d = 0; d < perSubFunc; ++d, ++detailNumber) {
                    // Shaped as the packets' names (numbered from 500000), so lengths vary alike.
                    std::string detailName = std::string(kObjects[(detailNumber / 4) % 8]) + " " +
                                             Padded(500000 + detailNumber, 6) + "-" +
                                             kActions[detailNumber % 4];
                    sink.AddDetail(funcId, d + 1, detailName, AsciiNameKey(detailName),
                                   std::string(kParamPrefixes[detailNumber % 4]) +
                                       std::to_string(100000000 + detailNumber));
                }
            }
        }
    }
}

namespace {

// The grown part written into an SQLite account file through prepared inserts.
class SqliteSink : public CatalogueSink {
public:
    explicit SqliteSink(sqlite3* db)
        : m_db(db),
          m_top(Prepare(db,
                        "INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, "
                        "FTopClassName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FVisible) VALUES "
                        "(?1, ?2, ?2, ?2, ?3, ?3, ?3, 1)")),
          m_sub(Prepare(db,
                        "INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, "
                        "FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FSubID, FVisible) "
                        "VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?4, ?4, 'OrvaHost.Application', 'orvahost', 1)")),
          m_func(Prepare(db,
                         "INSERT INTO t_SubFunc (FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, "
                         "FFuncName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FVisible) "
                         "VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?4, ?4, 'OrvaHost.Application', 1)")),
          m_detail(Prepare(db,
                           "INSERT INTO t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, "
                           "FFuncName_EN, FNameKey_CHS, FNameKey_CHT, FNameKey_EN, FClassName, FClassParam, "
                           "FHelpCode, FVisible) "
                           "VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?4, ?4, 'OrvaHost.Application', ?5, '', 1)")) {}
    ~SqliteSink() override {
        for (sqlite3_stmt* statement : {m_top, m_sub, m_func, m_detail}) sqlite3_finalize(statement);
    }
    SqliteSink(const SqliteSink&) = delete;
    SqliteSink& operator=(const SqliteSink&) = delete;

    int64_t NextTopClassIndex() override { return NextTopClassIndexOf(m_db); }
    int64_t AddTopClass(int64_t index, const std::string& name, const std::string& key) override {
        sqlite3_bind_int64(m_top, 1, index);
        BindText(m_top, 2, name);
        BindText(m_top, 3, key);
        return Insert(m_db, m_top);
    }
    int64_t AddSubSystem(int64_t topClassId, int64_t index, const std::string& name,
                         const std::string& key) override {
        return AddChild(m_sub, topClassId, index, name, key);
    }
    int64_t AddSubFunc(int64_t subSysId, int64_t index, const std::string& name,
                       const std::string& key) override {
        return AddChild(m_func, subSysId, index, name, key);
    }
    void AddDetail(int64_t subFuncId, int64_t index, const std::string& name, const std::string& key,
                   const std::string& classParam) override {
        BindText(m_detail, 5, classParam);
        AddChild(m_detail, subFuncId, index, name, key);
    }

private:
    int64_t AddChild(sqlite3_stmt* insert, int64_t parentId, int64_t index, const std::string& name,
                     const std::string& key) {
        sqlite3_bind_int64(insert, 1, parentId);
        sqlite3_bind_int64(insert, 2, index);
        BindText(insert, 3, name);
        BindText(insert, 4, key);
        return Insert(m_db, insert);
    }

    sqlite3* m_db;
    sqlite3_stmt* m_top;
    sqlite3_stmt* m_sub;
    sqlite3_stmt* m_func;
    sqlite3_stmt* m_detail;
};

}  // namespace

void GrowCatalogue(const std::string& path, int details) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        Fail(db, path.c_str());
    Exec(db, "PRAGMA foreign_keys = ON; BEGIN IMMEDIATE");
    {
        SqliteSink sink(db);
        GrowCatalogue(sink, details);
    }
    Exec(db, "COMMIT");
    // The last connection to close checkpoints the WAL into the file, so a plain copy of the file is
    // the whole account.
    if (sqlite3_close(db) != SQLITE_OK) Fail(db, "close");
}

CatalogueCounts CountCatalogue(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
        Fail(db, path.c_str());
    sqlite3_stmt* statement =
        Prepare(db,
                "SELECT (SELECT count(*) FROM t_TopClass), (SELECT count(*) FROM t_SubSystem), "
                "(SELECT count(*) FROM t_SubFunc), (SELECT count(*) FROM t_DetailFunc)");
    if (sqlite3_step(statement) != SQLITE_ROW) Fail(db, "count the catalogue");
    CatalogueCounts counts{sqlite3_column_int64(statement, 0), sqlite3_column_int64(statement, 1),
                           sqlite3_column_int64(statement, 2), sqlite3_column_int64(statement, 3)};
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return counts;
}

}  // namespace orva::bench

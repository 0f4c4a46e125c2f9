#include "components/CatalogWriter.h"

#include "automation/AutomationError.h"
#include "automation/TextHelpers.h"
#include "components/AccountConnections.h"
#include "components/SqliteStatement.h"
#include "components/SqliteTransaction.h"

namespace orva::components {

using namespace automation;

namespace {

constexpr const char16_t* kRuntimeHost = u"OrvaHost.Application";

struct Parent {
    const char* existsSql;
    const char16_t* kind;
    int32_t id;
};

Text RequiredName(const Dictionary& data, const char16_t* field, const char16_t* fallback = nullptr) {
    Text name = data.Value(field).ToText();
    if (Trim(name).empty() && fallback) name = data.Value(fallback).ToText();
    if (Trim(name).empty()) Raise(errors::kInvalidCall, Text(u"the node's name (") + field + u") is empty");
    return name;
}

Text OptionalText(const Dictionary& data, const char16_t* field, const char16_t* fallback) {
    Variant value = data.Value(field);
    return value.IsEmpty() ? Text(fallback) : value.ToText();
}

int64_t Visible(const Dictionary& data) {
    Variant value = data.Value(u"FVisible");
    return value.IsEmpty() || value.ToBool() ? 1 : 0;
}

void CheckIndex(int32_t index) {
    if (index < 0) Raise(errors::kInvalidCall, u"the sibling index " + Int32ToText(index) + u" is negative");
}

// The idempotent create: inside one write transaction, the node whose key matches is returned as it
// is, and only when there is none is a new one inserted.
template <typename BindFind, typename BindInsert>
int32_t CreateOnce(const AccountAddress& account, const Parent* parent, const char* findSql,
                   BindFind bindFind, const char* insertSql, BindInsert bindInsert) {
    SqliteDatabaseRef database = OpenAccount(account);
    SqliteTransaction transaction(*database);
    if (parent) {
        SqliteStatement exists(database, parent->existsSql);
        exists.Bind(1, parent->id);
        if (!exists.Step()) {
            Raise(errors::kInvalidCall, DatabaseErrorText(database->FileName(), "") + u"there is no " +
                                            parent->kind + u" with the identifier " +
                                            Int32ToText(parent->id));
        }
    }
    {
        SqliteStatement find(database, findSql);
        bindFind(find);
        if (find.Step()) return static_cast<int32_t>(find.ColumnInteger(0));
    }
    {
        SqliteStatement insert(database, insertSql);
        bindInsert(insert);
        insert.Step();
    }
    auto id = static_cast<int32_t>(database->LastInsertRowId());
    transaction.Commit();
    return id;
}

}  // namespace

CatalogWriter::CatalogWriter(AccountAddress account) : m_account(std::move(account)) {}

AccountAddress CatalogWriter::Account() const { return m_account ? *m_account : HostAccount(); }

int32_t CatalogWriter::CreateTopClass(int32_t index, const Dictionary& data) {
    CheckIndex(index);
    Text name = RequiredName(data, u"FTopClassName");
    Text key = Trim(UCase(name));
    int64_t visible = Visible(data);
    return CreateOnce(
        Account(), nullptr, "SELECT FTopClassID FROM t_TopClass WHERE FNameKey = ?1",
        [&](SqliteStatement& find) { find.Bind(1, key); },
        "INSERT INTO t_TopClass (FIndex, FTopClassName_CHS, FTopClassName_CHT, FTopClassName_EN, FNameKey, "
        "FVisible) VALUES (?1, ?2, ?2, ?2, ?3, ?4)",
        [&](SqliteStatement& insert) { insert.Bind(1, index).Bind(2, name).Bind(3, key).Bind(4, visible); });
}

int32_t CatalogWriter::CreateSubSys(int32_t topClassId, int32_t index, const Dictionary& data) {
    CheckIndex(index);
    Text name = RequiredName(data, u"FSysName");
    Text key = Trim(UCase(name));
    Text className = OptionalText(data, u"FClassName", kRuntimeHost);
    Text subId = OptionalText(data, u"FSubID", u"");
    int64_t visible = Visible(data);
    Parent parent{"SELECT 1 FROM t_TopClass WHERE FTopClassID = ?1", u"top class", topClassId};
    return CreateOnce(
        Account(), &parent, "SELECT FSubSysID FROM t_SubSystem WHERE FTopClassID = ?1 AND FNameKey = ?2",
        [&](SqliteStatement& find) { find.Bind(1, topClassId).Bind(2, key); },
        "INSERT INTO t_SubSystem (FTopClassID, FIndex, FName_CHS, FName_CHT, FName_EN, FNameKey, FClassName, "
        "FSubID, FVisible) VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?5, ?6, ?7)",
        [&](SqliteStatement& insert) {
            insert.Bind(1, topClassId).Bind(2, index).Bind(3, name).Bind(4, key).Bind(5, className);
            insert.Bind(6, subId).Bind(7, visible);
        });
}

int32_t CatalogWriter::CreateSubFunc(int32_t subSysId, int32_t index, const Dictionary& data) {
    CheckIndex(index);
    Text name = RequiredName(data, u"FFuncName");
    Text key = Trim(UCase(name));
    Text className = OptionalText(data, u"FClassName", kRuntimeHost);
    int64_t visible = Visible(data);
    Parent parent{"SELECT 1 FROM t_SubSystem WHERE FSubSysID = ?1", u"subsystem", subSysId};
    return CreateOnce(
        Account(), &parent, "SELECT FSubFuncID FROM t_SubFunc WHERE FSubSysID = ?1 AND FNameKey = ?2",
        [&](SqliteStatement& find) { find.Bind(1, subSysId).Bind(2, key); },
        "INSERT INTO t_SubFunc (FSubSysID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey, "
        "FClassName, FVisible) VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?5, ?6)",
        [&](SqliteStatement& insert) {
            insert.Bind(1, subSysId)
                .Bind(2, index)
                .Bind(3, name)
                .Bind(4, key)
                .Bind(5, className)
                .Bind(6, visible);
        });
}

int32_t CatalogWriter::CreateDetailFunc(int32_t subFuncId, int32_t index, const Dictionary& data) {
    CheckIndex(index);
    Text name = RequiredName(data, u"FFuncName", u"NewName");
    Text key = Trim(UCase(name));
    Text classParam = OptionalText(data, u"FClassParam", u"");
    Text className = OptionalText(data, u"FClassName", kRuntimeHost);
    Text helpCode = OptionalText(data, u"FHelpCode", u"");
    int64_t visible = Visible(data);
    Parent parent{"SELECT 1 FROM t_SubFunc WHERE FSubFuncID = ?1", u"sub-function", subFuncId};
    return CreateOnce(
        Account(), &parent,
        "SELECT FDetailFuncID FROM t_DetailFunc WHERE FSubFuncID = ?1 AND FNameKey = ?2 AND FClassParam = ?3",
        [&](SqliteStatement& find) { find.Bind(1, subFuncId).Bind(2, key).Bind(3, classParam); },
        "INSERT INTO t_DetailFunc (FSubFuncID, FIndex, FFuncName_CHS, FFuncName_CHT, FFuncName_EN, FNameKey, "
        "FClassName, FClassParam, FHelpCode, FVisible) VALUES (?1, ?2, ?3, ?3, ?3, ?4, ?5, ?6, ?7, ?8)",
        [&](SqliteStatement& insert) {
            insert.Bind(1, subFuncId).Bind(2, index).Bind(3, name).Bind(4, key).Bind(5, className);
            insert.Bind(6, classParam).Bind(7, helpCode).Bind(8, visible);
        });
}

Variant CatalogWriter::Invoke(TextView name, CallKind, std::span<Variant> args) {
    // The trailing Boolean is optional and unused (see the header).
    if (MemberIs(name, u"CreateTopClass")) {
        RequireArgCount(args, 2, 3);
        return CreateTopClass(args[0].ToInt32(), *AsDictionary(args[1]));
    }
    if (MemberIs(name, u"CreateSubSys")) {
        RequireArgCount(args, 3, 4);
        return CreateSubSys(args[0].ToInt32(), args[1].ToInt32(), *AsDictionary(args[2]));
    }
    if (MemberIs(name, u"CreateSubFunc")) {
        RequireArgCount(args, 3, 4);
        return CreateSubFunc(args[0].ToInt32(), args[1].ToInt32(), *AsDictionary(args[2]));
    }
    if (MemberIs(name, u"CreateDetailFunc")) {
        RequireArgCount(args, 3, 4);
        return CreateDetailFunc(args[0].ToInt32(), args[1].ToInt32(), *AsDictionary(args[2]));
    }
    RaiseNoSuchMember(*this, name);
}

}  // namespace orva::components

#pragma once
// OrvaData.CatalogWriter: creates nodes of the console catalogue in an account database.
//
// Every create call is one BEGIN IMMEDIATE transaction and returns the identifier (Long) of the node.
// A node created with one name carries it in all three language columns (…_CHS, …_CHT, …_EN); its
// name key (FNameKey) is Trim(UCase(name)), the rule by which deployments find nodes by name.
//
// Creates are idempotent. Deployments find a node by name through a reader and create it when it is
// missing; two of them running at once (two administrators, two processes) can both miss the same
// node. So inside its transaction each create first looks for a sibling with the same name key (a
// function detail: the same name key and class parameter) and, when there is one, returns that
// node's identifier and changes nothing. The write lock taken at BEGIN IMMEDIATE makes the look-up
// and the insert one step: the second of two concurrent creates waits (busy timeout), then finds the
// first one's node. The outcome is one node and the same identifier for both.
//
// Arguments, in order: [parent identifier,] index, data, flag.
//   - parent: the identifier of the parent node (not for a top class). Raises 5 when there is none.
//   - index: the sibling index stored in FIndex (GetNextIndex of the reader gives the next one);
//     0 .. 2147483647, otherwise 5.
//   - data: a Dictionary (by reference; the writer reads it and leaves it as it was):
//       top class     FTopClassName; FVisible (default true)
//       subsystem     FSysName; FClassName (default "OrvaHost.Application"), FSubID (default ""),
//                     FVisible
//       sub-function  FFuncName; FClassName (default "OrvaHost.Application"), FVisible
//       detail        FFuncName (NewName when FFuncName is absent or empty); FClassParam, FClassName
//                     (default "OrvaHost.Application"), FHelpCode (default ""), FVisible
//     The identifier fields (FTopClassID, ...) are ignored: the database assigns identifiers. A name
//     that is empty after trimming raises 5.
//   - flag: the trailing Boolean callers pass (always true). It is accepted and has no effect;
//     visibility comes from the data's FVisible. It may be left out.
//
// Errors: those of OpenAccount (5, 53, 321, see AccountConnections.h), 5 for bad arguments, 13 for
// a data value that cannot be read as text or Boolean, and SQLite's (kDatabaseError, "<file>:
// <message>", e.g. "attempt to write a readonly database"). A failed create writes nothing.

#include <optional>

#include "automation/Object.h"
#include "components/AccountLocation.h"
#include "components/Dictionary.h"

namespace orva::components {

class CatalogWriter : public automation::Object {
public:
    static constexpr const char16_t* kProgId = u"OrvaData.CatalogWriter";

    // A writer of the host's account (its properties string's ConnectString, read at every call).
    CatalogWriter() = default;
    // A writer of a given account.
    explicit CatalogWriter(AccountAddress account);

    int32_t CreateTopClass(int32_t index, const Dictionary& data);
    int32_t CreateSubSys(int32_t topClassId, int32_t index, const Dictionary& data);
    int32_t CreateSubFunc(int32_t subSysId, int32_t index, const Dictionary& data);
    int32_t CreateDetailFunc(int32_t subFuncId, int32_t index, const Dictionary& data);

    Text TypeName() const override { return u"CatalogWriter"; }
    Variant Invoke(TextView name, automation::CallKind kind, std::span<Variant> args) override;

private:
    AccountAddress Account() const;

    std::optional<AccountAddress> m_account;
};

}  // namespace orva::components

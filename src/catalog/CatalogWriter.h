#pragma once
// OrvaData.CatalogWriter: creates nodes of the console catalogue in an account database.
//
// Every create call is one transaction (on SQLite BEGIN IMMEDIATE; on a server a transaction that
// locks the parent's row, see below) and returns the identifier (Long) of the node.
// A node has a name in each language (…_CHS, …_CHT, …_EN) and a name key per language
// (FNameKey_CHS, ...): CatalogNameKey (account/CatalogContract.h) of that name, the rule by which
// deployments find nodes by name.
//
// Creates are idempotent, and say whether they created. Deployments find a node by name through a
// reader and create it when it is missing; the reader matches in one language only, and two
// deployments running at once (two administrators, two processes) can both miss the same node. So
// inside its transaction each create first looks for a sibling whose name key in any language equals
// one of the new node's keys (a function detail: and whose class parameter is exactly equal) and,
// when there is one, returns that node's identifier and changes nothing. The write lock taken at
// BEGIN IMMEDIATE makes the look-up and the insert one step: the second of two concurrent creates
// waits (busy timeout), then finds the first one's node. On a PostgreSQL server the lock is the
// parent's row (SELECT ... FOR UPDATE, which is also the check that the parent exists), and for top
// classes the advisory lock (kAccountApplicationId, 1): creates under one parent wait for each
// other, creates under different parents do not. Should the unique indexes still refuse the insert
// (a writer that bypassed these locks), the create runs once more and returns the node that writer
// made. Under one parent no two siblings share a name key in any language (function details: with
// an equal class parameter).
// Called by name, a create writes "FCreated" into the data dictionary it was given: true when it
// inserted the node, false when it found one and returned its identifier. (Callers that read nothing
// back from the dictionary lose nothing; the deployment engine reads it to report only what it made.)
//
// Arguments, in order: [parent identifier,] index, data, flag.
//   - parent: the identifier of the parent node (not for a top class). Raises 5 when there is none.
//   - index: the sibling index stored in FIndex (GetNextIndex of the reader gives the next one);
//     0 .. 2147483647, otherwise 5. When a sibling already holds it (another deployment took it
//     between GetNextIndex and this call), the node takes 1 + the largest index under the parent;
//     6 when that would pass 2147483647. Sibling indexes are unique under a parent.
//   - data: a Dictionary (by reference; the writer reads it and adds only "FCreated"):
//       top class     FTopClassName; FVisible (default true)
//       subsystem     FSysName; FClassName (default "OrvaHost.Application"), FSubID (default ""),
//                     FVisible
//       sub-function  FFuncName; FClassName (default "OrvaHost.Application"), FVisible
//       detail        FFuncName (NewName when FFuncName is absent or blank); FClassParam, FClassName
//                     (default "OrvaHost.Application"), FHelpCode (default ""), FVisible
//     The name field with a language suffix (FTopClassName_CHS, FSysName_EN, FFuncName_CHT, ...), when
//     not blank, names the node in that language; the plain name field names it in the others.
//     The identifier fields (FTopClassID, ...) are ignored: the database assigns identifiers. A name
//     that is empty after trimming, in any language, raises 5.
//   - flag: the trailing Boolean callers pass (always true). It is accepted and has no effect;
//     visibility comes from the data's FVisible. It may be left out.
//
// Errors: those of OpenAccount (5, 53, 321, see AccountConnections.h), 5 for bad arguments, 6 for
// no free sibling index, 13 for a data value that cannot be read as text or Boolean, and the
// database's (kDatabaseError, "<file or server>: <message>", e.g. "attempt to write a readonly
// database"). A failed create writes nothing.

#include <optional>

#include "account/AccountLocation.h"
#include "account/CatalogContract.h"
#include "automation/Object.h"
#include "bag/Dictionary.h"

namespace orva::components {

// Field written back into a create's data dictionary: whether the node was created (see above).
inline constexpr const char16_t* kCreatedField = u"FCreated";

class CatalogWriter : public automation::Object {
public:
    static constexpr const char16_t* kProgId = kCatalogWriterProgId;

    // A writer of the host's account (its properties string's ConnectString, read at every call).
    CatalogWriter() = default;
    // A writer of a given account.
    explicit CatalogWriter(AccountAddress account);

    // Each returns the node's identifier; *created (when given) is true when the node was inserted,
    // false when an equal sibling was found and returned.
    int32_t CreateTopClass(int32_t index, const Dictionary& data, bool* created = nullptr);
    int32_t CreateSubSys(int32_t topClassId, int32_t index, const Dictionary& data, bool* created = nullptr);
    int32_t CreateSubFunc(int32_t subSysId, int32_t index, const Dictionary& data, bool* created = nullptr);
    int32_t CreateDetailFunc(int32_t subFuncId, int32_t index, const Dictionary& data,
                             bool* created = nullptr);
    // The create of any level, as its createMember does it (parentId is ignored for top classes).
    int32_t Create(const CatalogLevel& level, int32_t parentId, int32_t index, const Dictionary& data,
                   bool* created = nullptr);

    automation::Text TypeName() const override { return u"CatalogWriter"; }
    automation::Variant Invoke(automation::TextView name, automation::CallKind kind,
                               std::span<automation::Variant> args) override;

private:
    AccountAddress Account() const;

    std::optional<AccountAddress> m_account;
};

}  // namespace orva::components

#pragma once
// Undoing a run of the deployment journal (account/DeployJournal.h): removing exactly the nodes the
// run created, deepest level first, in one transaction that also records the undo as a run of its own
// (origin "undo", pointing at the run it undoes).
//
// The undo refuses as a whole (removes nothing) when the run is itself an undo, was undone already, or
// when any of its nodes that still exists has since gained a child that is not the run's, or was
// renamed, moved, re-indexed or changed (class name, sub-id, class parameter, help code,
// visibility): one message line per reason. Nodes someone removed already are reported as gone and
// do not block. A refused undo is recorded as a failed undo run; a dry run records nothing.
//
// Concurrency: the undo takes the locks the catalogue writer takes (CatalogWriter.h). On SQLite its
// transaction is BEGIN IMMEDIATE, so no create runs while it checks and removes. On a server it locks
// the undone run's row (two undos of one run wait for each other, and the second finds it undone),
// the top level's advisory lock when the run made top classes, and every node it removes FOR UPDATE,
// in level and id order: a create under one of them waits and then finds no parent, or the undo waits
// for the create and then sees the new child and refuses.

#include <functional>

#include "account/AccountLocation.h"
#include "bag/Vector.h"

namespace orva::core {

// Hears after each node removed how many of how many are done.
using UndoProgress = std::function<void(int32_t done, int32_t total)>;

// Undoes run runId of account, appending the message lines (in the host's language) to messages
// (created when null). dryRun: everything is checked and the same lines are written, then the
// transaction is rolled back. True when the undo removed (or would remove) what it meant to, false when
// it refused. Raises what OpenAccount raises and kDatabaseError (nothing is removed then).
bool UndoJournalRun(const components::AccountAddress& account, int32_t runId, bool dryRun,
                    components::VectorRef& messages, const UndoProgress& progress = nullptr);

// The message-list patterns of an undo (also the translation keys), in the engine's family.
namespace undo_patterns {
inline constexpr const char16_t* kTopClassRemoved = u"删除主系统%1成功!";
inline constexpr const char16_t* kSubSystemRemoved = u"删除子系统%1成功!";
inline constexpr const char16_t* kSubFuncRemoved = u"删除子系统功能%1成功!";
inline constexpr const char16_t* kDetailRemoved = u"删除功能%1成功！";
inline constexpr const char16_t* kGone = u"%1已不在主控台中，无需删除！";
inline constexpr const char16_t* kNoSuchRun = u"撤销失败，原因在于运行%1不存在！";
inline constexpr const char16_t* kRunIsUndo = u"撤销失败，原因在于运行%1本身是一次撤销！";
inline constexpr const char16_t* kAlreadyUndone = u"撤销失败，原因在于运行%1已由运行%2撤销！";
inline constexpr const char16_t* kForeignChild = u"撤销失败，原因在于%1下有其他运行创建的%2！";
inline constexpr const char16_t* kRenamed = u"撤销失败，原因在于%1已被改名！";
inline constexpr const char16_t* kMoved = u"撤销失败，原因在于%1已被移动！";
inline constexpr const char16_t* kReindexed = u"撤销失败，原因在于%1的序号已被改变！";
inline constexpr const char16_t* kChanged = u"撤销失败，原因在于%1的属性已被改变！";
inline constexpr const char16_t* kUndone = u"撤销运行%1完毕！";
}  // namespace undo_patterns

}  // namespace orva::core

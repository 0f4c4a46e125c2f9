#pragma once
// A deployment recorded in the deployment journal (account/DeployJournal.h): the engine's run
// (DeploymentEngine.h) inside a JournalRun of the host's account, so that every node it creates is
// journaled with the node, and the run's end, result and message list are recorded after it.
// The host's deployment call, the command line's deploy and the publish dialog come through here.

#include "account/DeployJournal.h"
#include "core/DeploymentEngine.h"

namespace orva::core {

// Deploys packet as DeployPacketToCatalogue does, as one journal run of info (language: the host's
// when info leaves it empty). The account is the host's (its properties string's ConnectString); a
// host without one deploys unjournaled (its own registered writer may need none). When the run's row
// cannot be written (a read-only account, an account that cannot be opened) nothing is deployed:
// the error becomes the message list's "功能发布失败(%1)!" line and the result is false. A failure
// to record the run's end leaves the run unfinished in the journal (as a kill would) and does not
// change the result. Never raises.
bool DeployJournaled(components::JournalRunInfo info, const automation::Variant& packet,
                     components::VectorRef& messages, const DeployProgress& progress = nullptr);

// The message list's lines as text (a line that is not text is kept as its display form).
std::vector<automation::Text> MessageLines(const components::Vector& messages);

}  // namespace orva::core

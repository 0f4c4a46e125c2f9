#pragma once
// Where a run recorded in the deployment journal came from: the command
// line's deploy, a host's DeployToLumoMain, the publish dialog, an undo, or init --demo. Kept apart
// so that the public deployment call can name it without the journal's own header.

namespace orva::components {

enum class JournalOrigin { Deploy, Host, Publish, Undo, Init };

}  // namespace orva::components

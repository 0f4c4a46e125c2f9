#pragma once
// The floor the deployment engine on PostgreSQL is measured against: the same deployment done with
// the least server work that the engine's rules and the server's locking need, by a minimal program
// straight on libpq.
//
// Per entry, every node is looked up by its parent and name key outside any transaction (no caching
// between entries). A missing node is created in its own READ COMMITTED transaction that takes the
// lock the catalogue writer takes: the parent row FOR UPDATE, or for a top class the advisory lock
// (1330796097, 1); then looks the node up again by its three name keys (another deployer may have
// created it meanwhile), reads the next sibling index, inserts with RETURNING and commits. Inserts
// write the same columns as the catalogue writer. Statements are prepared once per connection.
// Nothing else: no messages, no objects.

#include <memory>
#include <string>
#include <vector>

#include "DeploymentFloor.h"
#include "DeploymentWorkload.h"

namespace orva::bench {

// A connection to one server account with the floor's statements prepared. Time the constructor
// with the deployment: the engine's first calls connect and prepare too. Every failure aborts the
// program (a benchmark, not a product path).
class PgFloorDeployer {
public:
    // Connects to the account database at the libpq URI uri.
    explicit PgFloorDeployer(const std::string& uri);
    ~PgFloorDeployer();
    PgFloorDeployer(const PgFloorDeployer&) = delete;
    PgFloorDeployer& operator=(const PgFloorDeployer&) = delete;

    // Deploys entries in order. Entries whose detail another deployer created first count as present.
    FloorResult Deploy(const std::vector<WorkloadEntry>& entries);

private:
    class Statements;
    std::unique_ptr<Statements> m_statements;
};

}  // namespace orva::bench

#pragma once
// The floor the deployment engine is measured against: the same deployment done with the least SQL
// work the engine's rules need, by a minimal program straight on SQLite.
//
// Per entry, every node is found by its parent and name key through the unique indexes (no caching
// between entries: each entry sees the catalogue as the ones before it left it). A missing top
// class, subsystem or sub-function gets its next sibling index (the largest FIndex under its parent,
// read from the order index) and is inserted in its own BEGIN IMMEDIATE transaction; the function
// detail is looked up by (sub-function, name key, class parameter) and, when missing, gets its index
// and is inserted in its own transaction. Inserts write the same columns as the catalogue writer.
// The connection is set up as the account connections are: WAL, synchronous=NORMAL, foreign keys on,
// the same busy timeout. Statements are prepared once and reused. Nothing else: no messages, no
// objects, no re-check inside the transaction.

#include <memory>
#include <string>
#include <vector>

#include "DeploymentWorkload.h"

struct sqlite3;

namespace orva::bench {

struct FloorResult {
    int detailsCreated = 0;
    int detailsPresent = 0;
    int nodesCreated = 0;  // top classes, subsystems and sub-functions
};

// A connection to one account with the floor's statements prepared. Time the constructor with the
// deployment (the engine's first calls open and prepare too) but not the destructor: closing the last
// connection checkpoints the WAL, which the engine's pooled connections leave for later as well.
// Every SQLite failure aborts the program (a benchmark, not a product path).
class FloorDeployer {
public:
    // Opens the account file path, which must exist.
    explicit FloorDeployer(const std::string& path);
    ~FloorDeployer();
    FloorDeployer(const FloorDeployer&) = delete;
    FloorDeployer& operator=(const FloorDeployer&) = delete;

    FloorResult Deploy(const std::vector<WorkloadEntry>& entries);

private:
    class Statements;
    sqlite3* m_db = nullptr;
    std::unique_ptr<Statements> m_statements;
};

}  // namespace orva::bench

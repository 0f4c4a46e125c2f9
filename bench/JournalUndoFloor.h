#pragma once
// The floor the undo is measured against: the statements an undo of a journaled run issues, by a
// minimal program straight on SQLite. In one BEGIN IMMEDIATE transaction: the run's origin, whether it
// was undone, the undo's own run row, the run's journal rows; per node its row by id and its children
// by parent; then every node deleted, deepest level first; the run finished and one message line per
// node. No checks are evaluated, no texts formatted or translated. Every SQLite failure aborts the
// program (a benchmark, not a product path).

#include <string>

struct sqlite3;

namespace orva::bench {

// A connection to one account, set up as the account connections are. Time the constructor with the
// undo (the engine opens its connection too) but not the destructor, whose close checkpoints the WAL
// (the engine's pooled connection leaves that for later as well).
class FloorUndoer {
public:
    explicit FloorUndoer(const std::string& path);
    ~FloorUndoer();
    FloorUndoer(const FloorUndoer&) = delete;
    FloorUndoer& operator=(const FloorUndoer&) = delete;

    // Undoes run runId; returns the number of nodes deleted.
    int Undo(int runId);

private:
    sqlite3* m_db = nullptr;
};

}  // namespace orva::bench

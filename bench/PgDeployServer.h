#pragma once
// The PostgreSQL side of the deployment benchmark's fixture, straight on libpq: a connection that
// aborts the program on any failure (a benchmark, not a product path), scratch databases copied from
// template databases, the grown catalogue, and the node counts of an account on the server.

#include <libpq-fe.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "DeploymentWorkload.h"

namespace orva::bench {

// The text parameters of one statement (libpq's text format: integers as their decimal digits).
class PgParams {
public:
    PgParams& Add(int64_t value) {
        m_values.push_back(std::to_string(value));
        return *this;
    }
    PgParams& Add(const std::string& text) {
        m_values.push_back(text);
        return *this;
    }
    int Count() const { return static_cast<int>(m_values.size()); }
    // Pointers into this object: valid while it lives unchanged.
    std::vector<const char*> Pointers() const;

private:
    std::vector<std::string> m_values;
};

// One connection to a server database, opened from a libpq URI.
class PgConnection {
public:
    explicit PgConnection(const std::string& uri);
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // Runs SQL text (several statements allowed, no parameters) and drops any rows.
    void Exec(const std::string& sql);
    // Prepares sql ($1, $2, ... parameters) under name for Run and QueryInteger.
    void Prepare(const std::string& name, const std::string& sql);
    // Runs the prepared statement name; the first column of its first row as an integer, or nothing
    // when it gave no row (or a NULL).
    std::optional<int64_t> QueryInteger(const std::string& name, const PgParams& params = {});
    // The first column of the first row of SQL text with parameters; aborts when it gives no row.
    int64_t QueryValue(const std::string& sql, const PgParams& params = {});
    // Runs the COPY ... FROM STDIN statement copy with data in COPY's text format.
    void CopyIn(const std::string& copy, const std::string& data);

private:
    PGconn* m_connection = nullptr;
};

// uri with its database (the URI's path) replaced by database. Query options stay.
std::string WithDatabase(const std::string& uri, const std::string& database);

// Databases on one server that live as long as this object: each is created from a template (or
// empty) and dropped again, forcibly, at the end. Names carry the process id, so two benchmarks on
// one server do not collide.
class ScratchDatabases {
public:
    explicit ScratchDatabases(std::string adminUri);
    ~ScratchDatabases();
    ScratchDatabases(const ScratchDatabases&) = delete;
    ScratchDatabases& operator=(const ScratchDatabases&) = delete;

    // Creates the database "<prefix>_<name>", a copy of the scratch database templateName when it
    // is not empty (which must have no connections then), and gives its URI.
    std::string Create(const std::string& name, const std::string& templateName = {});
    // Drops "<prefix>_<name>", ending any connection to it.
    void Drop(const std::string& name);

private:
    std::string Full(const std::string& name) const;

    std::string m_adminUri;
    std::string m_prefix;
    PgConnection m_admin;
    std::vector<std::string> m_created;
};

// Adds the grown part of DeploymentWorkload.h with details function details to the account at uri,
// in one transaction, the same names and keys as GrowCatalogue gives a file, then refreshes the
// planner's statistics (as autovacuum would on a server in use).
void GrowServerCatalogue(const std::string& uri, int details);

// The node counts of the account at uri.
CatalogueCounts CountServerCatalogue(const std::string& uri);

}  // namespace orva::bench

#include "storage/Statement.h"

namespace orva::components {

Statement::Statement(DatabaseRef database, std::string_view sql)
    : m_database(std::move(database)), m_sql(sql), m_statement(m_database->TakeStatement(m_sql)) {}

Statement::~Statement() { m_database->GiveStatement(m_sql, m_statement); }

}  // namespace orva::components

#pragma once

namespace db {

class Connection;
class Database;

// All or nothing: every write made while the guard lives is kept only if commit() runs;
// otherwise the guard's end takes them all back. Guards nest.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    Connection& m_connection;
    bool m_done = false;
};

} // namespace db

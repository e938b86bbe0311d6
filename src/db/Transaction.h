#pragma once

#include <memory>

namespace db {

class Connection;
class Database;

// All or nothing: every write made while the guard lives is kept only if commit() runs;
// otherwise the guard's end takes them all back, and every record set drops the rows that
// went with them. Guards nest.
//
// Outside a transaction each Update and each statement is its own commit and waits for the
// disk (about a millisecond): an action that writes many rows, or several rows that belong
// together, holds one guard for the whole of it.
//
// The guard keeps its connection open until it ends, even when the access object that gave
// it closes its database first.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    explicit Transaction(Database& database);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();

private:
    std::shared_ptr<Connection> m_connection;
    bool m_done = false;
};

} // namespace db

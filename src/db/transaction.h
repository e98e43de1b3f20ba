#pragma once

namespace db {

class Connection;

// One write transaction on a connection: begun by the constructor (waiting for another
// writer up to the connection's busy timeout), made durable by commit(), undone when the
// object goes away uncommitted. Datasets on the connection write inside it.
class Transaction {
public:
    explicit Transaction(Connection& connection);
    ~Transaction();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    void commit();
    // Undoes every write since the constructor; nothing after commit().
    void rollback() noexcept;

private:
    Connection& connection_;
    bool open_ = true;
};

} // namespace db

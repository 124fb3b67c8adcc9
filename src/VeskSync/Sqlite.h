#pragma once

#include <QString>
#include <QVariant>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace vesk::sqlite {

// One SQLite connection, closed with the object. Failures come back as false or an
// absent value, with the connection's message in `lastError()`.
class Connection {
public:
    Connection() = default;
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    Connection(Connection&& other) noexcept;
    Connection& operator=(Connection&& other) noexcept;

    // Opens without following a symbolic link at `path`; `create` makes a missing file.
    bool open(const QString& path, bool create);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    // Inside BEGIN ... COMMIT. SQLite ends a transaction itself on some failures (a full
    // disk among them); ROLLBACK then fails and would replace the failure's message.
    bool inTransaction() const;
    sqlite3* handle() const { return m_db; }

    // Runs one or more statements without results.
    bool exec(const char* sql);
    // The first column of the first row, or none (no row, or a failure).
    std::optional<qint64> integer(const char* sql);
    qint64 lastInsertRowId() const;
    // Rows the last INSERT, UPDATE or DELETE of this connection touched.
    int changes() const;
    // When false, closing never checkpoints the write-ahead log into the file, so a file
    // we only looked at is left exactly as it was.
    void setCheckpointOnClose(bool checkpoint);

    // The extended result code and message of the last failure.
    int lastCode() const { return m_lastCode; }
    const QString& lastError() const { return m_lastError; }
    // True for the codes SQLite gives a file that is not a database or is damaged.
    bool lastFailureIsDamage() const;
    bool noteFailure(int code);

private:
    sqlite3* m_db = nullptr;
    int m_lastCode = 0;
    QString m_lastError;
};

// A prepared statement of one connection. Values are bound by position, from 1.
class Statement {
public:
    Statement(Connection& connection, const char* sql);
    ~Statement();
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;

    bool isValid() const { return m_stmt != nullptr; }
    // Null, integers (Booleans too), doubles and text; anything else as its text.
    void bind(int index, const QVariant& value);
    void bindText(int index, const QString& text);
    void bindInteger(int index, qint64 value);
    void bindReal(int index, double value);
    void bindNull(int index);

    // Steps once: true with a row to read, false when done or failed (see `failed()`).
    bool step();
    // Runs a statement that returns no rows; false on failure.
    bool run();
    void reset();
    bool failed() const { return m_failed; }

    bool isNull(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    QString text(int column) const;
    std::optional<QString> optionalText(int column) const;
    std::optional<double> optionalReal(int column) const;
    std::optional<qint64> optionalInteger(int column) const;
    // The column as SQLite stores it: null, qint64, double or text.
    QVariant value(int column) const;

private:
    Connection& m_connection;
    sqlite3_stmt* m_stmt = nullptr;
    bool m_failed = false;
};

} // namespace vesk::sqlite

#include "VeskSync/Sqlite.h"

#include <QFile>

#include <sqlite3.h>

namespace vesk::sqlite {

Connection::~Connection() {
    close();
}

Connection::Connection(Connection&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_lastCode(other.m_lastCode),
      m_lastError(std::move(other.m_lastError)) {}

Connection& Connection::operator=(Connection&& other) noexcept {
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
        m_lastCode = other.m_lastCode;
        m_lastError = std::move(other.m_lastError);
    }
    return *this;
}

bool Connection::open(const QString& path, bool create) {
    close();
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOFOLLOW | SQLITE_OPEN_NOMUTEX;
    if (create) flags |= SQLITE_OPEN_CREATE;
    const int code = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr);
    if (code != SQLITE_OK) {
        m_lastCode = code;
        m_lastError =
            m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        return false;
    }
    sqlite3_extended_result_codes(m_db, 1);
    return true;
}

void Connection::close() {
    if (m_db) sqlite3_close_v2(m_db);
    m_db = nullptr;
}

bool Connection::noteFailure(int code) {
    m_lastCode = code;
    m_lastError = m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString::fromUtf8(sqlite3_errstr(code));
    return false;
}

bool Connection::exec(const char* sql) {
    if (!m_db) return noteFailure(SQLITE_MISUSE);
    const int code = sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr);
    return code == SQLITE_OK || noteFailure(code);
}

std::optional<qint64> Connection::integer(const char* sql) {
    Statement statement(*this, sql);
    if (!statement.isValid() || !statement.step()) return std::nullopt;
    return statement.integer(0);
}

bool Connection::inTransaction() const {
    return m_db && sqlite3_get_autocommit(m_db) == 0;
}

qint64 Connection::lastInsertRowId() const {
    return m_db ? sqlite3_last_insert_rowid(m_db) : 0;
}

int Connection::changes() const {
    return m_db ? sqlite3_changes(m_db) : 0;
}

void Connection::setCheckpointOnClose(bool checkpoint) {
    if (m_db) sqlite3_db_config(m_db, SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, checkpoint ? 0 : 1, nullptr);
}

bool Connection::lastFailureIsDamage() const {
    const int primary = m_lastCode & 0xff;
    return primary == SQLITE_NOTADB || primary == SQLITE_CORRUPT;
}

Statement::Statement(Connection& connection, const char* sql) : m_connection(connection) {
    if (!connection.handle()) {
        connection.noteFailure(SQLITE_MISUSE);
        m_failed = true;
        return;
    }
    const int code = sqlite3_prepare_v2(connection.handle(), sql, -1, &m_stmt, nullptr);
    if (code != SQLITE_OK) {
        connection.noteFailure(code);
        m_failed = true;
        m_stmt = nullptr;
    }
}

Statement::~Statement() {
    if (m_stmt) sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant& value) {
    if (value.isNull()) return bindNull(index);
    switch (value.typeId()) {
    case QMetaType::Bool:
    case QMetaType::Int:
    case QMetaType::LongLong:
        return bindInteger(index, value.toLongLong());
    case QMetaType::Double:
        return bindReal(index, value.toDouble());
    default:
        return bindText(index, value.toString());
    }
}

void Statement::bindText(int index, const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void Statement::bindInteger(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void Statement::bindReal(int index, double value) {
    sqlite3_bind_double(m_stmt, index, value);
}

void Statement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}

bool Statement::step() {
    if (!m_stmt) return false;
    const int code = sqlite3_step(m_stmt);
    if (code == SQLITE_ROW) return true;
    if (code != SQLITE_DONE) {
        m_failed = true;
        m_connection.noteFailure(code);
    }
    return false;
}

bool Statement::run() {
    step();
    return !m_failed;
}

void Statement::reset() {
    if (!m_stmt) return;
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
    m_failed = false;
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::integer(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    return data ? QString::fromUtf8(data, sqlite3_column_bytes(m_stmt, column)) : QString();
}

QVariant Statement::value(int column) const {
    switch (sqlite3_column_type(m_stmt, column)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(integer(column));
    case SQLITE_FLOAT:
        return real(column);
    case SQLITE_NULL:
        return {};
    default:
        return text(column);
    }
}

std::optional<QString> Statement::optionalText(int column) const {
    if (isNull(column)) return std::nullopt;
    return text(column);
}

std::optional<double> Statement::optionalReal(int column) const {
    if (isNull(column)) return std::nullopt;
    return real(column);
}

std::optional<qint64> Statement::optionalInteger(int column) const {
    if (isNull(column)) return std::nullopt;
    return integer(column);
}

} // namespace vesk::sqlite

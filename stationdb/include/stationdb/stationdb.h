#pragma once
// libstationdb: the station database through ODBC (unixODBC on Linux,
// odbc32 on Windows).
//
// Every driver call goes through one checked path; a failure becomes a
// DatabaseError that carries the SQLSTATE and the driver's own message, read
// from the handle before any other call on it. Texts cross ODBC as UTF-8
// (SQL_C_CHAR) on Linux and as UTF-16 (SQL_C_WCHAR) on Windows; the callers of this layer hand in
// and get back GBK, and the conversion at this boundary is strict: a text with no GBK form is a
// DatabaseError with SQLSTATE 22018 that names the row and column.
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The library is shared by every module of the process (the connection
// handles are process-wide), so its classes are exported. On Windows, where
// each module carries its own static compiler runtime and an exception
// cannot cross from one DLL into another, the classes are linked into each
// module that uses them and stationdb.dll holds the handles (its .def file
// exports them).
#if defined(_WIN32)
#define STATIONDB_API
#else
#define STATIONDB_API __attribute__((visibility("default")))
#endif

namespace stationdb {

// What SQL_DBMS_NAME of the connected server says.
enum class Dialect { kSqlServer, kPostgreSql, kSqlite, kOther };

STATIONDB_API const char *DialectName(Dialect dialect);

class STATIONDB_API DatabaseError : public std::runtime_error {
  public:
    // `message` is UTF-8; what() gives "[SQLSTATE] message".
    DatabaseError(std::string sqlState, std::string message, int nativeError = 0);
    ~DatabaseError() override;
    const std::string &SqlState() const { return sqlState_; }
    // The driver's message (UTF-8), without the SQLSTATE prefix.
    const std::string &Message() const { return message_; }
    int NativeError() const { return nativeError_; }

  private:
    std::string sqlState_;
    std::string message_;
    int nativeError_;
};

class Statement;

class STATIONDB_API Connection {
  public:
    Connection();
    ~Connection();  // closes an open connection; never throws
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    // Connects with an ODBC connect string ("DSN=...;UID=...;PWD=...;"),
    // never prompting. On PostgreSQL it then sets and checks client_encoding
    // UTF8 and refuses a SQL_ASCII database. Throws DatabaseError; the
    // connection is then closed.
    void Open(const std::string &connectString);
    bool IsOpen() const;
    // True when the driver reports the open connection lost (the server
    // ended it, the network failed): it must be closed and opened again.
    // False for a closed connection or a driver that cannot tell.
    bool IsDead() const noexcept;
    // Closes the connection if open (rolls back an open transaction); never throws.
    void Close() noexcept;

    Dialect GetDialect() const { return dialect_; }

    // Connection-level time-outs in seconds (SQL_ATTR_LOGIN_TIMEOUT before
    // Open, SQL_ATTR_CONNECTION_TIMEOUT / statement query time-out after).
    // A driver that does not support one ignores it (no error).
    void SetLoginTimeout(unsigned seconds);
    void SetQueryTimeout(unsigned seconds);

    // Runs a statement with no result rows; `params` are GBK texts bound to
    // the `?` in order. Returns the rows affected (0 when the driver says
    // SQL_NO_DATA). Throws DatabaseError.
    long long Execute(std::string_view sql, const std::vector<std::string> &params = {});

    // Auto-commit is on except inside a Transaction.
    void SetAutoCommit(bool on);
    void Commit();
    void Rollback();

    // The ODBC connection handle (SQLHDBC), for the statements of this layer.
    void *NativeHandle() const { return dbc_; }

  private:
    void CheckEncoding();
    void *env_ = nullptr;
    void *dbc_ = nullptr;
    Dialect dialect_ = Dialect::kOther;
    bool open_ = false;
    unsigned loginTimeout_ = 0;
    unsigned queryTimeout_ = 0;
    int transactionDepth_ = 0;  // open Transaction objects; the outermost one ends it
    unsigned generation_ = 0;   // counts Close(): statements of an earlier session are gone
    friend class Statement;
    friend class Transaction;
};

// One prepared statement and its result set, read forward only.
class STATIONDB_API Statement {
  public:
    // Prepares `sql` (ASCII or UTF-8, with `?` placeholders). Throws DatabaseError.
    Statement(Connection &connection, std::string_view sql);
    // Does not prepare: every Execute sends `sql` with its bound parameters
    // at once (SQLExecDirect), the cheapest way to run a statement once.
    struct Direct {};
    Statement(Connection &connection, std::string_view sql, Direct);
    ~Statement();  // frees the handle; never throws
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    // Binds parameter `index` (1-based). A text is GBK; it is converted to
    // UTF-8 here (EncodingError -> DatabaseError 22018) and bound with column
    // size and buffer length equal to its UTF-8 byte length (at least 1).
    // The bound values are kept by the statement until it is destroyed or
    // rebound. Throws DatabaseError.
    void BindText(int index, std::string_view gbk);
    void BindInt(int index, long long value);
    // A text that is UTF-8 already (files of the project, the host's UTF-8
    // input): bound as it is, sized in bytes like BindText.
    void BindUtf8(int index, std::string_view utf8);
    // A NULL for a text or an integer column.
    void BindNullText(int index);
    void BindNullInt(int index);

    // Executes (again, after closing any open cursor). Throws DatabaseError.
    void Execute();
    // Advances to the next row; false after the last. Throws DatabaseError.
    bool Fetch();
    // Rows affected by the last Execute (0 for SQL_NO_DATA).
    long long RowsAffected() const;

    // Result columns, numbered from 1.
    int ColumnCount() const;
    // The number of the column named `name`, ignoring ASCII case. Throws
    // DatabaseError (SQLSTATE 42S22) when the result has no such column.
    int Column(std::string_view name) const;

    // The current row's value of column `column`, fetched whole (SQLGetData
    // until done) and converted UTF-8 -> GBK strictly. NULL gives "" (and
    // `isNull` true where asked). A value with no GBK form throws DatabaseError
    // 22018 naming the 1-based row number and the column.
    std::string Text(int column, bool *isNull = nullptr);
    std::string Text(std::string_view columnName, bool *isNull = nullptr) {
        return Text(Column(columnName), isNull);
    }
    // The same value, unconverted UTF-8.
    std::string Utf8(int column, bool *isNull = nullptr);
    // The same without a copy: valid until the next Fetch, Execute or
    // CloseCursor. For reading many rows.
    std::string_view View(int column, bool *isNull = nullptr);

    // The 1-based number of the current row (0 before the first Fetch).
    long long RowNumber() const { return row_; }

    // Closes the cursor so the statement can run again; never throws.
    void CloseCursor() noexcept;

  private:
    void Open(std::string_view sql);
    void DescribeColumns();
    struct BoundParam;
    void Bind(int index, std::unique_ptr<BoundParam> param);
    void CheckColumn(int column) const;
    bool Alive() const;
    void *LiveHandle() const;  // the handle; throws DatabaseError 08003 when !Alive()
    Connection &connection_;
    void *stmt_ = nullptr;
    std::string directSql_;  // the text of a statement run without preparing
    bool direct_ = false;
    unsigned generation_ = 0;  // the connection's session this handle belongs to
    long long row_ = 0;
    long long rowsAffected_ = 0;
    bool cursorOpen_ = false;
    std::vector<std::string> columnNames_;
    std::vector<std::unique_ptr<BoundParam>> params_;
    // The current row's values read so far (columns 1..valuesRead_), in
    // column order because some drivers allow SQLGetData only in that order.
    std::vector<std::string> values_;
    std::vector<bool> nulls_;
    int valuesRead_ = 0;
};

// Turns auto-commit off for its life; rolls back unless Commit() was called.
class STATIONDB_API Transaction {
  public:
    explicit Transaction(Connection &connection);
    ~Transaction();  // rolls back if not committed; never throws
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void Commit();

  private:
    Connection &connection_;
    bool done_ = false;
};

// The connect string of a data source as the station's programs build it:
// "DSN=<dsn>;UID=<user>;PWD=<password>;".
STATIONDB_API std::string ConnectStringFor(const std::string &dsn, const std::string &user,
                                           const std::string &password);

// Runs a script of statements separated by ";" at the end of a line, with
// "--" comment lines and "GO" batch lines (SQL Server scripts) skipped. Throws
// DatabaseError naming the statement that failed.
STATIONDB_API void ExecuteScript(Connection &connection, std::string_view script);

// Appends the rows of a tab-separated UTF-8 file to `table`, in one
// transaction. The first line names the columns; a name ending in ":int" is
// bound as an integer, every other column as text (an empty field is an
// empty text). Returns the number of rows; throws DatabaseError (nothing is
// inserted then) for a malformed file or a failing insert, naming the line.
STATIONDB_API long long ImportTsv(Connection &connection, const std::string &table,
                                  const std::string &tsvPath);

// Data sources. A station's odbc.ini is written by this layer; the driver
// names are those of the shipped odbcinst.ini ("SQLite3",
// "PostgreSQL ANSI", "FreeTDS").
//
// Adds or replaces [name] in the odbc.ini at `odbcIniPath` for a SQLite
// database file, with Timeout=2000, NoCreat=1, JournalMode=WAL. The file is
// replaced atomically; every other section is kept. False on failure.
STATIONDB_API bool WriteSqliteDataSource(const std::string &odbcIniPath, const std::string &name,
                                         const std::string &databaseFile);
// Adds or replaces [name] with the given key/value pairs (Driver first).
STATIONDB_API bool WriteDataSource(
    const std::string &odbcIniPath, const std::string &name,
    const std::vector<std::pair<std::string, std::string>> &settings);

}  // namespace stationdb

// The process-wide connection handles: a 32-bit field of the editor's init
// record holds a handle, not a pointer. Handles count up from 1 and are never
// reused; a host unregisters a handle before destroying its connection.
extern "C" {
STATIONDB_API unsigned stationdb_register(void *connection);
STATIONDB_API void *stationdb_lookup(unsigned handle);
STATIONDB_API void stationdb_unregister(unsigned handle);
}

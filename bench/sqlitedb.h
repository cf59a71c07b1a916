#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

// The benchmarks' one way to SQLite's C interface, with nothing between them
// and the engine: the floors, the generator's bulk writes, the checks of a
// register. Any failure ends the benchmark.
class SqliteDb
{
public:
    enum class Mode {
        Program, // as the program's database layer opens its own: same waits, same cache
        Bulk,    // the generator's: nobody else has the file, a failed run is thrown away
        ReadOnly
    };
    // The engine's page cache in this process, now and at its highest, in kB.
    static void pageCacheKb(qint64 *now, qint64 *highest);

    explicit SqliteDb(const QString &fileName, Mode mode = Mode::Program);
    ~SqliteDb();
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    // A statement prepared once and run many times.
    class Statement
    {
    public:
        Statement(SqliteDb &db, const char *sql, const QVariantList &params = {});
        ~Statement();
        Statement(const Statement &) = delete;
        Statement &operator=(const Statement &) = delete;

        // The screens store an empty box as no value at all.
        void text(int column, const char *value);
        void integer(int column, qint64 value);
        bool next(); // true while there is a row
        void run();  // a statement that returns no rows, ready to run again
        QByteArray textAt(int column) const;

    private:
        friend class SqliteDb;
        SqliteDb &m_db;
        const char *m_sql;
        sqlite3_stmt *m_stmt = nullptr;
        QList<QByteArray> m_texts;
    };

    // The first column of the first row, or -1 when there is none.
    qint64 integer(const char *sql, const QVariantList &params = {});
    QString text(const char *sql, const QVariantList &params = {});
    QStringList texts(const char *sql, const QVariantList &params = {}); // of every row
    // Steps through every row, taking each column as text as a grid would.
    int rows(const char *sql, const QVariantList &params = {});
    void exec(const char *sql, const QVariantList &params = {});
    qint64 lastInsertId() const;

private:
    [[noreturn]] void die(const char *what) const;

    sqlite3 *m_db = nullptr;
};

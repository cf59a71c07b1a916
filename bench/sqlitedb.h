#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

struct sqlite3;
struct sqlite3_stmt;

// The benchmarks' one way to SQLite's C interface, with nothing between them
// and the engine: the floor of each measured step, the generator's bulk
// writes and the checks of a register. Any failure ends the benchmark.
class SqliteDb
{
public:
    enum class Mode {
        Program, // as the program's database layer opens its own: same waits, same cache
        Bulk,    // the generator's: nobody else has the file, a failed run is thrown away
        ReadOnly
    };
    // The settings of the program's connections, which the benchmark checks
    // against a connection the program opened.
    static const char *const Pragmas[];
    static QString version();
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
        // Steps once: true while there is a row.
        bool next();
        // Runs a statement that returns no rows, ready to run again.
        void run();
        qint64 integerAt(int column) const;
        QByteArray textAt(int column) const;
        int columns() const;

    private:
        SqliteDb &m_db;
        const char *m_sql;
        sqlite3_stmt *m_stmt = nullptr;
        QList<QByteArray> m_texts;
    };

    // The first column of the first row, or -1 when there is none.
    qint64 integer(const char *sql, const QVariantList &params = {});
    QString text(const char *sql, const QVariantList &params = {});
    // The first column of every row.
    QStringList texts(const char *sql, const QVariantList &params = {});
    // Steps through every row, taking each column as text as a grid would;
    // returns how many rows there were.
    int rows(const char *sql, const QVariantList &params = {});
    // A statement that returns no rows, in its own transaction unless one is open.
    void exec(const char *sql, const QVariantList &params = {});
    qint64 lastInsertId() const;
    // The setting as the engine reports it (PRAGMA name).
    QString setting(const char *name);

private:
    [[noreturn]] void die(const char *what) const;

    sqlite3 *m_db = nullptr;
};

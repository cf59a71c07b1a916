#pragma once

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QVariantList>

#include <sqlite3.h>

// The persons' columns: the bound boxes show every one of the current row.
#define PERSON_COLUMNS                                                                          \
    "CNP_C, Serie_buletin, Numar_buletin, Nume, Initiala, Prenume, Porecla1, Porecla2, "       \
    "Data_nasterii, Functia, Profesia, sex, Judet, Localitate, sector, Strada, Numar, Bloc, "  \
    "Scara, Apartament"

// The benchmarks' one way to SQLite's C interface, with nothing between them and the engine:
// the floors, the generator's bulk writes, the checks of a register. Any failure ends the
// benchmark.
class SqliteDb
{
public:
    enum class Mode {
        Program, // as the program's database layer opens its own: same waits, same cache
        Bulk,    // the generator's: nobody else has the file, a failed run is thrown away
        ReadOnly
    };
    explicit SqliteDb(const QString &fileName, Mode mode = Mode::Program);
    ~SqliteDb() { sqlite3_close(m_db); }
    SqliteDb(const SqliteDb &) = delete;
    SqliteDb &operator=(const SqliteDb &) = delete;

    // A statement prepared once and run many times.
    class Statement
    {
    public:
        Statement(SqliteDb &db, const char *sql, const QVariantList &params = {});
        ~Statement() { sqlite3_finalize(m_stmt); }
        Statement(const Statement &) = delete;
        Statement &operator=(const Statement &) = delete;

        // The screens store an empty box as no value at all.
        void text(int column, const char *value)
        {
            value && *value ? sqlite3_bind_text(m_stmt, column, value, -1, SQLITE_STATIC)
                            : sqlite3_bind_null(m_stmt, column);
        }
        void integer(int column, qint64 value) { sqlite3_bind_int64(m_stmt, column, value); }
        bool next(); // true while there is a row
        void run();  // a statement that returns no rows, ready to run again
        QByteArray textAt(int column) const
        {
            return QByteArray(reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column)));
        }

    private:
        friend class SqliteDb;
        SqliteDb &m_db;
        const char *m_sql;
        sqlite3_stmt *m_stmt = nullptr;
        QList<QByteArray> m_texts;
    };

    // The first column of the first row, or -1 when there is none.
    qint64 integer(const char *sql, const QVariantList &params = {});
    QString text(const char *sql, const QVariantList &params = {})
    {
        return texts(sql, params).value(0);
    }
    QStringList texts(const char *sql, const QVariantList &params = {}); // of every row
    // Steps through every row, taking each column as text as a grid would.
    int rows(const char *sql, const QVariantList &params = {});
    void exec(const char *sql, const QVariantList &params = {}); // several, without params
    qint64 lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

private:
    [[noreturn]] void die(const char *what) const;

    sqlite3 *m_db = nullptr;
};

#include "sqlitedb.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

SqliteDb::SqliteDb(const QString &fileName, Mode mode)
{
    const QByteArray path = QFile::encodeName(fileName);
    const int flags = mode == Mode::ReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (sqlite3_open_v2(path.constData(), &m_db, flags, nullptr) != SQLITE_OK)
        die(path.constData());
    sqlite3_busy_timeout(m_db, 5000);
    if (mode == Mode::Program)
        exec("PRAGMA foreign_keys = ON; PRAGMA journal_mode = WAL; PRAGMA synchronous = FULL; "
             "PRAGMA cache_size = -8192");
    else if (mode == Mode::Bulk)
        exec("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF; "
             "PRAGMA locking_mode = EXCLUSIVE; PRAGMA cache_size = -524288");
}

void SqliteDb::die(const char *what) const
{
    std::fprintf(stderr, "sqlite: %s: %s\n", what, m_db ? sqlite3_errmsg(m_db) : "no connection");
    std::exit(1);
}

SqliteDb::Statement::Statement(SqliteDb &db, const char *sql, const QVariantList &params)
    : m_db(db)
    , m_sql(sql)
{
    if (sqlite3_prepare_v3(db.m_db, sql, -1, SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr)
        != SQLITE_OK)
        db.die(sql);
    int slot = 1;
    for (const QVariant &p : params) {
        if (p.isNull()) {
            sqlite3_bind_null(m_stmt, slot++);
        } else if (p.typeId() == QMetaType::QString) {
            m_texts.append(p.toString().toUtf8());
            sqlite3_bind_text(m_stmt, slot++, m_texts.last().constData(),
                              int(m_texts.last().size()), SQLITE_STATIC);
        } else {
            sqlite3_bind_int64(m_stmt, slot++, p.toLongLong());
        }
    }
}

bool SqliteDb::Statement::next()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_db.die(m_sql);
    return rc == SQLITE_ROW;
}

void SqliteDb::Statement::run()
{
    while (next()) {
    }
    sqlite3_reset(m_stmt);
}

qint64 SqliteDb::integer(const char *sql, const QVariantList &params)
{
    Statement s(*this, sql, params);
    return s.next() ? sqlite3_column_int64(s.m_stmt, 0) : -1;
}

QStringList SqliteDb::texts(const char *sql, const QVariantList &params)
{
    Statement s(*this, sql, params);
    QStringList all;
    while (s.next())
        all << QString::fromUtf8(s.textAt(0));
    return all;
}

int SqliteDb::rows(const char *sql, const QVariantList &params)
{
    Statement s(*this, sql, params);
    int count = 0;
    for (const int columns = sqlite3_column_count(s.m_stmt); s.next(); ++count) {
        for (int c = 0; c < columns; ++c)
            s.textAt(c);
    }
    return count;
}

void SqliteDb::exec(const char *sql, const QVariantList &params)
{
    if (!params.isEmpty())
        Statement(*this, sql, params).run();
    else if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        die(sql);
}


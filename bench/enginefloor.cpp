#include "enginefloor.h"

#include <QFile>

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>

namespace {

[[noreturn]] void die(sqlite3 *db, const char *sql)
{
    std::fprintf(stderr, "floor: %s: %s\n", sql, db ? sqlite3_errmsg(db) : "no connection");
    std::exit(1);
}

} // namespace

const char *const EngineFloor::Pragmas[] = {"PRAGMA foreign_keys = ON",
                                            "PRAGMA journal_mode = WAL",
                                            "PRAGMA synchronous = FULL",
                                            "PRAGMA cache_size = -8192", nullptr};

struct EngineFloor::Statement
{
    Statement(sqlite3 *db, const char *sql, const QVariantList &params)
        : db(db)
        , sql(sql)
    {
        if (sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) != SQLITE_OK)
            die(db, sql);
        int slot = 1;
        for (const QVariant &p : params) {
            if (p.isNull()) {
                sqlite3_bind_null(stmt, slot++);
            } else if (p.typeId() == QMetaType::QString) {
                texts.append(p.toString().toUtf8());
                sqlite3_bind_text(stmt, slot++, texts.last().constData(),
                                  int(texts.last().size()), SQLITE_STATIC);
            } else {
                sqlite3_bind_int64(stmt, slot++, p.toLongLong());
            }
        }
    }
    ~Statement() { sqlite3_finalize(stmt); }

    bool next()
    {
        const int rc = sqlite3_step(stmt);
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            die(db, sql);
        return false;
    }

    sqlite3 *db;
    const char *sql;
    sqlite3_stmt *stmt = nullptr;
    QList<QByteArray> texts;
};

EngineFloor::EngineFloor(const QString &fileName)
{
    const QByteArray path = QFile::encodeName(fileName);
    if (sqlite3_open_v2(path.constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK)
        die(m_db, path.constData());
    sqlite3_busy_timeout(m_db, 5000);
    for (int i = 0; Pragmas[i]; ++i) {
        // journal_mode answers with a row; the others with none.
        Statement s(m_db, Pragmas[i], {});
        while (s.next()) {
        }
    }
}

EngineFloor::~EngineFloor()
{
    sqlite3_close(m_db);
}

qint64 EngineFloor::integer(const char *sql, const QVariantList &params)
{
    Statement s(m_db, sql, params);
    return s.next() ? sqlite3_column_int64(s.stmt, 0) : -1;
}

QString EngineFloor::text(const char *sql, const QVariantList &params)
{
    Statement s(m_db, sql, params);
    if (!s.next())
        return {};
    return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s.stmt, 0)));
}

int EngineFloor::rows(const char *sql, const QVariantList &params)
{
    Statement s(m_db, sql, params);
    int count = 0;
    const int columns = sqlite3_column_count(s.stmt);
    while (s.next()) {
        ++count;
        for (int c = 0; c < columns; ++c)
            sqlite3_column_text(s.stmt, c);
    }
    return count;
}

void EngineFloor::exec(const char *sql, const QVariantList &params)
{
    Statement s(m_db, sql, params);
    while (s.next()) {
    }
}

qint64 EngineFloor::lastInsertId() const
{
    return sqlite3_last_insert_rowid(m_db);
}

QString EngineFloor::setting(const char *name)
{
    const QByteArray sql = QByteArray("PRAGMA ") + name;
    return text(sql.constData());
}

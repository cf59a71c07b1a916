#include "sqliteengine.h"

#include "database.h"

#include <QSqlError>

namespace {

const SqlDialect sqlite{Catalogue::quoted, Catalogue::quoted, {}, QStringLiteral("IS"), false};

} // namespace

using Catalogue::quoted;
using Kind = RecordSource::Kind;

SqliteEngine::SqliteEngine(Database *db, const RecordSource &source)
    : SqlEngine(db, source, sqlite)
{
}

bool SqliteEngine::keepsCount() const
{
    return m_source.kind == Kind::Whole
           && (m_source.object->name == Catalogue::Persons || m_source.object->isQuery);
}

// After another tool's write marked the kept counts and gaps as doubtful, the
// first reader sets them again from the rows, once for everybody. When it cannot
// write (a read-only file, a lock held too long), its read counts the rows.
void SqliteEngine::repairKept()
{
    QSqlQuery q(m_db->connection());
    q.setForwardOnly(true);
    if (!run(&q,
             QStringLiteral("SELECT \"Numar\" FROM %1 WHERE \"Sursa\" = ?")
                 .arg(quoted(Catalogue::CountsTable)),
             {Catalogue::CountsDoubtful}, nullptr)
        || !q.next() || q.value(0).toLongLong() == 0)
        return;
    q.finish();
    if (!m_db->exec(QStringLiteral("BEGIN IMMEDIATE")))
        return;
    bool ok = true;
    for (const QString &sql : Catalogue::repairStatements())
        ok = ok && m_db->exec(sql);
    if (!ok || !m_db->exec(QStringLiteral("COMMIT")))
        m_db->exec(QStringLiteral("ROLLBACK"));
}

bool SqliteEngine::beginRead(DataError *error)
{
    m_keptBelieved = false;
    if (keepsCount())
        repairKept();
    QSqlDatabase &db = m_db->connection();
    if (db.transaction())
        return true;
    *error = DataError::fromSql(db.lastError());
    return false;
}

void SqliteEngine::endRead()
{
    m_db->connection().commit();
}

bool SqliteEngine::count(qint64 *count, DataError *error)
{
    QSqlQuery q(m_db->connection());
    q.setForwardOnly(true);
    // The persons list and its stored queries are counted by triggers, while
    // no doubt is marked. A register written by a tool that dropped the counts,
    // or made before the doubt was marked, still opens: it is counted then.
    if (keepsCount()
        && run(&q,
               QStringLiteral("SELECT \"n\".\"Numar\" FROM %1 AS \"n\", %1 AS \"v\" WHERE "
                              "\"n\".\"Sursa\" = ? AND \"v\".\"Sursa\" = ? AND \"v\".\"Numar\" = 0")
                   .arg(quoted(Catalogue::CountsTable)),
               {m_source.object->name, Catalogue::CountsDoubtful}, nullptr)
        && q.next() && q.value(0).toLongLong() >= 0) {
        *count = q.value(0).toLongLong();
        m_keptBelieved = true;
        return true;
    }
    return SqlEngine::count(count, error);
}

bool SqliteEngine::recordedGaps(qint64 above, qint64 below, int limit, QList<qint64> *gaps)
{
    if (!m_keptBelieved || m_source.object->name != Catalogue::Persons)
        return false;
    // Not an error when it fails: a register made before the gaps were kept
    // has no such table, and its keys are counted.
    QSqlQuery q(m_db->connection());
    q.setForwardOnly(true);
    if (!run(&q,
             QStringLiteral("SELECT \"Cheie\" FROM %1 WHERE \"Cheie\" > ? AND \"Cheie\" < ? "
                            "ORDER BY \"Cheie\" LIMIT ?")
                 .arg(quoted(Catalogue::GapsTable)),
             {above, below, limit + 1}, nullptr))
        return false;
    while (q.next())
        gaps->append(q.value(0).toLongLong());
    return !q.lastError().isValid();
}

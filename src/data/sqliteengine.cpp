#include "sqliteengine.h"

#include "database.h"

#include <QSqlError>

namespace {

using Catalogue::quoted;
using Kind = RecordSource::Kind;

QString column(const QString &table, const QString &field)
{
    return quoted(table) + QLatin1Char('.') + quoted(field);
}

QVariant bindable(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v;
}

} // namespace

SqliteEngine::SqliteEngine(Database *db, const RecordSource &source)
    : m_db(db)
    , m_source(source)
    , m_columns(source.columns())
    , m_table(quoted(source.table()))
    , m_key(m_table + QStringLiteral(".rowid"))
    , m_from(QStringLiteral("FROM ") + m_table)
    , m_fetch(db->connection())
{
    QString fetchFrom = m_from;
    switch (source.kind) {
    case Kind::Whole:
        if (source.object->isQuery) {
            // The stored query selects the rows; they are read from its table.
            m_from = QStringLiteral("FROM ") + quoted(source.object->name);
            m_key = column(source.object->name, source.object->keyColumn);
        }
        break;
    case Kind::OffencesOfPerson:
        m_where = column(Catalogue::Offences, QStringLiteral("CNP_C")) + QStringLiteral(" = ?");
        m_params << source.cnp;
        break;
    case Kind::ArticlesOfOffence:
        m_where = column(Catalogue::Articles, QStringLiteral("Cod_infractiune"))
                  + QStringLiteral(" = ?");
        m_params << source.code;
        break;
    case Kind::AccomplicesOfOffence: {
        const QString links = QStringLiteral(" JOIN ") + quoted(Catalogue::Links)
                              + QStringLiteral(" ON ")
                              + column(Catalogue::Accomplices, QStringLiteral("CNP"))
                              + QStringLiteral(" = ")
                              + column(Catalogue::Links, QStringLiteral("CNP"));
        const QString linked = column(Catalogue::Links, QStringLiteral("COD_INFRACTIUNE"))
                               + QStringLiteral(" = ?");
        m_from += QStringLiteral(" INNER") + links;
        m_where = linked;
        m_params << source.code;
        if (source.sex) {
            m_where += QStringLiteral(" AND ")
                       + column(Catalogue::Accomplices, QStringLiteral("sex"))
                       + QStringLiteral(" = ?");
            m_params << *source.sex;
        }
        m_distinct = true;
        // Rows are read by their own key, so a row stays readable while it has
        // no link yet (just added) or no longer matches the filter (just changed).
        fetchFrom += QStringLiteral(" LEFT") + links + QStringLiteral(" AND ") + linked;
        m_fetchParams << source.code;
        break;
    }
    }
    QStringList columns;
    for (const Column &c : std::as_const(m_columns))
        columns << column(c.table, c.field);
    const QStringList marks(FetchBatch, QStringLiteral("?"));
    m_fetchSql = QStringLiteral("SELECT %1.rowid, %2 %3 WHERE %1.rowid IN (%4)")
                     .arg(m_table, columns.join(QStringLiteral(", ")), fetchFrom,
                          marks.join(QLatin1Char(',')));
    m_fetch.setForwardOnly(true);
}

bool SqliteEngine::run(QSqlQuery *query, const QString &sql, const QVariantList &params,
                       DataError *error)
{
    bool ok = query->prepare(sql);
    for (const QVariant &p : params)
        query->addBindValue(p);
    ok = ok && query->exec();
    if (!ok && error)
        *error = DataError::fromSql(query->lastError());
    return ok;
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

QString SqliteEngine::membersWhere(const QStringList &more) const
{
    QStringList terms;
    if (!m_where.isEmpty())
        terms << QLatin1Char('(') + m_where + QLatin1Char(')');
    terms << more;
    return terms.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
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
    const QString counted = m_distinct ? QStringLiteral("DISTINCT ") + m_key
                                       : QStringLiteral("*");
    if (!run(&q, QStringLiteral("SELECT count(%1) %2%3").arg(counted, m_from, membersWhere({})),
             m_params, error))
        return false;
    if (!q.next()) {
        *error = DataError::fromSql(q.lastError());
        return false;
    }
    *count = q.value(0).toLongLong();
    return true;
}

bool SqliteEngine::keys(const KeyRange &range, QList<qint64> *keys, DataError *error)
{
    QStringList bounds;
    QVariantList params = m_params;
    if (range.above) {
        bounds << m_key + QStringLiteral(" > ?");
        params << *range.above;
    }
    if (range.below) {
        bounds << m_key + QStringLiteral(" < ?");
        params << *range.below;
    }
    QString sql = QStringLiteral("SELECT %1%2 %3%4 ORDER BY %2 %5")
                      .arg(m_distinct ? QStringLiteral("DISTINCT ") : QString(), m_key, m_from,
                           membersWhere(bounds),
                           range.descending ? QStringLiteral("DESC") : QStringLiteral("ASC"));
    if (range.limit > 0) {
        sql += QStringLiteral(" LIMIT ?");
        params << range.limit;
        if (range.offset > 0) {
            sql += QStringLiteral(" OFFSET ?");
            params << range.offset;
        }
    }
    QSqlQuery q(m_db->connection());
    q.setForwardOnly(true);
    if (!run(&q, sql, params, error))
        return false;
    while (q.next())
        keys->append(q.value(0).toLongLong());
    if (!q.lastError().isValid())
        return true;
    *error = DataError::fromSql(q.lastError());
    return false;
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

bool SqliteEngine::rows(const QList<qint64> &keys, QHash<qint64, QVariantList> *rows,
                        DataError *error)
{
    if (!m_fetchPrepared && !m_fetch.prepare(m_fetchSql)) {
        *error = DataError::fromSql(m_fetch.lastError());
        return false;
    }
    m_fetchPrepared = true;
    const int columns = int(m_columns.size());
    for (qsizetype start = 0; start < keys.size(); start += FetchBatch) {
        int slot = 0;
        for (const QVariant &p : std::as_const(m_fetchParams))
            m_fetch.bindValue(slot++, p);
        for (qsizetype k = start; k < start + FetchBatch; ++k)
            m_fetch.bindValue(slot++, k < keys.size() ? QVariant(keys.at(k)) : QVariant());
        if (!m_fetch.exec()) {
            *error = DataError::fromSql(m_fetch.lastError());
            return false;
        }
        while (m_fetch.next()) {
            QVariantList values;
            values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                values << m_fetch.value(c + 1);
            rows->insert(m_fetch.value(0).toLongLong(), values);
        }
        m_fetch.finish();
    }
    return true;
}

bool SqliteEngine::insert(const QVariantList &values, const QList<bool> &set,
                          std::optional<qint64> *key, DataError *error)
{
    if (!m_db->recordWrites(error))
        return false;
    QStringList names;
    QVariantList params;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (set.at(i)) {
            names << quoted(m_columns.at(i).field);
            params << bindable(values.at(i));
        }
    }
    const QString comma = QStringLiteral(", ");
    const QString sql =
        names.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(m_table, names.join(comma),
                       QStringList(names.size(), QStringLiteral("?")).join(comma));
    QSqlQuery q(m_db->connection());
    if (!run(&q, sql, params, error))
        return false;
    key->reset();
    if (q.numRowsAffected() > 0)
        *key = q.lastInsertId().toLongLong();
    return true;
}

// The terms that hold while the row at the key is still the one read: every
// column the same, NULL as NULL; through the join, the link to the offence
// there or not as it was.
QString SqliteEngine::unchanged(const QVariantList &read, QVariantList *params) const
{
    QStringList terms;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const Column &c = m_columns.at(i);
        if (quoted(c.table) == m_table) {
            terms << column(c.table, c.field) + QStringLiteral(" IS ?");
        } else {
            terms << QStringLiteral("(SELECT \"L\".%1 FROM %2 AS \"L\" WHERE \"L\".\"CNP\" = "
                                    "%3.\"CNP\" AND \"L\".%1 = ?) IS ?")
                         .arg(quoted(c.field), quoted(c.table), m_table);
            *params << m_source.code;
        }
        *params << read.value(i);
    }
    return terms.join(QStringLiteral(" AND "));
}

// Runs a checked write: no row written means the row read is no longer there.
bool SqliteEngine::writeChecked(const QString &sql, const QVariantList &params,
                                DataError *error)
{
    QSqlQuery q(m_db->connection());
    if (!run(&q, sql, params, error))
        return false;
    if (q.numRowsAffected() > 0)
        return true;
    *error = DataError::make(EngineError::ChangedMeanwhile);
    return false;
}

bool SqliteEngine::update(qint64 key, const QVariantList &read, const QVariantList &values,
                          const QList<bool> &set, DataError *error)
{
    if (!m_db->recordWrites(error))
        return false;
    QStringList assignments;
    QVariantList params;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (set.at(i)) {
            assignments << quoted(m_columns.at(i).field) + QStringLiteral(" = ?");
            params << bindable(values.at(i));
        }
    }
    if (assignments.isEmpty())
        return true;
    params << key;
    const QString sql = QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ? AND %3")
                            .arg(m_table, assignments.join(QStringLiteral(", ")),
                                 unchanged(read, &params));
    if (writeChecked(sql, params, error))
        return true;
    if (error->number == EngineError::ChangedMeanwhile)
        error->text += QStringLiteral(" Datele tastate au rămas pe ecran; apăsați «Anulează» "
                                      "pentru a vedea înregistrarea actuală.");
    return false;
}

bool SqliteEngine::remove(qint64 key, const QVariantList &read, DataError *error)
{
    if (!m_db->recordWrites(error))
        return false;
    QVariantList params{key};
    const QString row = QStringLiteral("rowid = ? AND ") + unchanged(read, &params);
    QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, row);
    if (m_source.kind == Kind::AccomplicesOfOffence && !read.value(m_columns.size() - 1).isNull()) {
        // Through the join only this offence's link goes; the accomplice
        // follows, by a trigger, only when nothing else refers to it.
        sql = QStringLiteral("DELETE FROM %1 WHERE \"CNP\" = (SELECT \"CNP\" FROM %2 WHERE %3) "
                             "AND \"COD_INFRACTIUNE\" = ?")
                  .arg(quoted(Catalogue::Links), m_table, row);
        params << m_source.code;
    }
    if (writeChecked(sql, params, error))
        return true;
    if (error->number == EngineError::ChangedMeanwhile)
        error->text += QStringLiteral(" Ștergerea nu a fost făcută.");
    return false;
}

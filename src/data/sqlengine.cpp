#include "sqlengine.h"

#include "database.h"

#include <QSqlError>

namespace {

using Kind = RecordSource::Kind;

QVariant bindable(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v;
}

} // namespace

SqlEngine::SqlEngine(Database *db, const RecordSource &source, const SqlDialect &dialect)
    : m_db(db)
    , m_source(source)
    , m_dialect(dialect)
    , m_columns(source.columns())
    , m_table(dialect.table(source.table()))
    , m_key(m_table + QStringLiteral(".rowid"))
    , m_from(QStringLiteral("FROM ") + m_table)
    , m_fetch(db->connection())
    , m_fetchGeneration(db->generation())
{
    QString fetchFrom = m_from;
    switch (source.kind) {
    case Kind::Whole:
        if (source.object->isQuery) {
            // The stored query selects the rows; they are read from its table.
            m_from = QStringLiteral("FROM ") + m_dialect.table(source.object->name);
            m_key = column(source.object->name, dialect.viewKey.isEmpty()
                                                    ? source.object->keyColumn
                                                    : dialect.viewKey);
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
        const QString links = QStringLiteral(" JOIN ") + m_dialect.table(Catalogue::Links)
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

QString SqlEngine::column(const QString &table, const QString &field) const
{
    return m_dialect.table(table) + QLatin1Char('.') + m_dialect.field(field);
}

bool SqlEngine::run(QSqlQuery *query, const QString &sql, const QVariantList &params,
                    DataError *error)
{
    query->setForwardOnly(true);
    bool ok = query->prepare(sql);
    for (const QVariant &p : params)
        query->addBindValue(p);
    ok = ok && query->exec();
    if (!ok) {
        const DataError failed = m_db->failure(query->lastError());
        if (error)
            *error = failed;
    }
    return ok;
}

QString SqlEngine::membersWhere(const QStringList &more) const
{
    QStringList terms;
    if (!m_where.isEmpty())
        terms << QLatin1Char('(') + m_where + QLatin1Char(')');
    terms << more;
    return terms.isEmpty() ? QString()
                           : QStringLiteral(" WHERE ") + terms.join(QStringLiteral(" AND "));
}

bool SqlEngine::count(qint64 *count, DataError *error)
{
    QSqlQuery q(m_db->connection());
    const QString counted = m_distinct ? QStringLiteral("DISTINCT ") + m_key
                                       : QStringLiteral("*");
    if (!run(&q, QStringLiteral("SELECT count(%1) %2%3").arg(counted, m_from, membersWhere({})),
             m_params, error))
        return false;
    if (!q.next()) {
        *error = m_db->failure(q.lastError());
        return false;
    }
    *count = q.value(0).toLongLong();
    return true;
}

bool SqlEngine::keys(const KeyRange &range, QList<qint64> *keys, DataError *error)
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
        sql += QStringLiteral(" LIMIT ? OFFSET ?");
        params << range.limit << range.offset;
    }
    QSqlQuery q(m_db->connection());
    if (!run(&q, sql, params, error))
        return false;
    while (q.next())
        keys->append(q.value(0).toLongLong());
    if (!q.lastError().isValid())
        return true;
    *error = m_db->failure(q.lastError());
    return false;
}

bool SqlEngine::rows(const QList<qint64> &keys, QHash<qint64, QVariantList> *rows,
                     DataError *error)
{
    if (m_fetchGeneration != m_db->generation()) {
        m_fetch = QSqlQuery(m_db->connection());
        m_fetch.setForwardOnly(true);
        m_fetchPrepared = false;
        m_fetchGeneration = m_db->generation();
    }
    if (!m_fetchPrepared && !m_fetch.prepare(m_fetchSql)) {
        *error = m_db->failure(m_fetch.lastError());
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
            *error = m_db->failure(m_fetch.lastError());
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

void SqlEngine::writeFailed(DataError *)
{
}

bool SqlEngine::insert(const QVariantList &values, const QList<bool> &set,
                       std::optional<qint64> *key, DataError *error)
{
    if (!m_db->recordWrites(error))
        return false;
    QStringList names;
    QVariantList params;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (set.at(i)) {
            names << m_dialect.field(m_columns.at(i).field);
            params << bindable(values.at(i));
        }
    }
    const QString comma = QStringLiteral(", ");
    QString sql = names.isEmpty()
                      ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(m_table)
                      : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                            .arg(m_table, names.join(comma),
                                 QStringList(names.size(), QStringLiteral("?")).join(comma));
    if (m_dialect.returnsKey)
        sql += QStringLiteral(" RETURNING rowid");
    QSqlQuery q(m_db->connection());
    if (!run(&q, sql, params, error)) {
        writeFailed(error);
        return false;
    }
    // A repeated link is ignored by the register: no row is written.
    key->reset();
    if (m_dialect.returnsKey && q.next())
        *key = q.value(0).toLongLong();
    else if (!m_dialect.returnsKey && q.numRowsAffected() > 0)
        *key = q.lastInsertId().toLongLong();
    return true;
}

// The terms that hold while the row at the key is still the one read: every
// column the same, NULL as NULL; through the join, the link to the offence
// there or not as it was.
QString SqlEngine::unchanged(const QVariantList &read, QVariantList *params) const
{
    const QString same = QLatin1Char(' ') + m_dialect.sameAs + QStringLiteral(" ?");
    QStringList terms;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        const Column &c = m_columns.at(i);
        if (m_dialect.table(c.table) == m_table) {
            terms << column(c.table, c.field) + same;
        } else {
            const QString cnp = m_dialect.field(QStringLiteral("CNP"));
            terms << QStringLiteral("(SELECT \"L\".%1 FROM %2 AS \"L\" WHERE \"L\".%3 = "
                                    "%4.%3 AND \"L\".%1 = ?)")
                             .arg(m_dialect.field(c.field), m_dialect.table(c.table), cnp,
                                  m_table)
                         + same;
            *params << m_source.code;
        }
        *params << bindable(read.value(i));
    }
    return terms.join(QStringLiteral(" AND "));
}

// Runs a checked write: no row written means the row read is no longer there.
bool SqlEngine::writeChecked(const QString &sql, const QVariantList &params, DataError *error)
{
    QSqlQuery q(m_db->connection());
    if (!run(&q, sql, params, error)) {
        writeFailed(error);
        return false;
    }
    if (q.numRowsAffected() > 0)
        return true;
    *error = DataError::make(EngineError::ChangedMeanwhile);
    return false;
}

bool SqlEngine::update(qint64 key, const QVariantList &read, const QVariantList &values,
                       const QList<bool> &set, DataError *error)
{
    if (!m_db->recordWrites(error))
        return false;
    QStringList assignments;
    QVariantList params;
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (set.at(i)) {
            assignments << m_dialect.field(m_columns.at(i).field) + QStringLiteral(" = ?");
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

bool SqlEngine::remove(qint64 key, const QVariantList &read, DataError *error)
{
    if (!m_db->recordWrites(error))
        return false;
    QVariantList params{key};
    const QString row = QStringLiteral("rowid = ? AND ") + unchanged(read, &params);
    QString sql = QStringLiteral("DELETE FROM %1 WHERE %2").arg(m_table, row);
    if (m_source.kind == Kind::AccomplicesOfOffence && !read.value(m_columns.size() - 1).isNull()) {
        // Through the join only this offence's link goes; the accomplice
        // follows, by a trigger, only when nothing else refers to it.
        const QString cnp = m_dialect.field(QStringLiteral("CNP"));
        sql = QStringLiteral("DELETE FROM %1 WHERE %2 = (SELECT %2 FROM %3 WHERE %4) AND %5 = ?")
                  .arg(m_dialect.table(Catalogue::Links), cnp, m_table, row,
                       m_dialect.field(QStringLiteral("COD_INFRACTIUNE")));
        params << m_source.code;
    }
    if (writeChecked(sql, params, error))
        return true;
    if (error->number == EngineError::ChangedMeanwhile)
        error->text += QStringLiteral(" Ștergerea nu a fost făcută.");
    return false;
}

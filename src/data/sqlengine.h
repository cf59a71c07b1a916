#pragma once

#include "engine.h"

#include <QSqlQuery>

// How one engine's SQL spells what the record sets ask.
struct SqlDialect
{
    QString (*table)(const QString &catalogueName);
    QString (*field)(const QString &catalogueName);
    QString viewKey;  // the column a stored query shows its rows' keys in; empty: the catalogue's
    QString sameAs;   // compares two values, NULL equal to NULL
    bool returnsKey;  // an INSERT gives the new row's key back as a row
};

// The statements the record sets run on a register of either engine: the rows
// of the few shapes of source, read by key, and the checked writes. Values are
// always bound; the only names in the SQL come from the catalogue.
class SqlEngine : public Engine
{
public:
    SqlEngine(Database *db, const RecordSource &source, const SqlDialect &dialect);

    bool count(qint64 *count, DataError *error) override;
    bool keys(const KeyRange &range, QList<qint64> *keys, DataError *error) override;
    bool rows(const QList<qint64> &keys, QHash<qint64, QVariantList> *rows,
              DataError *error) override;
    bool insert(const QVariantList &values, const QList<bool> &set, std::optional<qint64> *key,
                DataError *error) override;
    bool update(qint64 key, const QVariantList &read, const QVariantList &values,
                const QList<bool> &set, DataError *error) override;
    bool remove(qint64 key, const QVariantList &read, DataError *error) override;

protected:
    bool run(QSqlQuery *query, const QString &sql, const QVariantList &params,
             DataError *error);
    // A failed write, told what became of the typed row.
    virtual void writeFailed(DataError *error);

    Database *m_db;
    RecordSource m_source;

private:
    QString column(const QString &table, const QString &field) const;
    QString membersWhere(const QStringList &more) const;
    QString unchanged(const QVariantList &read, QVariantList *params) const;
    bool writeChecked(const QString &sql, const QVariantList &params, DataError *error);

    SqlDialect m_dialect;
    QList<Column> m_columns;
    // The rows of the set: their key, the tables they come from, the terms that
    // select them with their values, and whether a join may list one twice.
    QString m_table;
    QString m_key;
    QString m_from;
    QString m_where;
    QVariantList m_params;
    bool m_distinct = false;
    // The rows by key: a batch of FetchBatch keys, after m_fetchParams.
    QString m_fetchSql;
    QVariantList m_fetchParams;
    QSqlQuery m_fetch;
    bool m_fetchPrepared = false;
    int m_fetchGeneration;
};

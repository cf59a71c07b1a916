#pragma once

#include "engine.h"

#include <QSqlQuery>

// Every statement the record sets run on an SQLite register. Values are always
// bound; the only names in the SQL come from the catalogue.
class SqliteEngine final : public Engine
{
public:
    SqliteEngine(Database *db, const RecordSource &source);

    bool beginRead(DataError *error) override;
    void endRead() override;
    bool count(qint64 *count, DataError *error) override;
    bool keys(const KeyRange &range, QList<qint64> *keys, DataError *error) override;
    bool recordedGaps(qint64 above, qint64 below, int limit, QList<qint64> *gaps) override;
    bool rows(const QList<qint64> &keys, QHash<qint64, QVariantList> *rows,
              DataError *error) override;
    bool insert(const QVariantList &values, const QList<bool> &set, std::optional<qint64> *key,
                DataError *error) override;
    bool update(qint64 key, const QVariantList &read, const QVariantList &values,
                const QList<bool> &set, DataError *error) override;
    bool remove(qint64 key, const QVariantList &read, DataError *error) override;

private:
    bool run(QSqlQuery *query, const QString &sql, const QVariantList &params,
             DataError *error);
    QString membersWhere(const QStringList &more) const;
    QString unchanged(const QVariantList &read, QVariantList *params) const;
    bool writeChecked(const QString &sql, const QVariantList &params, DataError *error);

    Database *m_db;
    RecordSource m_source;
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
};

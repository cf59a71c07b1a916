#include "figures.h"

#include "data/database.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>

#include <algorithm>

namespace Figures {

namespace {

const QString Blank = QStringLiteral("(necompletat)");

// Each grouping reads an index that holds its columns in its order, so it
// streams through the index instead of sorting a million rows.
const QList<std::pair<QString, QString>> Indexes = {
    {QStringLiteral("IX_Infractiuni_cifre"),
     QStringLiteral("\"TBL_Infractiuni\"(\"Infractiune\", \"Pedeapsa\", \"Ispasit\")")},
    {QStringLiteral("IX_Zavoni_Judet"), QStringLiteral("\"TBL_Zavoni\"(\"Judet\")")},
};

bool fail(const QSqlQuery &query, DataError *error)
{
    if (error)
        *error = DataError::fromSql(query.lastError());
    return false;
}

// Made once, on the first figures asked of a register. One that cannot take
// them (read-only, say) is still counted, only slower.
void ensureIndexes(Database &db)
{
    QSqlQuery query(db.connection());
    for (const auto &[name, columns] : Indexes) {
        query.prepare(QStringLiteral("SELECT 1 FROM sqlite_schema WHERE name = ?"));
        query.addBindValue(name);
        if (query.exec() && !query.next())
            query.exec(QStringLiteral("CREATE INDEX \"%1\" ON %2").arg(name, columns));
    }
}

QString plain(const QVariant &value)
{
    const QString text = value.toString().trimmed();
    return text.isEmpty() ? Blank : text;
}

// Largest groups first: the charts read from the top.
QList<Count> sorted(const QHash<QString, qint64> &counts)
{
    QList<Count> list;
    for (auto it = counts.begin(); it != counts.end(); ++it)
        list.append({it.key(), it.value()});
    std::sort(list.begin(), list.end(), [](const Count &a, const Count &b) {
        return a.count != b.count ? a.count > b.count : a.label < b.label;
    });
    return list;
}

} // namespace

QString penaltyName(const QString &code)
{
    if (code == QLatin1String("A"))
        return QStringLiteral("Amendă");
    if (code == QLatin1String("D"))
        return QStringLiteral("Detenție");
    if (code == QLatin1String("S"))
        return QStringLiteral("Altă sancțiune");
    return Blank;
}

bool read(Database &db, Register *figures, DataError *error)
{
    *figures = {};
    ensureIndexes(db);
    QSqlQuery query(db.connection());
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT \"Infractiune\", \"Pedeapsa\", \"Ispasit\", count(*) "
                                   "FROM \"TBL_Infractiuni\" GROUP BY 1, 2, 3")))
        return fail(query, error);
    QHash<QString, qint64> byType, byPenalty, byServed;
    while (query.next()) {
        const qint64 n = query.value(3).toLongLong();
        byType[plain(query.value(0))] += n;
        byPenalty[penaltyName(query.value(1).toString())] += n;
        byServed[query.value(2).toBool() ? QStringLiteral("Ispășită")
                                         : QStringLiteral("Neispășită")] += n;
    }
    if (!query.exec(QStringLiteral("SELECT \"Judet\", count(*) FROM \"TBL_Zavoni\" GROUP BY 1")))
        return fail(query, error);
    QHash<QString, qint64> byCounty;
    while (query.next())
        byCounty[plain(query.value(0))] += query.value(1).toLongLong();
    figures->offencesByType = sorted(byType);
    figures->penaltiesByKind = sorted(byPenalty);
    figures->served = sorted(byServed);
    figures->personsByCounty = sorted(byCounty);
    return true;
}

} // namespace Figures

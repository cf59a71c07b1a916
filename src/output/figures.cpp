#include "figures.h"

#include "data/database.h"

#include <QSqlError>
#include <QSqlQuery>

#include <functional>

namespace Figures {

namespace {

const QString Blank = QStringLiteral("(necompletat)");

bool count(Database &db, const QString &sql, QList<Count> *counts, DataError *error,
           const std::function<QString(const QVariant &)> &label)
{
    QSqlQuery query(db.connection());
    query.setForwardOnly(true);
    if (!query.exec(sql)) {
        if (error)
            *error = DataError::fromSql(query.lastError());
        return false;
    }
    while (query.next())
        counts->append({label(query.value(0)), query.value(1).toLongLong()});
    return true;
}

QString plain(const QVariant &value)
{
    const QString text = value.toString().trimmed();
    return text.isEmpty() ? Blank : text;
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
    auto penalty = [](const QVariant &v) { return penaltyName(v.toString()); };
    auto served = [](const QVariant &v) {
        return v.toBool() ? QStringLiteral("Ispășită") : QStringLiteral("Neispășită");
    };
    // Largest groups first: the charts read from the top.
    return count(db,
                 QStringLiteral("SELECT coalesce(\"Infractiune\", ''), count(*) AS n "
                                "FROM \"TBL_Infractiuni\" "
                                "GROUP BY 1 ORDER BY n DESC, 1"),
                 &figures->offencesByType, error, plain)
           && count(db,
                    QStringLiteral("SELECT \"Pedeapsa\", count(*) FROM \"TBL_Infractiuni\" "
                                   "GROUP BY 1 ORDER BY 1"),
                    &figures->penaltiesByKind, error, penalty)
           && count(db,
                    QStringLiteral("SELECT coalesce(\"Ispasit\", 0) <> 0, count(*) "
                                   "FROM \"TBL_Infractiuni\" GROUP BY 1 ORDER BY 1 DESC"),
                    &figures->served, error, served)
           && count(db,
                    QStringLiteral("SELECT coalesce(\"Judet\", ''), count(*) AS n "
                                   "FROM \"TBL_Zavoni\" "
                                   "GROUP BY 1 ORDER BY n DESC, 1"),
                    &figures->personsByCounty, error, plain);
}

} // namespace Figures

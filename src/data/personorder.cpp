#include "personorder.h"

#include "catalogue.h"

#include <QSqlError>
#include <QSqlQuery>

// The list is read in arms of one statement: the rest of the place's name and
// sex, the rest of its name, then the names after it. Each arm seeks in the
// column's index, which holds the sex beside the key, so no read walks the
// persons of a name before the place, however many share it; SQLite runs the
// arms of UNION ALL in turn and stops at the limit.
QString PersonSearch::sortedWalk(const Order &order, const QString &sex,
                                 const std::optional<Place> &from, const QString &also,
                                 const QVariantList &alsoParams, qint64 limit,
                                 QVariantList *params, const QString &columns) const
{
    const QString key = sortKey(order.column);
    const QString dir = order.descending ? QStringLiteral(" DESC") : QString();
    const QString beyond = order.descending ? QStringLiteral("<") : QStringLiteral(">");
    const QString byRowid = QStringLiteral("rowid") + dir;
    const QString bySex = QStringLiteral("\"sex\"") + dir + QStringLiteral(", ") + byRowid;
    struct Arm
    {
        QString where;
        QVariantList params;
        QString orderBy;
    };
    QList<Arm> arms;
    if (from) {
        const QString sameKey = key + QStringLiteral(" = ? AND ");
        const QString &k = from->sortKey;
        arms.append({sameKey + QStringLiteral("\"sex\" IS ? AND rowid %1%2 ?")
                                   .arg(beyond, from->inclusive ? QStringLiteral("=") : QString()),
                     {k, from->sex, from->rowid}, byRowid});
        // A missing sex sorts first.
        if (sex.isEmpty() && from->sex.isNull() && !order.descending) {
            arms.append({sameKey + QStringLiteral("\"sex\" IS NOT NULL"), {k}, bySex});
        } else if (sex.isEmpty() && !from->sex.isNull()) {
            arms.append({sameKey + QStringLiteral("\"sex\" %1 ?").arg(beyond), {k, from->sex},
                         bySex});
            if (order.descending)
                arms.append({sameKey + QStringLiteral("\"sex\" IS NULL"), {k}, byRowid});
        }
        arms.append({key + beyond + QStringLiteral(" ?"), {k}, key + dir + ", " + bySex});
    } else {
        arms.append({QStringLiteral("1"), {}, key + dir + ", " + bySex});
    }
    QStringList selects;
    for (const Arm &arm : std::as_const(arms)) {
        QString where = arm.where;
        *params << arm.params;
        if (!sex.isEmpty()) {
            where += QStringLiteral(" AND \"sex\" = ?");
            *params << sex;
        }
        if (!also.isEmpty()) {
            where += QStringLiteral(" AND ") + also;
            *params << alsoParams;
        }
        selects << QStringLiteral("SELECT * FROM (SELECT %1 FROM %2 INDEXED BY %3 "
                                  "WHERE %4 ORDER BY %5 LIMIT ?)")
                       .arg(columns.isEmpty() ? QStringLiteral("rowid") : columns,
                            Catalogue::quoted(Catalogue::Persons),
                            Catalogue::quoted(sortIndex(order.column)), where, arm.orderBy);
        *params << limit;
    }
    return selects.join(QStringLiteral(" UNION ALL "));
}

namespace {

QString leftOut(const QList<qint64> &except, QVariantList *params)
{
    if (except.isEmpty())
        return {};
    for (qint64 key : except)
        *params << key;
    return QStringLiteral("rowid NOT IN (%1)")
        .arg(QStringList(except.size(), QStringLiteral("?")).join(QLatin1Char(',')));
}

} // namespace

bool PersonSearch::sortedKeys(const Order &order, const QString &sex,
                              const std::optional<Place> &from, qint64 skip, int count,
                              const QList<qint64> &except, QList<qint64> *keys,
                              DataError *error)
{
    QVariantList exceptParams;
    const QString also = leftOut(except, &exceptParams);
    QVariantList params;
    const QString sql = sortedWalk(order, sex, from, also, exceptParams, skip + count, &params)
                        + QStringLiteral(" LIMIT ? OFFSET ?");
    params << count << skip;
    return run(sql, params, keys, error);
}

// A place after another, each a statement that walks the column's index
// alone and looks the row reached up; one statement prepared serves them
// all while the places are of one kind (with or without a sex).
bool PersonSearch::sortedPlaces(const Order &order, const QString &sex,
                                const std::optional<Place> &from, qint64 skip, qint64 step,
                                int count, const QList<qint64> &except, QList<Place> *places,
                                DataError *error)
{
    QVariantList exceptParams;
    const QString also = leftOut(except, &exceptParams);
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    QString prepared;
    std::optional<Place> at = from;
    for (int i = 0; i < count; ++i, skip = step - 1) {
        QVariantList params;
        const QString sql = QStringLiteral("SELECT z.rowid, %1, z.\"sex\" FROM (%2 LIMIT 1 "
                                           "OFFSET ?) w CROSS JOIN %3 z ON z.rowid = w.r")
                                .arg(sortKey(order.column, QStringLiteral("z")),
                                     sortedWalk(order, sex, at, also, exceptParams, skip + 1,
                                                &params, QStringLiteral("rowid AS r")),
                                     Catalogue::quoted(Catalogue::Persons));
        params << skip;
        if (sql != prepared && !q.prepare(sql))
            break;
        prepared = sql;
        for (const QVariant &p : std::as_const(params))
            q.addBindValue(p);
        if (!q.exec())
            break;
        if (!q.next())
            return true;
        at = Place{q.value(0).toLongLong(), q.value(1).toString(), q.value(2)};
        places->append(*at);
    }
    if (q.lastError().isValid()) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return false;
    }
    return true;
}

std::optional<qint64> PersonSearch::countBefore(const Order &order, const QString &sex,
                                                const Place &place,
                                                const QList<qint64> &except, DataError *error)
{
    QVariantList exceptParams;
    const QString also = leftOut(except, &exceptParams);
    QVariantList params;
    const QString sql = QStringLiteral("SELECT count(*) FROM (%1)")
                            .arg(sortedWalk({order.column, !order.descending}, sex, place, also,
                                            exceptParams, -1, &params));
    QList<qint64> counts;
    if (!run(sql, params, &counts, error) || counts.isEmpty())
        return std::nullopt;
    return counts.first();
}

namespace {

// As SQLite compares: NULL first, texts by their UTF-8 bytes.
int compare(const QVariant &a, const QVariant &b)
{
    if (a.isNull() || b.isNull())
        return int(b.isNull()) - int(a.isNull());
    const QByteArray x = a.toString().toUtf8();
    const QByteArray y = b.toString().toUtf8();
    return x < y ? -1 : (y < x ? 1 : 0);
}

} // namespace

bool PersonSearch::precedes(const Order &order, const Place &place, const Place &other)
{
    int c = compare(place.sortKey, other.sortKey);
    if (c == 0)
        c = compare(place.sex, other.sex);
    if (c == 0)
        c = place.rowid < other.rowid ? -1 : (other.rowid < place.rowid ? 1 : 0);
    return order.descending ? c > 0 : c < 0;
}

std::optional<PersonSearch::Place> PersonSearch::placeOf(qint64 rowid, const Order &order,
                                                         DataError *error)
{
    if (!order.sorted())
        return Place{rowid, {}, {}};
    QSqlQuery q(m_db);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1, \"sex\" FROM %2 WHERE rowid = ?")
                  .arg(sortKey(order.column), Catalogue::quoted(Catalogue::Persons)));
    q.addBindValue(rowid);
    if (!q.exec()) {
        if (error)
            *error = DataError::fromSql(q.lastError());
        return std::nullopt;
    }
    if (!q.next())
        return std::nullopt;
    return Place{rowid, q.value(0).toString(), q.value(1)};
}

PersonOrder::PersonOrder(PersonSearch *search, const PersonSearch::Order &order,
                         const QString &sex)
    : m_search(search)
    , m_order(order)
    , m_sex(sex)
{
}

namespace {

std::optional<PersonSearch::Place> personPlace(const std::optional<OrderSource::Place> &place)
{
    if (!place)
        return std::nullopt;
    return PersonSearch::Place{place->key, place->by.value(0).toString(), place->by.value(1)};
}

} // namespace

bool PersonOrder::read(const std::optional<Place> &from, bool backward, qint64 skip, int count,
                       const QList<qint64> &except, QList<qint64> *keys, DataError *error)
{
    const PersonSearch::Order walk{m_order.column, m_order.descending != backward};
    return m_search->sortedKeys(walk, m_sex, personPlace(from), skip, count, except, keys,
                                error);
}

bool PersonOrder::readPlaces(const std::optional<Place> &from, qint64 skip, qint64 step,
                             int count, const QList<qint64> &except, QList<Place> *places,
                             DataError *error)
{
    QList<PersonSearch::Place> found;
    if (!m_search->sortedPlaces(m_order, m_sex, personPlace(from), skip, step, count, except,
                                &found, error))
        return false;
    for (const PersonSearch::Place &p : std::as_const(found))
        places->append({p.rowid, {p.sortKey, p.sex}});
    return true;
}

std::optional<OrderSource::Place> PersonOrder::placeOf(qint64 key, DataError *error)
{
    const std::optional<PersonSearch::Place> place = m_search->placeOf(key, m_order, error);
    if (!place)
        return std::nullopt;
    return Place{key, {place->sortKey, place->sex}};
}

bool PersonOrder::precedes(const Place &place, const Place &other) const
{
    return PersonSearch::precedes(m_order, *personPlace(place), *personPlace(other));
}

std::optional<qint64> PersonOrder::countBefore(const Place &place, const QList<qint64> &except,
                                               DataError *error)
{
    return m_search->countBefore(m_order, m_sex, *personPlace(place), except, error);
}

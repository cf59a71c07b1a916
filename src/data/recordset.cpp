#include "recordset.h"

#include "catalogue.h"
#include "database.h"

#include <QSqlError>

#include <algorithm>
#include <limits>

namespace {

// Enough rows at each end for a grid page and its neighbours; a set no larger
// than twice this is read whole.
constexpr int EdgeRows = 256;
// The middle is read in chunks of this many keys, and a few are kept: the
// grid's page, the pages either side, and the places the scroll bar went to.
constexpr int MiddleChunk = 4096;
constexpr int MiddleChunks = 8;
constexpr int FetchBatch = 64;
constexpr int CacheLimit = 4096;
// A row another program deleted before this set reached it.
constexpr qint64 VanishedKey = std::numeric_limits<qint64>::min();

QVariant bindable(const QVariant &v)
{
    if (v.typeId() == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    return v;
}

} // namespace

Recordset::Recordset(Database *db, QObject *parent)
    : QObject(parent)
    , m_db(db)
{
}

Recordset::~Recordset()
{
    delete m_fetch;
}

void Recordset::setDatabase(Database *db)
{
    delete m_fetch;
    m_fetch = nullptr;
    m_db = db;
}

bool Recordset::fail(const DataError &error)
{
    m_error = error;
    return false;
}

bool Recordset::failSql(const QSqlQuery &query)
{
    return fail(DataError::fromSql(query.lastError()));
}

bool Recordset::open(const QString &recordSource, OpenMode mode)
{
    m_source = recordSource;
    Dialect::Plan plan;
    DataError error;
    if (!Dialect::compile(recordSource, &plan, &error)) {
        emit aboutToReset();
        m_plan = Dialect::Plan();
        clearSet();
        emit wasReset();
        emit changed(Change::Requery);
        return fail(error);
    }
    m_plan = plan;
    delete m_fetch;
    m_fetch = nullptr;
    if (!m_db) {
        m_plan = Dialect::Plan();
        requery();
        return fail(DataError::make(EngineError::FileNotFound));
    }
    if (mode == OpenMode::AppendOnly) {
        emit aboutToReset();
        clearSet();
        m_error = DataError();
        emit wasReset();
        return true;
    }
    return requery();
}

void Recordset::clearSet()
{
    m_head.clear();
    m_tail.clear();
    m_added.clear();
    m_addedSet.clear();
    m_middleCount = 0;
    m_headBound = 0;
    m_tailBound = 0;
    m_chunks.clear();
    m_dense = false;
    m_deletedMiddle.clear();
    m_current = -1;
    m_currentKey.reset();
    m_afterDelete = -1;
    m_cache.clear();
    m_mode = EditMode::None;
    m_pending.clear();
    m_dirty.clear();
}

bool Recordset::requery()
{
    m_error = DataError();
    emit aboutToReset();
    clearSet();
    const bool ok = !m_plan.fetchPrefix.isEmpty() && loadKeys();
    if (!ok) {
        clearSet();
        if (!m_error.isError())
            m_error = DataError::make(EngineError::UnknownObject, m_source);
    }
    if (recordCount() > 0)
        m_current = 0;
    m_currentKey.reset();
    emit wasReset();
    emit changed(Change::Requery);
    return ok;
}

bool Recordset::queryKeys(const QString &extraWhere, const QVariantList &extraParams,
                          const QString &order, qint64 limit, QList<qint64> *keys,
                          qint64 offset)
{
    QString sql = QStringLiteral("SELECT ");
    if (m_plan.distinctKeys)
        sql += QStringLiteral("DISTINCT ");
    sql += m_plan.memberKey + QLatin1Char(' ') + m_plan.memberFrom;
    QStringList where;
    if (!m_plan.memberWhere.isEmpty())
        where << QLatin1Char('(') + m_plan.memberWhere + QLatin1Char(')');
    if (!extraWhere.isEmpty())
        where << extraWhere;
    if (!where.isEmpty())
        sql += QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "));
    sql += QStringLiteral(" ORDER BY ") + m_plan.memberKey + QLatin1Char(' ') + order;
    if (limit > 0)
        sql += offset > 0 ? QStringLiteral(" LIMIT ? OFFSET ?") : QStringLiteral(" LIMIT ?");
    QSqlQuery q(m_db->connection());
    q.setForwardOnly(true);
    if (!q.prepare(sql))
        return failSql(q);
    for (const QVariant &p : m_plan.memberParams)
        q.addBindValue(p);
    for (const QVariant &p : extraParams)
        q.addBindValue(p);
    if (limit > 0) {
        q.addBindValue(limit);
        if (offset > 0)
            q.addBindValue(offset);
    }
    if (!q.exec())
        return failSql(q);
    while (q.next())
        keys->append(q.value(0).toLongLong());
    if (q.lastError().isValid())
        return failSql(q);
    return true;
}

bool Recordset::loadKeys()
{
    QSqlDatabase &db = m_db->connection();
    // One read transaction, so the count and both ends come from the same snapshot.
    if (!db.transaction())
        return fail(DataError::fromSql(db.lastError()));
    bool ok = true;
    qint64 kept = -1;
    if (!m_plan.countedAs.isEmpty()) {
        // A register written by a tool that dropped the counts still opens: it is counted.
        QSqlQuery q(db);
        q.setForwardOnly(true);
        if (q.prepare(QStringLiteral("SELECT \"Numar\" FROM %1 WHERE \"Sursa\" = ?")
                          .arg(Catalogue::quoted(Catalogue::CountsTable)))) {
            q.addBindValue(m_plan.countedAs);
            if (q.exec() && q.next())
                kept = q.value(0).toLongLong();
        }
    }
    {
        QString sql = m_plan.distinctKeys
                          ? QStringLiteral("SELECT count(DISTINCT %1) ").arg(m_plan.memberKey)
                          : QStringLiteral("SELECT count(*) ");
        sql += m_plan.memberFrom;
        if (!m_plan.memberWhere.isEmpty())
            sql += QStringLiteral(" WHERE ") + m_plan.memberWhere;
        QSqlQuery q(db);
        q.setForwardOnly(true);
        ok = q.prepare(sql);
        for (const QVariant &p : m_plan.memberParams)
            q.addBindValue(p);
        ok = kept >= 0 || (ok && q.exec() && q.next());
        if (!ok) {
            failSql(q);
        } else {
            const qint64 count = kept >= 0 ? kept : q.value(0).toLongLong();
            q.finish();
            if (count <= 2 * EdgeRows) {
                ok = queryKeys({}, {}, QStringLiteral("ASC"), 0, &m_head);
            } else {
                ok = queryKeys({}, {}, QStringLiteral("ASC"), EdgeRows, &m_head)
                     && queryKeys({}, {}, QStringLiteral("DESC"), EdgeRows, &m_tail);
                std::reverse(m_tail.begin(), m_tail.end());
                m_headBound = m_head.value(m_head.size() - 1);
                m_tailBound = m_tail.value(0);
                m_middleCount = count - m_head.size() - m_tail.size();
                // Distinct keys, as many as the places between the bounds: all of them.
                m_dense = m_tailBound - m_headBound - 1 == m_middleCount;
                if (m_middleCount < 0 || m_head.isEmpty() || m_tail.isEmpty()) {
                    // The snapshot disagrees with itself: read it whole.
                    m_head.clear();
                    m_tail.clear();
                    m_middleCount = 0;
                    m_dense = false;
                    ok = ok && queryKeys({}, {}, QStringLiteral("ASC"), 0, &m_head);
                }
            }
        }
    }
    db.commit();
    return ok;
}

int Recordset::recordCount() const
{
    return int(m_head.size() + m_middleCount + m_tail.size() + m_added.size());
}

qint64 Recordset::denseKey(qint64 rank) const
{
    qint64 key = m_headBound + 1 + rank;
    for (qint64 gone : m_deletedMiddle) {
        if (gone > key)
            break;
        ++key;
    }
    return key;
}

bool Recordset::readDenseChunk(qint64 start, qint64 end, QList<qint64> *keys)
{
    const qint64 first = denseKey(start);
    const qint64 last = denseKey(end - 1);
    QList<qint64> found;
    const QString cond = QStringLiteral("%1 >= ? AND %1 <= ?").arg(m_plan.memberKey);
    if (!queryKeys(cond, {first, last}, QStringLiteral("ASC"), 0, &found))
        return false;
    // Each key between the two was in the set when it was selected, but those
    // deleted through it since. One missing now left meanwhile: its place
    // stays, empty, and no other row moves into it.
    auto gone = std::lower_bound(m_deletedMiddle.cbegin(), m_deletedMiddle.cend(), first);
    auto it = found.cbegin();
    for (qint64 key = first; key <= last; ++key) {
        if (gone != m_deletedMiddle.cend() && *gone == key) {
            ++gone;
            continue;
        }
        while (it != found.cend() && *it < key)
            ++it;
        // A key added through the set in a place left empty shows at the end.
        const bool present = it != found.cend() && *it == key && !m_addedSet.contains(key);
        keys->append(present ? key : VanishedKey);
    }
    return true;
}

bool Recordset::readChunkBetween(int before, int after, qint64 start, qint64 end,
                                 QList<qint64> *keys)
{
    // Counted from the nearest key known on either side: a chunk next to one
    // already read costs no more than its own keys, and a jump to the middle
    // steps over at most half of it.
    qint64 lowKey = m_headBound;
    qint64 lowRank = -1;
    if (before >= 0) {
        const Chunk &c = m_chunks.at(before);
        for (qsizetype i = c.keys.size() - 1; i >= 0; --i) {
            if (c.keys.at(i) != VanishedKey) {
                lowKey = c.keys.at(i);
                lowRank = c.start + i;
                break;
            }
        }
    }
    qint64 highKey = m_tailBound;
    qint64 highRank = m_middleCount;
    if (after < m_chunks.size()) {
        const Chunk &c = m_chunks.at(after);
        for (qsizetype i = 0; i < c.keys.size(); ++i) {
            if (c.keys.at(i) != VanishedKey) {
                highKey = c.keys.at(i);
                highRank = c.start + i;
                break;
            }
        }
    }
    const qint64 want = end - start;
    const qint64 fromLow = start - lowRank - 1;
    const qint64 fromHigh = highRank - end;
    const bool ascending = fromLow <= fromHigh;
    const QString cond = QStringLiteral("%1 > ? AND %1 < ?").arg(m_plan.memberKey);
    QList<qint64> found;
    const QString order = ascending ? QStringLiteral("ASC") : QStringLiteral("DESC");
    if (!queryKeys(cond, {lowKey, highKey}, order, want, &found, ascending ? fromLow : fromHigh))
        return false;
    if (!ascending)
        std::reverse(found.begin(), found.end());
    found.removeIf([this](qint64 k) { return m_addedSet.contains(k); });
    // Rows another program deleted meanwhile: the read falls short, and the
    // places at the far end from where it counted stay empty.
    const QList<qint64> empty(want - found.size(), VanishedKey);
    *keys = ascending ? found + empty : empty + found;
    return true;
}

int Recordset::dropFarChunks(int kept)
{
    while (m_chunks.size() > MiddleChunks) {
        const qint64 toFirst = m_chunks.at(kept).start - m_chunks.first().start;
        const qint64 toLast = m_chunks.last().start - m_chunks.at(kept).start;
        if (toFirst >= toLast) {
            m_chunks.removeFirst();
            --kept;
        } else {
            m_chunks.removeLast();
        }
    }
    return kept;
}

int Recordset::loadChunk(qint64 rank)
{
    int after = 0;
    while (after < m_chunks.size() && m_chunks.at(after).start <= rank)
        ++after;
    const int before = after - 1;
    const qint64 lo = before >= 0 ? m_chunks.at(before).end() : 0;
    const qint64 hi = after < m_chunks.size() ? m_chunks.at(after).start : m_middleCount;
    // Around the row wanted, for a scroll bar let go anywhere; a row next to
    // a chunk read already starts or ends the new one, for scrolling by pages.
    const qint64 start = qMax(lo, qMin(rank - MiddleChunk / 2, hi - MiddleChunk));
    const qint64 end = qMin(hi, start + MiddleChunk);
    Chunk chunk;
    chunk.start = start;
    const bool ok = m_dense ? readDenseChunk(start, end, &chunk.keys)
                            : readChunkBetween(before, after, start, end, &chunk.keys);
    if (!ok)
        return -1;
    m_chunks.insert(after, chunk);
    return dropFarChunks(after);
}

qint64 Recordset::middleKey(qint64 rank)
{
    for (const Chunk &c : std::as_const(m_chunks)) {
        if (rank >= c.start && rank < c.end())
            return c.keys.at(rank - c.start);
    }
    const int loaded = loadChunk(rank);
    if (loaded < 0)
        return VanishedKey;
    const Chunk &c = m_chunks.at(loaded);
    return c.keys.at(rank - c.start);
}

qint64 Recordset::keyAt(int row)
{
    if (row < 0 || row >= recordCount())
        return VanishedKey;
    if (row < m_head.size())
        return m_head.at(row);
    qint64 r = row - m_head.size();
    if (r < m_middleCount) {
        // A chunk read again after rows vanished may place its keys one off;
        // edit and delete must still reach the row the operator was shown.
        if (row == m_current && m_currentKey)
            return *m_currentKey;
        const qint64 key = middleKey(r);
        if (row == m_current)
            m_currentKey = key;
        return key;
    }
    r -= m_middleCount;
    if (r < m_tail.size())
        return m_tail.at(int(r));
    return m_added.at(int(r - m_tail.size()));
}

void Recordset::removeMiddleRank(qint64 rank, qint64 key)
{
    if (m_dense) {
        // A row that had vanished still held its key's place.
        const qint64 gone = key != VanishedKey ? key : denseKey(rank);
        m_deletedMiddle.insert(std::lower_bound(m_deletedMiddle.begin(), m_deletedMiddle.end(),
                                                gone),
                               gone);
    }
    for (qsizetype i = m_chunks.size() - 1; i >= 0; --i) {
        Chunk &c = m_chunks[i];
        if (c.start > rank) {
            --c.start;
        } else if (rank < c.end()) {
            c.keys.removeAt(rank - c.start);
            if (c.keys.isEmpty())
                m_chunks.removeAt(i);
        }
    }
    --m_middleCount;
}

void Recordset::removeRow(int row, qint64 key)
{
    if (row < m_head.size()) {
        m_head.removeAt(row);
        return;
    }
    qint64 r = row - m_head.size();
    if (r < m_middleCount) {
        removeMiddleRank(r, key);
        return;
    }
    r -= m_middleCount;
    if (r < m_tail.size()) {
        m_tail.removeAt(int(r));
        if (m_tail.isEmpty() && m_middleCount > 0) {
            // Take the next rows from the end of the middle as the new tail.
            QList<qint64> keys;
            const QString cond = QStringLiteral("%1 > ? AND %1 < ?").arg(m_plan.memberKey);
            if (queryKeys(cond, {m_headBound, m_tailBound}, QStringLiteral("DESC"),
                          qMin<qint64>(m_middleCount, EdgeRows), &keys)
                && !keys.isEmpty()) {
                std::reverse(keys.begin(), keys.end());
                m_tail = keys;
                m_middleCount -= keys.size();
                m_tailBound = m_tail.first();
                while (!m_chunks.isEmpty() && m_chunks.last().start >= m_middleCount)
                    m_chunks.removeLast();
                if (!m_chunks.isEmpty() && m_chunks.last().end() > m_middleCount)
                    m_chunks.last().keys.resize(m_middleCount - m_chunks.last().start);
                if (m_dense) {
                    while (!m_deletedMiddle.isEmpty() && m_deletedMiddle.last() >= m_tailBound)
                        m_deletedMiddle.removeLast();
                    m_dense = m_tailBound - m_headBound - 1
                              == m_middleCount + m_deletedMiddle.size();
                    if (!m_dense)
                        m_deletedMiddle.clear();
                }
            } else {
                m_middleCount = 0;
                m_chunks.clear();
            }
        }
        return;
    }
    r -= m_tail.size();
    if (r < m_added.size())
        m_addedSet.remove(m_added.takeAt(int(r)));
}

bool Recordset::fetchRows(const QList<qint64> &keys)
{
    if (!m_fetch) {
        QString sql = m_plan.fetchPrefix;
        for (int i = 0; i < FetchBatch; ++i)
            sql += (i ? QStringLiteral(",?") : QStringLiteral("?"));
        sql += QLatin1Char(')');
        m_fetch = new QSqlQuery(m_db->connection());
        m_fetch->setForwardOnly(true);
        if (!m_fetch->prepare(sql)) {
            failSql(*m_fetch);
            delete m_fetch;
            m_fetch = nullptr;
            return false;
        }
    }
    if (m_cache.size() > CacheLimit)
        m_cache.clear();
    for (int start = 0; start < keys.size(); start += FetchBatch) {
        int slot = 0;
        for (const QVariant &p : m_plan.fetchParams)
            m_fetch->bindValue(slot++, p);
        for (int i = 0; i < FetchBatch; ++i) {
            const int k = start + i;
            m_fetch->bindValue(slot++, k < keys.size() ? QVariant(keys.at(k)) : QVariant());
        }
        if (!m_fetch->exec())
            return failSql(*m_fetch);
        const int columns = int(m_plan.columns.size());
        while (m_fetch->next()) {
            QVariantList values;
            values.reserve(columns);
            for (int c = 0; c < columns; ++c)
                values << m_fetch->value(c + 1);
            m_cache.insert(m_fetch->value(0).toLongLong(), values);
        }
        m_fetch->finish();
    }
    return true;
}

void Recordset::prefetch(int fromRow)
{
    QList<qint64> keys;
    const int end = qMin(recordCount(), fromRow + FetchBatch);
    for (int r = fromRow; r < end; ++r) {
        const qint64 k = keyAt(r);
        if (k != VanishedKey && !m_cache.contains(k))
            keys << k;
    }
    if (!keys.isEmpty())
        fetchRows(keys);
}

const QVariantList *Recordset::row(qint64 key)
{
    if (key == VanishedKey)
        return nullptr;
    auto it = m_cache.constFind(key);
    if (it == m_cache.constEnd()) {
        if (!fetchRows({key}))
            return nullptr;
        it = m_cache.constFind(key);
        if (it == m_cache.constEnd())
            return nullptr;
    }
    return &it.value();
}

QVariant Recordset::valueAt(int row, int column)
{
    const qint64 key = keyAt(row);
    if (key == VanishedKey || column < 0 || column >= m_plan.columns.size())
        return {};
    if (!m_cache.contains(key))
        prefetch(row);
    const QVariantList *values = this->row(key);
    return values ? values->at(column) : QVariant();
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (const Dialect::Column &c : m_plan.columns)
        names << c.name;
    return names;
}

QVariant Recordset::value(const QString &field) const
{
    const int index = fieldIndex(field);
    if (index < 0)
        return {};
    if (m_mode != EditMode::None)
        return m_pending.value(index);
    if (m_current < 0)
        return {};
    auto *self = const_cast<Recordset *>(this);
    const QVariantList *values = self->row(self->keyAt(m_current));
    return values ? values->at(index) : QVariant();
}

bool Recordset::setValue(const QString &field, const QVariant &value)
{
    if (m_mode == EditMode::None)
        return fail(DataError::make(EngineError::UpdateWithoutEdit));
    const int index = fieldIndex(field);
    if (index < 0)
        return fail(DataError::make(EngineError::UnknownField, field));
    if (!m_plan.columns.at(index).writable)
        return fail(DataError::make(EngineError::ReadOnly, m_plan.columns.at(index).name));
    m_pending[index] = value;
    m_dirty[index] = true;
    return true;
}

bool Recordset::moveTo(int row)
{
    if (m_mode != EditMode::None)
        m_mode = EditMode::None;
    const int count = recordCount();
    m_current = count == 0 ? -1 : qBound(0, row, count - 1);
    m_currentKey.reset();
    m_afterDelete = -1;
    emit changed(Change::Move);
    return m_current >= 0;
}

bool Recordset::moveFirst()
{
    return moveTo(0);
}

bool Recordset::moveLast()
{
    return moveTo(recordCount() - 1);
}

bool Recordset::moveNext()
{
    if (m_current < 0 && m_afterDelete >= 0)
        return moveTo(m_afterDelete);
    return moveTo(m_current + 1);
}

bool Recordset::movePrevious()
{
    if (m_current < 0 && m_afterDelete >= 0)
        return moveTo(m_afterDelete - 1);
    return moveTo(m_current - 1);
}

bool Recordset::addNew()
{
    if (m_plan.writeTable.isEmpty())
        return fail(DataError::make(EngineError::UnknownObject, m_source));
    m_mode = EditMode::Adding;
    m_pending = QVariantList(m_plan.columns.size());
    m_dirty = QList<bool>(m_plan.columns.size(), false);
    emit changed(Change::AddNew);
    return true;
}

bool Recordset::edit()
{
    if (m_current < 0)
        return fail(DataError::make(EngineError::NoCurrentRecord));
    const QVariantList *values = row(keyAt(m_current));
    m_pending = values ? *values : QVariantList(m_plan.columns.size());
    m_dirty = QList<bool>(m_plan.columns.size(), false);
    m_mode = EditMode::Editing;
    emit changed(Change::Edit);
    return true;
}

bool Recordset::update()
{
    if (m_mode == EditMode::None)
        return fail(DataError::make(EngineError::UpdateWithoutEdit));
    m_error = DataError();
    if (!m_db->stillInPlace())
        return fail(DataError::make(EngineError::FileNotFound, m_db->fileName()));
    emit aboutToUpdate();
    QStringList columns;
    QVariantList values;
    for (int i = 0; i < m_plan.columns.size(); ++i) {
        if (m_dirty.at(i) && m_plan.columns.at(i).writable) {
            columns << Catalogue::quoted(m_plan.columns.at(i).name.section(QLatin1Char('.'), -1));
            values << bindable(m_pending.at(i));
        }
    }
    const QString table = Catalogue::quoted(m_plan.writeTable);
    QSqlQuery q(m_db->connection());
    if (m_mode == EditMode::Adding) {
        QString sql;
        if (columns.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table);
        } else {
            QStringList marks(columns.size(), QStringLiteral("?"));
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        if (!q.prepare(sql))
            return failSql(q);
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            return failSql(q);
        m_mode = EditMode::None;
        m_pending.clear();
        if (q.numRowsAffected() == 0) {
            // A repeated link the table ignores: stored already, nothing joins the set.
            emit changed(Change::Update);
            return true;
        }
        const qint64 key = q.lastInsertId().toLongLong();
        const int row = recordCount();
        emit aboutToAppend(row);
        m_added << key;
        m_addedSet.insert(key);
        emit appended();
        emit changed(Change::Update);
        return true;
    }

    const qint64 key = keyAt(m_current);
    if (!columns.isEmpty()) {
        QStringList sets;
        for (const QString &c : columns)
            sets << c + QStringLiteral(" = ?");
        if (!q.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                           .arg(table, sets.join(QStringLiteral(", ")))))
            return failSql(q);
        for (const QVariant &v : values)
            q.addBindValue(v);
        q.addBindValue(key);
        if (!q.exec())
            return failSql(q);
        if (q.numRowsAffected() == 0)
            return fail(DataError::make(EngineError::NoCurrentRecord,
                                        QStringLiteral("Înregistrarea a fost stearsă între timp.")));
    }
    m_cache.remove(key);
    m_mode = EditMode::None;
    m_pending.clear();
    emit rowChanged(m_current);
    emit changed(Change::Update);
    return true;
}

bool Recordset::cancelUpdate()
{
    m_mode = EditMode::None;
    m_pending.clear();
    m_dirty.clear();
    emit changed(Change::CancelUpdate);
    return true;
}

bool Recordset::deleteCurrent()
{
    if (m_mode != EditMode::None)
        return fail(DataError::make(EngineError::UpdateWithoutEdit));
    if (m_current < 0)
        return fail(DataError::make(EngineError::NoCurrentRecord));
    if (!m_db->stillInPlace())
        return fail(DataError::make(EngineError::FileNotFound, m_db->fileName()));
    const qint64 key = keyAt(m_current);
    QSqlDatabase &db = m_db->connection();
    if (!db.transaction())
        return fail(DataError::fromSql(db.lastError()));
    QSqlQuery q(db);
    bool ok = true;
    bool ownRowGoes = true;
    if (!m_plan.linkDeleteSql.isEmpty()) {
        // Through a join only this offence's link goes; the accomplice row
        // follows only when nothing else refers to it.
        ok = q.prepare(m_plan.linkDeleteSql);
        q.addBindValue(key);
        for (const QVariant &p : m_plan.linkDeleteParams)
            q.addBindValue(p);
        ok = ok && q.exec();
        ownRowGoes = ok && q.numRowsAffected() == 0;
    }
    if (ok && ownRowGoes) {
        ok = q.prepare(QStringLiteral("DELETE FROM %1 WHERE rowid = ?")
                           .arg(Catalogue::quoted(m_plan.writeTable)));
        q.addBindValue(key);
        ok = ok && q.exec();
    }
    if (!ok) {
        const DataError error = DataError::fromSql(q.lastError());
        db.rollback();
        return fail(error);
    }
    if (!db.commit()) {
        const DataError error = DataError::fromSql(db.lastError());
        db.rollback();
        return fail(error);
    }
    const int row = m_current;
    emit aboutToRemove(row);
    removeRow(row, key);
    m_cache.remove(key);
    m_current = -1;
    m_currentKey.reset();
    m_afterDelete = row;
    emit removed();
    emit changed(Change::Delete);
    return true;
}

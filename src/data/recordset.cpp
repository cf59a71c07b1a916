#include "recordset.h"

#include "catalogue.h"
#include "database.h"

#include <QSqlError>

namespace {

// About a grid page: what is shown is read in a statement or two, and little
// that is not shown is read with it.
constexpr int FetchBatch = 16;
constexpr int CacheLimit = 4096;

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
    , m_keys(m_plan, db, [this](const DataError &error) { m_error = error; })
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
    m_keys.setDatabase(db);
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
    m_keys.clear();
    m_current = -1;
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
    const bool ok = !m_plan.fetchPrefix.isEmpty() && m_keys.load();
    if (!ok) {
        clearSet();
        if (!m_error.isError())
            m_error = DataError::make(EngineError::UnknownObject, m_source);
    }
    if (recordCount() > 0)
        m_current = 0;
    m_keys.pin(m_current);
    emit wasReset();
    emit changed(Change::Requery);
    return ok;
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
        const qint64 k = m_keys.keyAt(r);
        if (k != RecordKeys::Vanished && !m_cache.contains(k))
            keys << k;
    }
    if (!keys.isEmpty())
        fetchRows(keys);
}

const QVariantList *Recordset::row(qint64 key)
{
    if (key == RecordKeys::Vanished)
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
    const qint64 key = m_keys.keyAt(row);
    if (key == RecordKeys::Vanished || column < 0 || column >= m_plan.columns.size())
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
    const QVariantList *values = self->row(self->m_keys.keyAt(m_current));
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
    m_keys.pin(m_current);
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
    const QVariantList *values = row(m_keys.keyAt(m_current));
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
            const QString comma = QStringLiteral(", ");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(table, columns.join(comma), marks.join(comma));
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
        m_keys.append(key);
        emit appended();
        emit changed(Change::Update);
        return true;
    }

    const qint64 key = m_keys.keyAt(m_current);
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
            return fail(DataError::make(
                EngineError::NoCurrentRecord,
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
    const qint64 key = m_keys.keyAt(m_current);
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
    m_keys.remove(row, key);
    m_cache.remove(key);
    m_current = -1;
    m_keys.pin(m_current);
    m_afterDelete = row;
    emit removed();
    emit changed(Change::Delete);
    return true;
}

#include "recordset.h"

#include "personsearch.h"

#include "database.h"

namespace {

constexpr int CacheLimit = 4096;
// Each slice of the landmarks keeps the window answering keys meanwhile.
constexpr int LandmarkSliceMs = 5;

} // namespace

Recordset::Recordset(Database *db, QObject *parent)
    : QObject(parent)
    , m_db(db)
    , m_keys([this](const DataError &error) { m_error = error; })
{
    connect(&m_landmarks, &QTimer::timeout, this, [this] {
        if (!m_keys.placeLandmarks(LandmarkSliceMs))
            m_landmarks.stop();
    });
}

Recordset::~Recordset() = default;

void Recordset::setSource(const std::optional<RecordSource> &source)
{
    m_keys.setEngine(nullptr);
    m_engine.reset();
    m_recognised = source;
    m_columns = source ? source->columns() : QList<Column>();
    if (source && m_db)
        m_engine = Engine::create(m_db, *source);
    m_keys.setEngine(m_engine.get());
}

void Recordset::setDatabase(Database *db)
{
    m_db = db;
    setSource(m_recognised);
}

bool Recordset::fail(const DataError &error)
{
    m_error = error;
    return false;
}

int Recordset::fieldIndex(const QString &name) const
{
    for (qsizetype i = 0; i < m_columns.size(); ++i) {
        if (m_columns.at(i).name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

bool Recordset::open(const QString &recordSource, OpenMode mode)
{
    m_source = recordSource;
    DataError error;
    const std::optional<RecordSource> source = RecordSource::recognise(recordSource, &error);
    if (!source) {
        emit aboutToReset();
        setSource(std::nullopt);
        clearSet();
        emit wasReset();
        emit changed(Change::Requery);
        return fail(error);
    }
    if (!m_db) {
        setSource(std::nullopt);
        requery();
        return fail(DataError::make(EngineError::FileNotFound));
    }
    setSource(source);
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
    m_landmarks.stop();
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
    const bool ok = m_engine && m_keys.load();
    if (!ok) {
        clearSet();
        if (!m_error.isError())
            m_error = DataError::make(EngineError::UnknownObject, m_source);
    }
    QList<qint64> ordered;
    if (ok && m_keyOrder && m_keyOrder(this, &ordered)) {
        m_keys.setOrder(ordered);
    } else if (ok && m_sortedOrder) {
        if (std::unique_ptr<OrderSource> source = m_sortedOrder()) {
            m_keys.setOrder(std::move(source));
            // After the first page is shown.
            m_landmarks.start(0);
        }
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
    if (m_cache.size() > CacheLimit)
        m_cache.clear();
    DataError error;
    return m_engine->rows(keys, &m_cache, &error) || fail(error);
}

void Recordset::prefetch(int fromRow)
{
    QList<qint64> keys;
    const int end = qMin(recordCount(), fromRow + Engine::FetchBatch);
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
    if (key == RecordKeys::Vanished || column < 0 || column >= m_columns.size())
        return {};
    if (!m_cache.contains(key))
        prefetch(row);
    const QVariantList *values = this->row(key);
    return values ? values->at(column) : QVariant();
}

QList<qint64> Recordset::keysByColumn(int column, bool descending)
{
    QList<std::pair<QString, qint64>> rows;
    for (int r = 0; r < recordCount(); ++r)
        rows.append({PersonSearch::sortKeyText(valueAt(r, column).toString()), m_keys.keyAt(r)});
    std::stable_sort(rows.begin(), rows.end(), [descending](const auto &a, const auto &b) {
        return descending ? PersonSearch::sortsBefore(b.first, a.first)
                          : PersonSearch::sortsBefore(a.first, b.first);
    });
    QList<qint64> keys;
    for (const auto &row : std::as_const(rows))
        keys << row.second;
    return keys;
}

QStringList Recordset::fieldNames() const
{
    QStringList names;
    for (const Column &c : m_columns)
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
    if (!m_columns.at(index).writable)
        return fail(DataError::make(EngineError::ReadOnly, m_columns.at(index).name));
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
    if (!m_engine)
        return fail(DataError::make(EngineError::UnknownObject, m_source));
    m_mode = EditMode::Adding;
    m_pending = QVariantList(m_columns.size());
    m_dirty = QList<bool>(m_columns.size(), false);
    emit changed(Change::AddNew);
    return true;
}

bool Recordset::edit()
{
    if (m_current < 0)
        return fail(DataError::make(EngineError::NoCurrentRecord));
    const QVariantList *values = row(m_keys.keyAt(m_current));
    m_read = values ? *values : QVariantList(m_columns.size());
    m_pending = m_read;
    m_dirty = QList<bool>(m_columns.size(), false);
    m_mode = EditMode::Editing;
    emit changed(Change::Edit);
    return true;
}

bool Recordset::insertWith(Recordset *companion, std::optional<qint64> *key, DataError *error)
{
    if (!companion)
        return m_engine->insert(m_pending, m_dirty, key, error);
    Q_ASSERT(companion->database() == m_db);
    if (!m_db->beginWrite(error))
        return false;
    bool ok = m_engine->insert(m_pending, m_dirty, key, error);
    if (ok && !companion->update()) {
        *error = companion->lastError();
        ok = false;
    }
    if (ok && m_db->exec(QStringLiteral("COMMIT"), error))
        return true;
    m_db->exec(QStringLiteral("ROLLBACK"));
    return false;
}

bool Recordset::update(Recordset *companion)
{
    if (m_mode == EditMode::None)
        return fail(DataError::make(EngineError::UpdateWithoutEdit));
    m_error = DataError();
    if (!m_db->stillInPlace())
        return fail(DataError::make(EngineError::FileNotFound, m_db->fileName()));
    emit aboutToUpdate();
    DataError error;
    if (m_mode == EditMode::Adding) {
        std::optional<qint64> key;
        if (!insertWith(companion, &key, &error))
            return fail(error);
        m_mode = EditMode::None;
        m_pending.clear();
        // No key for a repeated link the table ignores: stored already, nothing joins the set.
        if (key) {
            m_keys.append(*key);
            emit appended();
        }
        emit changed(Change::Update);
        return true;
    }
    const qint64 key = m_keys.keyAt(m_current);
    if (!m_engine->update(key, m_read, m_pending, m_dirty, &error)) {
        // Cancelling then shows the row as it is now.
        if (error.number == EngineError::ChangedMeanwhile)
            m_cache.remove(key);
        return fail(error);
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
    const QVariantList *shown = row(key);
    DataError error;
    if (!m_engine->remove(key, shown ? *shown : QVariantList(), &error)) {
        if (error.number == EngineError::ChangedMeanwhile) {
            m_cache.remove(key);
            emit rowChanged(m_current);
        }
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

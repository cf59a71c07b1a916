#pragma once

#include "dataerror.h"
#include "dialect.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QSqlQuery>
#include <QVariant>

#include <optional>

class Database;

// An updatable set of rows selected by a record-source text. The set of rows
// is fixed when it is selected: a row added through it joins its end, a row
// deleted through it leaves it, until the next requery. A set of a million
// rows knows its count, its first and last keys, and reads the keys between
// in chunks as they are needed, counted from the nearest key it knows. It
// keeps only a few chunks, so memory stays bounded however far one scrolls.
class Recordset : public QObject
{
    Q_OBJECT

public:
    enum class EditMode { None, Adding, Editing };
    // What changed the current row or its fields; the data control decides
    // which of these its screen hears about.
    enum class Change { Requery, Move, AddNew, Edit, Update, CancelUpdate, Delete };
    Q_ENUM(Change)

    explicit Recordset(Database *db, QObject *parent = nullptr);
    ~Recordset() override;

    // Browse selects the rows; AppendOnly reads none and only takes new rows,
    // which keeps opening a large table for one insert cheap.
    enum class OpenMode { Browse, AppendOnly };

    // Compiles the text and runs it; on failure the set is empty.
    bool open(const QString &recordSource, OpenMode mode = OpenMode::Browse);
    QString recordSource() const { return m_source; }
    bool requery();

    int recordCount() const;
    int absolutePosition() const { return m_current; }
    bool eof() const { return m_current < 0; }

    bool moveFirst();
    bool movePrevious();
    bool moveNext();
    bool moveLast();
    bool moveTo(int row);

    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const { return m_plan.fieldIndex(name); }
    Catalogue::FieldType fieldType(int column) const { return m_plan.columns.at(column).type; }
    // A data control opens its database on its first refresh.
    void setDatabase(Database *db);
    // The pending row while adding or editing, otherwise the current row.
    QVariant value(const QString &field) const;
    bool setValue(const QString &field, const QVariant &value);
    // For the grid: one field of any row, read on demand.
    QVariant valueAt(int row, int column);

    bool addNew();
    bool edit();
    bool update();
    bool cancelUpdate();
    bool deleteCurrent();
    EditMode editMode() const { return m_mode; }

    const DataError &lastError() const { return m_error; }

signals:
    void changed(Recordset::Change change);
    // Emitted by update() before it stores: bound controls write into the row.
    void aboutToUpdate();
    void aboutToReset();
    void wasReset();
    void aboutToAppend(int row);
    void appended();
    void aboutToRemove(int row);
    void removed();
    void rowChanged(int row);

private:
    bool fail(const DataError &error);
    bool failSql(const QSqlQuery &query);
    bool loadKeys();
    bool queryKeys(const QString &extraWhere, const QVariantList &extraParams,
                   const QString &order, qint64 limit, QList<qint64> *keys, qint64 offset = 0);
    qint64 keyAt(int row);
    qint64 middleKey(qint64 rank);
    int loadChunk(qint64 rank);
    bool readDenseChunk(qint64 start, qint64 end, QList<qint64> *keys);
    bool readChunkBetween(int before, int after, qint64 start, qint64 end, QList<qint64> *keys);
    qint64 denseKey(qint64 rank) const;
    int dropFarChunks(int kept);
    void removeMiddleRank(qint64 rank, qint64 key);
    void removeRow(int row, qint64 key);
    const QVariantList *row(qint64 key);
    void prefetch(int fromRow);
    bool fetchRows(const QList<qint64> &keys);
    void clearSet();

    Database *m_db;
    QString m_source;
    Dialect::Plan m_plan;
    DataError m_error;

    // Keys by rank: m_head, then the m_middleCount keys of the middle, then
    // m_tail, then the rows added through the set.
    QList<qint64> m_head;
    qint64 m_middleCount = 0;
    QList<qint64> m_tail;
    // The middle's keys lie strictly between these two.
    qint64 m_headBound = 0;
    qint64 m_tailBound = 0;
    // The parts of the middle read so far, by their rank in the middle; sorted,
    // never overlapping.
    struct Chunk
    {
        qint64 start = 0;
        QList<qint64> keys;
        qint64 end() const { return start + keys.size(); }
    };
    QList<Chunk> m_chunks;
    // A middle that was every key between its bounds when selected: rank k is
    // then m_headBound + 1 + k, after skipping the keys deleted through the set.
    bool m_dense = false;
    QList<qint64> m_deletedMiddle; // sorted
    QList<qint64> m_added;
    QSet<qint64> m_addedSet;

    int m_current = -1;
    std::optional<qint64> m_currentKey; // once read, while the current row stays
    int m_afterDelete = -1; // where moves continue from once the current row is deleted

    QHash<qint64, QVariantList> m_cache;
    QSqlQuery *m_fetch = nullptr;

    EditMode m_mode = EditMode::None;
    QVariantList m_pending;
    QList<bool> m_dirty;
};

#pragma once

#include "dataerror.h"
#include "engine.h"
#include "ordersource.h"
#include "recordkeys.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QTimer>
#include <QVariant>

#include <functional>

#include <memory>

class Database;

// An updatable set of rows selected by a record-source text. The set of rows
// is fixed when it is selected: a row added through it joins its end, a row
// deleted through it leaves it, until the next requery. Its keys are read
// in bounded chunks as they are needed, its rows by key in batches as they
// are shown, so a set of a million rows costs no more than a page of them.
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

    // Recognises the text and selects its rows; on failure the set is empty.
    bool open(const QString &recordSource, OpenMode mode = OpenMode::Browse);
    QString recordSource() const { return m_source; }
    bool requery();

    // Lists the set in an order of the operator's: asked at each requery for
    // every key of the set in that order. None, or a failed answer, keeps the
    // engine's order. A row added joins the end until the next requery.
    using KeyOrder = std::function<bool(Recordset *set, QList<qint64> *keys)>;
    void setKeyOrder(KeyOrder order) { m_keyOrder = std::move(order); }
    // For a set too long to read whole: asked at each requery for the source
    // of its keys in the order, read from it as they are shown. None, or no
    // source, keeps the engine's order. Takes the place of a KeyOrder.
    using SortedOrder = std::function<std::unique_ptr<OrderSource>()>;
    void setSortedOrder(SortedOrder order) { m_sortedOrder = std::move(order); }
    // The row of a key in the sorted order; none in the engine's order.
    std::optional<int> rowOf(qint64 key) { return m_keys.rankOf(key); }
    // For a short set, read row by row: its keys by a column in Romanian order.
    QList<qint64> keysByColumn(int column, bool descending);

    int recordCount() const { return m_keys.count(); }
    int absolutePosition() const { return m_current; }
    bool eof() const { return m_current < 0; }

    bool moveFirst();
    bool movePrevious();
    bool moveNext();
    bool moveLast();
    bool moveTo(int row);

    QStringList fieldNames() const;
    int fieldIndex(const QString &name) const; // any case; -1 when absent
    Catalogue::FieldType fieldType(int column) const { return m_columns.at(column).type; }
    // A data control opens its database on its first refresh.
    void setDatabase(Database *db);
    Database *database() const { return m_db; }
    // The pending row while adding or editing, otherwise the current row.
    QVariant value(const QString &field) const;
    bool setValue(const QString &field, const QVariant &value);
    // For the grid: one field of any row, read on demand.
    QVariant valueAt(int row, int column);

    bool addNew();
    bool edit();
    // Stores the pending row. A new row may bring a companion: the pending new
    // row of another set on the same database, stored in the same transaction,
    // so that both are stored or neither is.
    bool update(Recordset *companion = nullptr);
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
    void appended();
    void aboutToRemove(int row);
    void removed();
    void rowChanged(int row);

private:
    bool fail(const DataError &error);
    bool insertWith(Recordset *companion, std::optional<qint64> *key, DataError *error);
    const QVariantList *row(qint64 key);
    void prefetch(int fromRow);
    bool fetchRows(const QList<qint64> &keys);
    void clearSet();
    void setSource(const std::optional<RecordSource> &source);

    Database *m_db;
    QString m_source;
    std::optional<RecordSource> m_recognised;
    QList<Column> m_columns;
    std::unique_ptr<Engine> m_engine;
    DataError m_error;

    RecordKeys m_keys;
    KeyOrder m_keyOrder;
    SortedOrder m_sortedOrder;
    // Places the sorted order's landmarks between the operator's steps.
    QTimer m_landmarks;

    int m_current = -1;
    int m_afterDelete = -1; // where moves continue from once the current row is deleted

    QHash<qint64, QVariantList> m_cache;

    EditMode m_mode = EditMode::None;
    QVariantList m_read; // the row as it was when its edit began
    QVariantList m_pending;
    QList<bool> m_dirty;
};

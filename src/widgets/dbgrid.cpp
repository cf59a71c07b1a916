#include "dbgrid.h"

#include "datacontrol.h"
#include "data/recordset.h"
#include "rules/fieldrules.h"

#include <QHeaderView>
#include <QScrollBar>

RecordsetModel::RecordsetModel(Recordset *recordset, QObject *parent)
    : QAbstractTableModel(parent)
    , m_recordset(recordset)
{
    connect(recordset, &Recordset::aboutToReset, this, [this] { beginResetModel(); });
    connect(recordset, &Recordset::wasReset, this, [this] {
        m_top = 0;
        m_rows = qBound(0, m_recordset->recordCount(), m_capacity);
        endResetModel();
    });
    connect(recordset, &Recordset::appended, this, &RecordsetModel::fit);
    connect(recordset, &Recordset::aboutToRemove, this, &RecordsetModel::rowAboutToGo);
    connect(recordset, &Recordset::removed, this, &RecordsetModel::rowGone);
    connect(recordset, &Recordset::rowChanged, this, [this](int row) {
        if (row >= m_top && row < m_top + m_rows)
            emit dataChanged(index(row - m_top, 0), index(row - m_top, columnCount() - 1));
    });
}

void RecordsetModel::setColumns(const QStringList &captions, const QStringList &fields)
{
    beginResetModel();
    m_captions = captions;
    m_fields = fields;
    m_rows = qBound(0, m_recordset->recordCount() - m_top, m_capacity);
    endResetModel();
}

void RecordsetModel::setTop(int top)
{
    top = qMax(0, top);
    if (top == m_top)
        return;
    m_top = top;
    fit();
    if (m_rows > 0 && columnCount() > 0)
        emit dataChanged(index(0, 0), index(m_rows - 1, columnCount() - 1));
}

void RecordsetModel::setCapacity(int rows)
{
    m_capacity = qMax(1, rows);
    fit();
}

void RecordsetModel::fit()
{
    const int rows = qBound(0, m_recordset->recordCount() - m_top, m_capacity);
    if (rows > m_rows) {
        beginInsertRows({}, m_rows, rows - 1);
        m_rows = rows;
        endInsertRows();
    } else if (rows < m_rows) {
        beginRemoveRows({}, rows, m_rows - 1);
        m_rows = rows;
        endRemoveRows();
    }
}

void RecordsetModel::rowAboutToGo(int row)
{
    m_removing = row >= m_top && row < m_top + m_rows;
    if (m_removing) {
        beginRemoveRows({}, row - m_top, row - m_top);
    } else if (row < m_top) {
        // The rows shown move up one place in the set: keep showing them.
        --m_top;
    }
}

void RecordsetModel::rowGone()
{
    if (m_removing) {
        --m_rows;
        endRemoveRows();
        m_removing = false;
    }
    fit();
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_rows)
        return {};
    const int column = m_recordset->fieldIndex(m_fields.value(index.column()));
    if (column < 0)
        return {};
    const QVariant value = m_recordset->valueAt(m_top + index.row(), column);
    // An empty flag counts as not true, as the screens' status texts read it.
    if (m_recordset->fieldType(column) == Catalogue::FieldType::Boolean)
        return value.toBool() ? QStringLiteral("Da") : QStringLiteral("Nu");
    return FieldRules::valueText(value);
}

QVariant RecordsetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_captions.value(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

DBGrid::DBGrid(QWidget *parent)
    : QTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setFocusPolicy(Qt::NoFocus);
    setTabKeyNavigation(false);
    setWordWrap(false);
    // The window is moved by the grid itself; the view must not scroll it.
    setAutoScroll(false);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setSectionsClickable(false);
    connect(this, &QTableView::pressed, this, &DBGrid::rowClicked);
}

void DBGrid::setCaptions(const QStringList &captions)
{
    m_captions = captions;
    if (m_model)
        m_model->setColumns(m_captions, m_fields);
}

void DBGrid::setFields(const QStringList &fields)
{
    m_fields = fields;
    if (m_model)
        m_model->setColumns(m_captions, m_fields);
}

void DBGrid::setDataControl(DataControl *control)
{
    m_control = control;
    m_model = new RecordsetModel(control->recordset(), this);
    m_model->setCapacity(fullRows() + 1);
    m_model->setColumns(m_captions, m_fields);
    setModel(m_model);
    connect(control, &DataControl::rowShown, this, &DBGrid::followCurrentRow);
}

int DBGrid::fullRows() const
{
    return qMax(1, viewport()->height() / qMax(1, verticalHeader()->defaultSectionSize()));
}

void DBGrid::updateGeometries()
{
    if (m_adjusting) {
        QTableView::updateGeometries();
        return;
    }
    // The view sizes its scroll bar for the rows it holds; the window's own
    // range is put back after it.
    m_adjusting = true;
    QTableView::updateGeometries();
    m_adjusting = false;
    syncWindow();
}

void DBGrid::scrollContentsBy(int dx, int dy)
{
    QTableView::scrollContentsBy(dx, 0);
    if (dy != 0 && !m_adjusting && m_model)
        setTop(verticalScrollBar()->value());
}

void DBGrid::syncWindow()
{
    if (!m_model)
        return;
    m_model->setCapacity(fullRows() + 1);
    m_control->setPageRows(fullRows());
    setTop(m_model->top());
}

void DBGrid::setTop(int top)
{
    const int full = fullRows();
    const int last = qMax(0, m_control->recordset()->recordCount() - full);
    top = qBound(0, top, last);
    m_model->setTop(top);
    const bool adjusting = m_adjusting;
    m_adjusting = true;
    QScrollBar *bar = verticalScrollBar();
    bar->setRange(0, last);
    bar->setPageStep(full);
    bar->setSingleStep(1);
    bar->setValue(top);
    m_adjusting = adjusting;
    selectCurrent();
}

void DBGrid::selectCurrent()
{
    const int current = m_control->recordset()->absolutePosition();
    const int row = current - m_model->top();
    m_following = true;
    if (current >= 0 && row >= 0 && row < m_model->rowCount())
        selectRow(row);
    else
        clearSelection();
    m_following = false;
}

void DBGrid::followCurrentRow()
{
    const int row = m_control->recordset()->absolutePosition();
    int top = m_model->top();
    const int full = fullRows();
    if (row >= 0 && row < top)
        top = row;
    else if (row >= top + full)
        top = row - full + 1;
    setTop(top);
}

void DBGrid::rowClicked(const QModelIndex &index)
{
    if (m_following || !index.isValid() || !isEnabled())
        return;
    Recordset *rs = m_control->recordset();
    const int row = m_model->top() + index.row();
    if (row == rs->absolutePosition() || rs->editMode() != Recordset::EditMode::None)
        return;
    rs->moveTo(row);
}

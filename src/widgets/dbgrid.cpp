#include "dbgrid.h"

#include "datacontrol.h"
#include "remembered.h"
#include "data/recordset.h"
#include "rules/fieldrules.h"

#include <QEvent>
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
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) { columnResized(column, width); });
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
    m_kept.clear();
    if (m_model)
        m_model->setColumns(m_captions, m_fields);
}

void DBGrid::setDataControl(DataControl *control)
{
    m_control = control;
    m_model = new RecordsetModel(control->recordset(), this);
    m_model->setCapacity(fullRows());
    m_model->setColumns(m_captions, m_fields);
    setModel(m_model);
    connect(control, &DataControl::rowShown, this, &DBGrid::followCurrentRow);
    // New rows bring new content to measure; moving the window over the set
    // does not, so that the columns stay put while the operator scrolls.
    connect(m_model, &QAbstractItemModel::modelReset, this, &DBGrid::fitColumns);
    connect(m_model, &QAbstractItemModel::rowsInserted, this, &DBGrid::fitColumns);
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
    if (viewport()->width() != m_fittedWidth)
        fitColumns();
}

bool DBGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == horizontalHeader()->viewport()) {
        if (event->type() == QEvent::MouseButtonPress)
            m_dragging = true;
        else if (event->type() == QEvent::MouseButtonRelease)
            m_dragging = false;
    }
    return QTableView::eventFilter(watched, event);
}

QString DBGrid::widthKey(int column) const
{
    return QStringLiteral("grids/%1/%2/%3")
        .arg(window()->objectName(), objectName(), m_fields.value(column));
}

void DBGrid::columnResized(int column, int width)
{
    if (m_fitting || !m_dragging)
        return;
    Remembered::setValue(widthKey(column), width);
    m_kept[column] = width;
    fitColumns();
}

void DBGrid::fitColumns()
{
    if (!m_model || m_fitting)
        return;
    QHeaderView *header = horizontalHeader();
    const int columns = m_model->columnCount();
    // Read once: the settings are a file, and the columns are fitted often.
    if (m_kept.size() != columns) {
        m_kept.clear();
        for (int c = 0; c < columns; ++c)
            m_kept << Remembered::value(widthKey(c)).toInt();
    }
    const QList<int> &kept = m_kept;
    QList<int> wanted(columns), content(columns);
    int room = viewport()->width();
    int total = 0;
    int weights = 0;
    for (int c = 0; c < columns; ++c) {
        if (kept[c] > 0) {
            room -= kept[c];
            continue;
        }
        content[c] = qMax(1, sizeHintForColumn(c));
        wanted[c] = qMax(header->sectionSizeHint(c), content[c]);
        total += wanted[c];
        weights += content[c];
    }
    // Room to spare goes by content, so that a one-letter column stays narrow;
    // too little shrinks the columns down to their headings, and the grid scrolls.
    int extra = room - total;
    m_fitting = true;
    for (int c = 0; c < columns; ++c) {
        if (kept[c] > 0) {
            header->resizeSection(c, kept[c]);
        } else if (extra >= 0) {
            const int more = int(qint64(extra) * content[c] / weights);
            header->resizeSection(c, wanted[c] + more);
            extra -= more;
            weights -= content[c];
        } else {
            const int share = int(qint64(wanted[c]) * qMax(0, room) / total);
            header->resizeSection(c, qMax(header->sectionSizeHint(c), share));
        }
    }
    m_fitting = false;
    m_fittedWidth = viewport()->width();
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
    // A current row in sight stays in sight however the grid shrinks.
    const int current = m_control->recordset()->absolutePosition();
    const bool shown = current >= m_model->top()
                       && current < m_model->top() + m_model->rowCount();
    m_model->setCapacity(fullRows());
    m_control->setPageRows(fullRows());
    if (shown)
        followCurrentRow();
    else
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

#include "dbgrid.h"

#include "datacontrol.h"
#include "recordset.h"

#include <QHeaderView>
#include <QLocale>

RecordsetModel::RecordsetModel(Recordset *recordset, QObject *parent)
    : QAbstractTableModel(parent)
    , m_recordset(recordset)
{
    connect(recordset, &Recordset::aboutToReset, this, [this] { beginResetModel(); });
    connect(recordset, &Recordset::wasReset, this, [this] { endResetModel(); });
    connect(recordset, &Recordset::aboutToAppend, this,
            [this](int row) { beginInsertRows({}, row, row); });
    connect(recordset, &Recordset::appended, this, [this] { endInsertRows(); });
    connect(recordset, &Recordset::aboutToRemove, this,
            [this](int row) { beginRemoveRows({}, row, row); });
    connect(recordset, &Recordset::removed, this, [this] { endRemoveRows(); });
    connect(recordset, &Recordset::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, int(m_fields.size()) - 1));
    });
}

void RecordsetModel::setColumns(const QStringList &captions, const QStringList &fields)
{
    beginResetModel();
    m_captions = captions;
    m_fields = fields;
    endResetModel();
}

int RecordsetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_recordset->recordCount();
}

int RecordsetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_fields.size());
}

QVariant RecordsetModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    const int column = m_recordset->fieldIndex(m_fields.value(index.column()));
    if (column < 0)
        return {};
    const QVariant value = m_recordset->valueAt(index.row(), column);
    // An empty flag counts as not true, as the screens' status texts read it.
    if (m_recordset->fieldType(column) == Catalogue::FieldType::Boolean)
        return value.toBool() ? QStringLiteral("Da") : QStringLiteral("Nu");
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return QString::number(value.toDouble(), 'g', QLocale::FloatingPointShortest);
    return value.toString();
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
    verticalHeader()->hide();
    // Fixed heights let the view place a million rows without measuring them.
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
    m_model->setColumns(m_captions, m_fields);
    setModel(m_model);
    connect(control, &DataControl::rowShown, this, &DBGrid::followCurrentRow);
}

void DBGrid::followCurrentRow()
{
    const int row = m_control->recordset()->absolutePosition();
    m_following = true;
    if (row < 0) {
        clearSelection();
    } else {
        selectRow(row);
        scrollTo(m_model->index(row, 0));
    }
    m_following = false;
}

void DBGrid::rowClicked(const QModelIndex &index)
{
    if (m_following || !index.isValid() || !isEnabled())
        return;
    Recordset *rs = m_control->recordset();
    if (index.row() == rs->absolutePosition() || rs->editMode() != Recordset::EditMode::None)
        return;
    rs->moveTo(index.row());
}

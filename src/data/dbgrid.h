#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

class DataControl;
class Recordset;

// The rows of a record set for a view, read only as the view asks for them.
class RecordsetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    RecordsetModel(Recordset *recordset, QObject *parent = nullptr);

    void setColumns(const QStringList &captions, const QStringList &fields);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    Recordset *m_recordset;
    QStringList m_captions;
    QStringList m_fields;
};

// The read-only list of a data screen. Its columns come from the form
// ("captions" and "fields"); it follows the current row of its data control
// and, when enabled, a click on a row makes that row current.
class DBGrid : public QTableView
{
    Q_OBJECT
    Q_PROPERTY(QStringList captions READ captions WRITE setCaptions)
    Q_PROPERTY(QStringList fields READ fields WRITE setFields)

public:
    explicit DBGrid(QWidget *parent = nullptr);

    QStringList captions() const { return m_captions; }
    void setCaptions(const QStringList &captions);
    QStringList fields() const { return m_fields; }
    void setFields(const QStringList &fields);

    void setDataControl(DataControl *control);

private:
    void followCurrentRow();
    void rowClicked(const QModelIndex &index);

    DataControl *m_control = nullptr;
    RecordsetModel *m_model = nullptr;
    QStringList m_captions;
    QStringList m_fields;
    bool m_following = false;
};

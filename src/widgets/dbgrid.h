#pragma once

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

class DataControl;
class Recordset;

// A window of a record set for a view: the rows from top() on that the view
// has room for. The view never learns the set's size, so nothing it keeps
// grows with the set, and a set of a million rows costs what a page costs.
class RecordsetModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    RecordsetModel(Recordset *recordset, QObject *parent = nullptr);

    void setColumns(const QStringList &captions, const QStringList &fields);
    // The set's position of the window's first row, and how many rows it may hold.
    int top() const { return m_top; }
    void setTop(int top);
    void setCapacity(int rows);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    void fit();
    void rowAboutToGo(int row);
    void rowGone();

    Recordset *m_recordset;
    QStringList m_captions;
    QStringList m_fields;
    int m_top = 0;
    int m_rows = 0;
    int m_capacity = 1;
    bool m_removing = false;
};

// The read-only list of a data screen. Its columns come from the form
// ("captions" and "fields"); it follows the current row of its data control
// and, when enabled, a click on a row makes that row current. Its scroll bar
// runs over the whole set while the view holds only the rows it shows.
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

    // The set's position of the view's first row: view row r shows record topRecord() + r.
    int topRecord() const { return m_model ? m_model->top() : 0; }

protected:
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The columns share the grid's width in proportion to what their
    // headings and shown rows need; a width the operator dragged is kept,
    // and remembered for the next time the screen opens.
    void fitColumns();
    QString widthKey(int column) const;
    void columnResized(int column, int width);

    int fullRows() const;
    void syncWindow();
    void setTop(int top);
    void selectCurrent();
    void followCurrentRow();
    void rowClicked(const QModelIndex &index);

    DataControl *m_control = nullptr;
    RecordsetModel *m_model = nullptr;
    QStringList m_captions;
    QStringList m_fields;
    bool m_following = false;
    bool m_adjusting = false;
    bool m_dragging = false;
    bool m_fitting = false;
    int m_fittedWidth = -1;
    QList<int> m_kept; // the dragged widths, 0 for a column fitted to its content
};

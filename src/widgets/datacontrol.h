#pragma once

#include "data/dataerror.h"
#include "data/recordset.h"

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>

class Database;
class QLabel;
class QLineEdit;
class QToolButton;

// The navigation bar of a data screen: four arrows around the record counter,
// owning the record set that the screen's boxes and grid are bound to.
// A box is bound by giving it a "dataField" property in the form.
class DataControl : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
    Q_PROPERTY(QString recordSource READ recordSource WRITE setRecordSource)
    Q_PROPERTY(QString databaseName READ databaseName WRITE setDatabaseName)

public:
    explicit DataControl(QWidget *parent = nullptr);
    ~DataControl() override;

    QString caption() const;
    void setCaption(const QString &caption);
    QString recordSource() const { return m_recordSource; }
    void setRecordSource(const QString &source) { m_recordSource = source; }
    QString databaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &name);

    Recordset *recordset() const { return m_recordset; }
    // Runs the record source anew; its first row becomes current. Raises
    // reposition also for an empty set. False, with lastError(), on failure.
    bool refresh();
    const DataError &lastError() const { return m_error; }

    // Binds every child of the form that has a "dataField" property.
    void bindBoxes(QWidget *form);
    void bind(QWidget *box, const QString &field);

    // The record counter: position plus one, "/", count; 0/0 when empty.
    QString counterText() const;

    // Lets the operator type a record number over the counter (a click on it
    // does the same); Enter moves there as an arrow would, anything else is
    // refused and the counter stays.
    void editPosition();
    // Page Up and Page Down move by the rows the grid shows whole.
    void setPageRows(int rows) { m_pageRows = qMax(1, rows); }
    // The moves and the jump above are the bar's actions(), with their keys,
    // for a screen's menu to list.

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

signals:
    void reposition();
    // The bound boxes show another row or another state of it; the grid follows.
    void rowShown();
    void failed(const DataError &error);

private:
    void onChanged(Recordset::Change change);
    void showRow();
    void writeBoxes();
    void move(bool (Recordset::*op)());
    void moveBy(int rows);
    bool browsing() const;
    void addKey(const QString &text, const QKeySequence &key,
                const std::function<void()> &action);
    void endPositionEdit(bool accept);

    struct Binding
    {
        QPointer<QWidget> box;
        QString field;
        QString shown;
    };

    QLabel *m_caption;
    QLineEdit *m_position;
    int m_pageRows = 1;
    QList<QToolButton *> m_arrows;
    QString m_recordSource;
    QString m_databaseName = QStringLiteral("Zavoni.mdb");
    std::unique_ptr<Database> m_db;
    QString m_openName;
    Recordset *m_recordset;
    QList<Binding> m_bindings;
    DataError m_error;
    bool m_refreshing = false;
};

#pragma once

#include "data/personsearch.h"
#include "widgets/findbar.h"

#include <QObject>

#include <memory>
#include <optional>

class Database;
class DataControl;
class DBGrid;
class QAction;

// Finding and sorting in a screen's list of persons. Ctrl+F opens the find
// strip below the designed controls (the window grows by its height while it
// shows), F3 and Shift+F3 go on; a match becomes the current row as an arrow
// move makes it. A click on a name column's heading sorts the list in
// Romanian order, a second reverses it, a third returns to the register's
// order; finding follows the order in force. The persons list is searched
// and sorted in the register, however long; a short list (the accomplices of
// an offence) row by row.
class ListCommands : public QObject
{
    Q_OBJECT

public:
    enum class Scope { Register, Rows };

    // columns: the fields searched, the CNP first (matched from its start).
    ListCommands(QWidget *screen, DataControl *data, DBGrid *grid, Scope scope,
               const QStringList &columns);
    ~ListCommands() override;

    FindBar *bar() const { return m_bar; }
    const PersonSearch::Order &order() const { return m_order; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void open();
    void close();
    void find(const QString &text, FindBar::Step step);
    // The row of the next match and whether the search went past an end.
    std::optional<int> findInRows(const QStringList &terms, FindBar::Step step, bool *wrapped);
    std::optional<int> findInRegister(const QStringList &terms, FindBar::Step step,
                                      bool *wrapped);
    PersonSearch *search();
    QString sexInForce() const;
    void followData();
    void headingClicked(int section);

    QWidget *m_screen;
    DataControl *m_data;
    DBGrid *m_grid;
    Scope m_scope;
    QStringList m_columns;
    PersonSearch::Order m_order;
    FindBar *m_bar;
    bool m_unavailable;
    QList<QAction *> m_actions;
    std::unique_ptr<Database> m_db;
    std::unique_ptr<PersonSearch> m_search;
};

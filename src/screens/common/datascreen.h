#pragma once

#include "screen.h"

class DBGrid;
class DataControl;
class QLabel;
class Recordset;

// A screen over one record set: its navigation bar Data1 owns the set, its
// grid DBGrid1 lists it, its boxes edit one row at a time. What the four data
// screens do alike is here: the edit mode read from the record set, the way
// into it, "Anulează", "Înapoi" and the question of "Sterge". Each screen
// says in its EnterEditMode and LeaveEditMode which of its controls change.
class DataScreen : public Screen
{
    Q_OBJECT

public:
    using Screen::Screen;

protected:
    // Binds the grid to the navigation bar, and "Anulează" and "Înapoi" (the
    // Esc button) to their handlers.
    void setUpData(DataControl *data, DBGrid *grid, QAbstractButton *cancel,
                   QAbstractButton *back);

    DataControl *data() const { return m_data; }
    Recordset *recordset() const;
    // True while a row is being added or changed.
    bool isEditing() const;
    // The navigation bar's caption becomes the record counter.
    void showCounter();

    // "Adaugă" and "Modifică": edit mode, then a new row or the current one
    // opened. When the record set refuses, the operator is told why with the
    // failure text and the screen browses again; false then.
    bool startAdding(const QString &failure);
    bool startChanging(const QString &failure);
    // "Sterge": asks the question; true once the current row is deleted. A
    // deletion the register refuses is reported with the failure text.
    bool askAndDelete(const QString &question, const QString &failure);

    // Form_Load of the screens above the persons screen: the ten value labels
    // of their person header repeat what the persons screen shows.
    void showPersonHeader(const QList<QLabel *> &labels);

    void closeEvent(QCloseEvent *event) override;

private:
    virtual void EnterEditMode() = 0;
    virtual void LeaveEditMode() = 0;

    bool startEditing(bool (Recordset::*openRow)(), const QString &failure);

    void Command4_Click(); // "Anulează"
    void Command6_Click(); // "Înapoi"

    DataControl *m_data = nullptr;
};

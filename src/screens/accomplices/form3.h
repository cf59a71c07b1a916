#pragma once

#include "screens/common/personboxes.h"
#include "screens/common/screen.h"

#include <memory>

class Database;
class QLineEdit;
class QPushButton;
class Recordset;
struct DataError;

namespace Ui {
class Form3;
}

// The accomplices of the offence current on the offences screen. An accomplice
// is stored once under its CNP and linked to each of its offences by a row of
// the link table, which this screen writes through a database object of its own.
class Form3 : public Screen
{
    Q_OBJECT

public:
    explicit Form3(Navigator *navigator, QWidget *parent = nullptr);
    ~Form3() override;

    void formLoad() override;
    void formActivate() override;
    void Data1_Reposition();
    void Text11_Change();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();

protected:
    bool isEditing() const override;

private:
    void EnterEditMode();
    void LeaveEditMode();

    QString offenceCode() const;
    void showFilter(const QString &condition, QPushButton *pressed);
    void setCounter();
    void saveFailed(const DataError &error);

    std::unique_ptr<Ui::Form3> m_ui;
    PersonBoxes m_person;
    // Declared before the link record set, which runs its statements on it.
    std::unique_ptr<Database> m_screenDb;
    std::unique_ptr<Recordset> m_linkRecordset;
    bool m_isAdding = false;
};

#pragma once

#include "screens/common/personboxes.h"
#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form2;
}

class QLineEdit;
class QPushButton;
class Recordset;

// The persons register: the list of recorded persons with their identity and
// address, the sex filters, and the editing of one person at a time.
class Form2 : public Screen
{
    Q_OBJECT

public:
    explicit Form2(Navigator *navigator, QWidget *parent = nullptr);
    ~Form2() override;

    void Data1_Reposition();
    void Text13_Change();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command9_Click();
    void Command11_Click();
    void Command12_Click();
    void Command13_Click();

protected:
    void formLoad() override;
    bool isEditing() const override;

private:
    void EnterEditMode();
    void LeaveEditMode();

    Recordset *recordset() const;
    void applyFilter(QPushButton *own, const QString &source);
    void setRecordControlsEnabled(bool enabled);
    void saveFailed();

    std::unique_ptr<Ui::Form2> m_ui;
    PersonBoxes m_person;
};

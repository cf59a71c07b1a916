#pragma once

#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form4;
}

class Recordset;

// The press articles written about the offence that is current on the
// offences screen below.
class Form4 : public Screen
{
    Q_OBJECT

public:
    explicit Form4(Navigator *navigator, QWidget *parent = nullptr);
    ~Form4() override;

    void formActivate() override;

    void Data1_Reposition();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();

protected:
    void formLoad() override;
    bool isEditing() const override;

private:
    void EnterEditMode();
    void LeaveEditMode();

    Recordset *recordset() const;
    bool hasRows() const;

    std::unique_ptr<Ui::Form4> m_ui;
};

#pragma once

#include "screens/common/datascreen.h"

#include <memory>

namespace Ui {
class Form4;
}

// The press articles written about the offence that is current on the
// offences screen below.
class Form4 : public DataScreen
{
    Q_OBJECT

public:
    explicit Form4(Navigator *navigator, QWidget *parent = nullptr);
    ~Form4() override;

private:
    void formLoad() override; // Form_Load
    void formActivate() override; // Form_Activate
    void Data1_Reposition(); // another row is current
    void Command1_Click(); // "Adaugă"
    void Command2_Click(); // "Modifică"
    void Command3_Click(); // "Salvează"
    void Command5_Click(); // "Sterge"
    void EnterEditMode() override;
    void LeaveEditMode() override;

    bool hasRows() const;

    std::unique_ptr<Ui::Form4> m_ui;
};

#pragma once

#include "screens/common/datascreen.h"
#include "screens/common/personboxes.h"

#include <memory>

namespace Ui {
class Form2;
}

class ListCommands;
class QPushButton;

// The persons register: the list of recorded persons with their identity and
// address, the sex filters, and the editing of one person at a time.
class Form2 : public DataScreen
{
    Q_OBJECT

public:
    explicit Form2(Navigator *navigator, QWidget *parent = nullptr);
    ~Form2() override;

    // What the screens above repeat in their person header, as shown now:
    // CNP, name, initial, first name, sex, identity card series and number,
    // the two nicknames, birth date.
    QStringList shownPerson() const;

private:
    void formLoad() override; // Form_Load
    void Data1_Reposition(); // another row is current
    void Text13_Change(); // "Localitatea" typed or shown
    void Command1_Click(); // "Adaugă"
    void Command2_Click(); // "Modifică"
    void Command3_Click(); // "Salvează"
    void Command5_Click(); // "Sterge"
    void Command9_Click(); // "Infractiuni comise"
    void Command11_Click(); // "Zavonii de sex feminin"
    void Command12_Click(); // "Toti zavonii"
    void Command13_Click(); // "Zavonii de sex masculin"
    void EnterEditMode() override;
    void LeaveEditMode() override;

    void applyFilter(QPushButton *own, const QString &source);
    void setRecordControlsEnabled(bool enabled);
    void saveFailed();

    std::unique_ptr<Ui::Form2> m_ui;
    PersonBoxes m_person;
    ListCommands *m_list = nullptr;
};

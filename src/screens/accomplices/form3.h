#pragma once

#include "screens/common/datascreen.h"
#include "screens/common/personboxes.h"

#include <memory>

class ListCommands;
class QPushButton;
struct DataError;

namespace Ui {
class Form3;
}

// The accomplices of the offence current on the offences screen. An accomplice
// is stored once under its CNP and linked to each of its offences by a row of
// the link table, which this screen writes with the accomplice, in one transaction.
class Form3 : public DataScreen
{
    Q_OBJECT

public:
    explicit Form3(Navigator *navigator, QWidget *parent = nullptr);
    ~Form3() override;

private:
    void formLoad() override; // Form_Load
    void formActivate() override; // Form_Activate
    void Data1_Reposition(); // another row is current
    void Text11_Change(); // "Localitatea" typed or shown
    void Command1_Click(); // "Adaugă"
    void Command2_Click(); // "Modifică"
    void Command3_Click(); // "Salvează"
    void Command5_Click(); // "Sterge"
    void Command7_Click(); // "Femei"
    void Command8_Click(); // "Bărbati"
    void Command9_Click(); // "Toti"
    void EnterEditMode() override;
    void LeaveEditMode() override;

    QString offenceKey() const;
    void showFilter(const QString &condition, QPushButton *pressed);
    bool prepareLink(bool linkReady);
    void saveFailed(const DataError &error);

    std::unique_ptr<Ui::Form3> m_ui;
    PersonBoxes m_person;
    ListCommands *m_list = nullptr;
    std::unique_ptr<Recordset> m_linkRecordset;
    bool m_isAdding = false;
};

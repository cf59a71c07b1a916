#pragma once

#include "screens/common/datascreen.h"

#include <memory>

namespace Ui {
class Form5;
}

class QLabel;

// The offences of the person shown on the persons screen: the list, the
// current offence with its penalty, and its editing.
class Form5 : public DataScreen
{
    Q_OBJECT

public:
    explicit Form5(Navigator *navigator, QWidget *parent = nullptr);
    ~Form5() override;

    // What the accomplices and articles screens read of the current offence:
    // its code as stored (no value when no offence is current) and its type.
    QVariant offenceCode() const;
    QString offenceText() const;

private:
    enum class Penalty { Fine, Detention, Other };

    void formLoad() override; // Form_Load
    void formActivate() override; // Form_Activate
    void Data1_Reposition(); // another row is current
    void Option1_Click(); // "Amendă"
    void Option2_Click(); // "Detentie"
    void Option3_Click(); // "Altă sanctiune"
    void Command1_Click(); // "Adaugă"
    void Command2_Click(); // "Modifică"
    void Command3_Click(); // "Salvează"
    void Command5_Click(); // "Sterge"
    void Command7_Click(); // "Complici"
    void Command8_Click(); // "Articole"
    void EnterEditMode() override;
    void LeaveEditMode() override;

    void setInputsLocked(bool locked);
    // The boxes of the chosen penalty kind are enabled, the others disabled.
    void enablePenaltyBoxes(Penalty penalty);
    void choosePenalty(Penalty penalty, bool presetStartDate);
    void showPenalty(const QString &code);
    void showEmptySet();
    // The first failing check of "Salvează" puts its message up; false then.
    bool checkOffence();
    void fail(const QString &text, const QString &title, QWidget *box);
    void setStatus(QLabel *label, const QString &text);

    std::unique_ptr<Ui::Form5> m_ui;
    // The penalty kind the operator (or the shown offence) chose last: what
    // "Salvează" stores, whichever option is shown.
    QString m_codPedeapsa;
};

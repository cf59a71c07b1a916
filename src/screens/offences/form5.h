#pragma once

#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form5;
}

class QLabel;

// The offences of the person shown on the persons screen: the list, the
// current offence with its penalty, and its editing.
class Form5 : public Screen
{
    Q_OBJECT

public:
    explicit Form5(Navigator *navigator, QWidget *parent = nullptr);
    ~Form5() override;

    void formActivate() override;
    void Data1_Reposition();

    void Option1_Click();
    void Option2_Click();
    void Option3_Click();

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();

protected:
    void formLoad() override;
    bool isEditing() const override;

private:
    enum class Penalty { Fine, Detention, Other };

    void EnterEditMode();
    void LeaveEditMode();
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

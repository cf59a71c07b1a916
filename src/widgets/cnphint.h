#pragma once

#include "rules/cnpcheck.h"

#include <QLabel>
#include <QPointer>

class QComboBox;
class QLineEdit;

// A small mark beside a CNP box: a tick when the code is a valid CNP, a
// warning sign when it is not or when the sex or birth date shown disagree
// with it. The reasons are in its tool tip; it never asks anything and never
// stops a save.
class CnpHint : public QLabel
{
    Q_OBJECT

public:
    explicit CnpHint(QWidget *parent = nullptr);

    // Follows the boxes as they change; sex and birthDate may be null.
    void watch(QLineEdit *cnp, QComboBox *sex = nullptr, QLineEdit *birthDate = nullptr);
    // Checks the boxes again, for a screen that fills them without a signal.
    void refresh();

    const CnpCheck::Verdict &verdict() const { return m_verdict; }

private:
    void display(const CnpCheck::Verdict &verdict);

    QPointer<QLineEdit> m_cnp;
    QPointer<QComboBox> m_sex;
    QPointer<QLineEdit> m_birthDate;
    CnpCheck::Verdict m_verdict;
    QPixmap m_fineMark;
    QPixmap m_faultMark;
};

#include "cnphint.h"

#include <QComboBox>
#include <QLineEdit>
#include <QStyle>

CnpHint::CnpHint(QWidget *parent)
    : QLabel(parent)
{
    setObjectName(QStringLiteral("CnpHint"));
    setAccessibleName(QStringLiteral("Verificarea CNP-ului"));
    setFixedSize(16, 16);
    setAlignment(Qt::AlignCenter);
}

void CnpHint::watch(QLineEdit *cnp, QComboBox *sex, QLineEdit *birthDate)
{
    m_cnp = cnp;
    m_sex = sex;
    m_birthDate = birthDate;
    connect(cnp, &QLineEdit::textChanged, this, &CnpHint::refresh);
    if (sex)
        connect(sex, &QComboBox::currentTextChanged, this, &CnpHint::refresh);
    if (birthDate)
        connect(birthDate, &QLineEdit::textChanged, this, &CnpHint::refresh);
    refresh();
}

void CnpHint::refresh()
{
    if (!m_cnp)
        return;
    display(CnpCheck::check(m_cnp->text(), m_sex ? m_sex->currentText() : QString(),
                         m_birthDate ? m_birthDate->text() : QString()));
}

void CnpHint::display(const CnpCheck::Verdict &verdict)
{
    m_verdict = verdict;
    const QString text = verdict.describe();
    setToolTip(text);
    setAccessibleDescription(text);
    if (verdict.empty) {
        clear();
        return;
    }
    // Every move through the list comes here: the mark is drawn once a kind.
    const bool fine = verdict.valid() && verdict.disagreements.isEmpty();
    QPixmap &mark = fine ? m_fineMark : m_faultMark;
    if (mark.isNull())
        mark = style()->standardIcon(fine ? QStyle::SP_DialogApplyButton
                                          : QStyle::SP_MessageBoxWarning).pixmap(16, 16);
    if (pixmap().cacheKey() != mark.cacheKey())
        setPixmap(mark);
}

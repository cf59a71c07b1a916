#include "personboxes.h"

#include "lockablecombobox.h"
#include "messages.h"
#include "widgetrules.h"

#include "rules/fieldrules.h"
#include "widgets/cnphint.h"

#include <QLineEdit>

PersonBoxes::PersonBoxes(const QList<QLineEdit *> &boxes, LockableComboBox *sexList,
                         LockableComboBox *sectorList)
    : m_boxes(boxes)
    , m_sexList(sexList)
    , m_sectorList(sectorList)
{
}

void PersonBoxes::setLeaveRules(const QList<QLineEdit *> &trimmedOnly)
{
    // A CNP is a key of 13 characters: a number written out longer is refused.
    WidgetRules::onLeave(m_boxes.at(Cnp), FieldRules::cnpForm, QStringLiteral("Cheia primară."));
    for (QLineEdit *box : m_boxes) {
        if (trimmedOnly.contains(box))
            WidgetRules::onLeave(box, FieldRules::trim);
        else if (box != m_boxes.at(Cnp) && box != m_boxes.at(BirthDate))
            WidgetRules::onLeave(box, FieldRules::trimUpper);
    }
}

void PersonBoxes::addCnpHint(bool againstShown)
{
    QLineEdit *cnp = m_boxes.at(Cnp);
    auto *hint = new CnpHint(cnp->parentWidget());
    const QRect box = cnp->geometry();
    hint->move(box.right() + 3, box.center().y() - hint->height() / 2);
    hint->watch(cnp, againstShown ? m_sexList : nullptr,
                againstShown ? m_boxes.at(BirthDate) : nullptr);
    hint->show();
}

void PersonBoxes::fillLists()
{
    m_sexList->addItems({QStringLiteral("M"), QStringLiteral("F")});
    m_sexList->setListText(QStringLiteral("M"));
    for (int sector = 1; sector <= 6; ++sector)
        m_sectorList->addItem(QString::number(sector));
    m_sectorList->setListText(QStringLiteral("1"));
}

void PersonBoxes::presetLists()
{
    m_sexList->setListText(QStringLiteral("M"));
    m_sectorList->setListText(QStringLiteral("1"));
}

void PersonBoxes::setLocked(bool locked)
{
    for (QLineEdit *box : m_boxes)
        box->setReadOnly(locked);
    m_sexList->setLocked(locked);
    m_sectorList->setLocked(locked);
}

bool PersonBoxes::cnpAccepted(QWidget *screen) const
{
    QLineEdit *cnpBox = m_boxes.at(Cnp);
    const QString cnp = cnpBox->text();
    if (cnp.isEmpty()) {
        Messages::ok(screen, QStringLiteral("Obligatoriu trebuie specificat CNP-ul !"),
                     QStringLiteral("Cheia primară."), Messages::Icon::Critical);
        cnpBox->setFocus();
        return false;
    }
    // Only the length: the box itself keeps the CNP a number.
    if (cnp.size() < 13) {
        Messages::ok(screen,
                     QStringLiteral("Codul Numeric Personal (CNP) trebuie să contină 13 "
                                    "caractere."),
                     QStringLiteral("Cheia primară."), Messages::Icon::Exclamation);
        cnpBox->setFocus();
        return false;
    }
    return true;
}

bool PersonBoxes::namesGiven(QWidget *screen) const
{
    for (const Box name : {Surname, FirstName, Nickname1, Nickname2}) {
        if (!m_boxes.at(name)->text().isEmpty())
            return true;
    }
    Messages::ok(screen,
                 QStringLiteral("Trebuie completat cel putin unul din câmpurile: NUME, "
                                "PRENUME, PORECLA 1, PORECLA 2."),
                 QStringLiteral("Date insuficiente."), Messages::Icon::Exclamation);
    m_boxes.at(Surname)->setFocus();
    return false;
}

#include "personchecks.h"

#include "rules/fieldrules.h"
#include "messages.h"

#include <QLineEdit>

namespace PersonChecks {

bool cnpAccepted(QWidget *screen, QLineEdit *cnpBox)
{
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

bool namesGiven(QWidget *screen, QLineEdit *surname, QLineEdit *firstName, QLineEdit *nickname1,
                QLineEdit *nickname2)
{
    for (const QLineEdit *box : {surname, firstName, nickname1, nickname2}) {
        if (!box->text().isEmpty())
            return true;
    }
    Messages::ok(screen,
                 QStringLiteral("Trebuie completat cel putin unul din câmpurile: NUME, "
                                "PRENUME, PORECLA 1, PORECLA 2."),
                 QStringLiteral("Date insuficiente."), Messages::Icon::Exclamation);
    surname->setFocus();
    return false;
}

bool hasSectors(const QString &locality)
{
    return FieldRules::trimUpper(locality) == QLatin1String("BUCURESTI");
}

} // namespace PersonChecks

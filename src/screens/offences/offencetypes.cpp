#include "offencetypes.h"

#include <QCollator>
#include <QComboBox>

namespace OffenceTypes {

QStringList all()
{
    return {
        QStringLiteral("UZ DE FALS"),
        QStringLiteral("FALS"),
        QStringLiteral("DARE DE MITĂ"),
        QStringLiteral("LUARE DE MITĂ"),
        QStringLiteral("CALOMNIE"),
        QStringLiteral("MĂRTURIE MINCINOASĂ"),
        QStringLiteral("ASCUNDEREA DOVEZILOR"),
        QStringLiteral("ABUZ ÎN FUNCTIE"),
        QStringLiteral("ÎNSELĂCIUNE"),
        QStringLiteral("DAUNE MATERIALE"),
        QStringLiteral("DAUNE MORALE"),
        QStringLiteral("FURT"),
        QStringLiteral("DETURNARE DE FONDURI"),
        QStringLiteral("SUSTRAGERE INFORMATII"),
        QStringLiteral("CRIMĂ"),
        QStringLiteral("TENTATIVĂ DE CRIMĂ"),
        QStringLiteral("TULBURAREA LINISTII PUBLICE"),
    };
}

void addSorted(QComboBox *list, const QString &text)
{
    static const QCollator collator(QLocale(QLocale::Romanian, QLocale::Romania));
    int at = 0;
    while (at < list->count() && collator.compare(list->itemText(at), text) <= 0)
        ++at;
    list->insertItem(at, text);
}

} // namespace OffenceTypes

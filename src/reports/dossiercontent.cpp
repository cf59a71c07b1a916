#include "dossiercontent.h"

#include "data/database.h"

#include <QLocale>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <utility>

namespace {

using Kind = DossierItem::Kind;

// The persons screen's captions, beside the fields they caption there.
const QList<std::pair<const char *, QString>> IdentityFields = {
    {"CNP_C", QStringLiteral("C.N.P.:")},
    {"Serie_buletin", QStringLiteral("Serie buletin:")},
    {"Numar_buletin", QStringLiteral("Număr buletin:")},
    {"Nume", QStringLiteral("Nume:")},
    {"Initiala", QStringLiteral("Initială:")},
    {"Prenume", QStringLiteral("Prenume:")},
    {"Porecla1", QStringLiteral("Poreclă 1:")},
    {"Porecla2", QStringLiteral("Poreclă 2:")},
    {"Data_nasterii", QStringLiteral("Data nasterii:")},
    {"Functia", QStringLiteral("Functia:")},
    {"Profesia", QStringLiteral("Profesia:")},
    {"sex", QStringLiteral("Sex:")},
    {"Judet", QStringLiteral("Judetul:")},
    {"Localitate", QStringLiteral("Localitatea:")},
    {"sector", QStringLiteral("Sectorul:")},
    {"Strada", QStringLiteral("Strada:")},
    {"Numar", QStringLiteral("Numărul:")},
    {"Bloc", QStringLiteral("Blocul:")},
    {"Scara", QStringLiteral("Scara:")},
    {"Apartament", QStringLiteral("Apart.:")},
};

bool run(QSqlQuery &query, const QString &sql, const QVariant &key, DataError *error)
{
    query.setForwardOnly(true);
    query.prepare(sql);
    query.addBindValue(key);
    if (query.exec())
        return true;
    if (error)
        *error = DataError::fromSql(query.lastError());
    return false;
}

QString text(const QSqlQuery &query, const char *field)
{
    return query.value(QLatin1String(field)).toString().trimmed();
}

QString joined(const QStringList &parts, const QString &separator)
{
    QStringList kept;
    for (const QString &p : parts) {
        if (!p.isEmpty())
            kept << p;
    }
    return kept.join(separator);
}

QString prefixed(const QString &prefix, const QString &value)
{
    return value.isEmpty() ? value : prefix + value;
}

QString sector(const QVariant &value)
{
    return value.toInt() > 0 ? value.toString() : QString();
}

} // namespace

QString DossierContent::penaltyInWords(const QString &kind, const QString &fine,
                                       const QString &from, const QString &to, bool suspended,
                                       const QString &sanction)
{
    if (kind == QLatin1String("A")) {
        bool number = false;
        const qlonglong amount = fine.toLongLong(&number);
        const QString shown = number ? QLocale(QLocale::Romanian).toString(amount) : fine;
        return QStringLiteral("Amendă: %1 lei").arg(shown);
    }
    if (kind == QLatin1String("D")) {
        QString words = QStringLiteral("Detenție de la %1").arg(from);
        if (!to.isEmpty())
            words += QStringLiteral(" până la %1").arg(to);
        return suspended ? words + QStringLiteral(", cu suspendare") : words;
    }
    if (kind == QLatin1String("S"))
        return QStringLiteral("Altă sancțiune: %1").arg(sanction);
    return QStringLiteral("Nu este trecută.");
}

void DossierContent::add(DossierItem::Kind kind, const QString &caption, const QString &text)
{
    m_items.append({kind, caption, text});
}

bool DossierContent::read(Database &db, const QString &cnp, DataError *error)
{
    m_items.clear();
    QSqlQuery person(db.connection());
    if (!run(person, QStringLiteral("SELECT * FROM \"TBL_Zavoni\" WHERE \"CNP_C\" = ?"), cnp,
             error))
        return false;
    if (!person.next()) {
        if (error)
            *error = DataError::make(EngineError::NoCurrentRecord, cnp);
        return false;
    }
    m_title = QStringLiteral("Dosarul persoanei %1 (C.N.P. %2)")
                  .arg(joined({text(person, "Nume"), text(person, "Initiala"),
                               text(person, "Prenume")},
                              QStringLiteral(" ")),
                       cnp);
    add(Kind::Section, QStringLiteral("Date personale"));
    for (const auto &[field, caption] : IdentityFields) {
        const QVariant value = person.value(QLatin1String(field));
        add(Kind::Field, caption,
            qstrcmp(field, "sector") == 0 ? sector(value) : value.toString().trimmed());
    }
    return readOffences(db, cnp, error);
}

bool DossierContent::readOffences(Database &db, const QString &cnp, DataError *error)
{
    QSqlQuery offence(db.connection());
    if (!run(offence,
             QStringLiteral("SELECT * FROM \"TBL_Infractiuni\" WHERE \"CNP_C\" = ? "
                            "ORDER BY \"COD_infractiune\""),
             cnp, error))
        return false;
    int number = 0;
    while (offence.next()) {
        if (number == 0)
            add(Kind::Section, QStringLiteral("Infracțiuni"));
        add(Kind::Heading, QStringLiteral("Infracțiunea %1: %2")
                               .arg(++number)
                               .arg(text(offence, "Infractiune")));
        add(Kind::Field, QStringLiteral("Descriere:"), text(offence, "Descriere"));
        add(Kind::Field, QStringLiteral("Pedeapsa:"),
            penaltyInWords(text(offence, "Pedeapsa"), text(offence, "Amenda"),
                           text(offence, "Detenta1"), text(offence, "Detenta2"),
                           offence.value(QStringLiteral("Suspendare")).toBool(),
                           text(offence, "Sanctiune")));
        add(Kind::Field, QStringLiteral("Ispășită:"),
            offence.value(QStringLiteral("Ispasit")).toBool() ? QStringLiteral("Da")
                                                              : QStringLiteral("Nu"));
        const qint64 code = offence.value(QStringLiteral("COD_infractiune")).toLongLong();
        if (!readAccomplices(db, code, error) || !readArticles(db, code, error))
            return false;
    }
    if (number == 0)
        add(Kind::Section, QStringLiteral("Nu are infracțiuni înregistrate."));
    return true;
}

bool DossierContent::readAccomplices(Database &db, qint64 offence, DataError *error)
{
    QSqlQuery q(db.connection());
    if (!run(q,
             QStringLiteral("SELECT c.* FROM \"TBL_Complici\" c JOIN \"TBL_Complicitate\" l "
                            "ON c.\"CNP\" = l.\"CNP\" WHERE l.\"COD_INFRACTIUNE\" = ? "
                            "ORDER BY l.rowid"),
             offence, error))
        return false;
    const QString space = QStringLiteral(" "), comma = QStringLiteral(", ");
    bool first = true;
    while (q.next()) {
        if (std::exchange(first, false))
            add(Kind::Field, QStringLiteral("Complici:"));
        const QString names =
            joined({text(q, "Nume"), text(q, "Initiala"), text(q, "Prenume")}, space);
        const QString nicknames = joined({text(q, "Porecla1"), text(q, "Porecla2")}, comma);
        const QString address = joined(
            {text(q, "Judet"), text(q, "Localitate"),
             prefixed(QStringLiteral("sector "), sector(q.value(QStringLiteral("sector")))),
             joined({text(q, "Strada"), text(q, "Numar")}, space),
             prefixed(QStringLiteral("bl. "), text(q, "Bloc")),
             prefixed(QStringLiteral("sc. "), text(q, "Scara")),
             prefixed(QStringLiteral("ap. "), text(q, "Apartament"))},
            comma);
        QString line = QStringLiteral("C.N.P. %1, %2").arg(text(q, "CNP"), names);
        if (!nicknames.isEmpty())
            line += QStringLiteral(", zis %1").arg(nicknames);
        if (!address.isEmpty())
            line += QStringLiteral("; domiciliul: %1").arg(address);
        add(Kind::Paragraph, {}, line);
    }
    return true;
}

bool DossierContent::readArticles(Database &db, qint64 offence, DataError *error)
{
    QSqlQuery q(db.connection());
    if (!run(q,
             QStringLiteral("SELECT * FROM \"TBL_Articole\" WHERE \"Cod_infractiune\" = ? "
                            "ORDER BY rowid"),
             offence, error))
        return false;
    bool first = true;
    while (q.next()) {
        if (std::exchange(first, false))
            add(Kind::Field, QStringLiteral("Articole:"));
        const QString source = joined({text(q, "Publicatie"), text(q, "Autor"),
                                       text(q, "Data_aparitiei")},
                                      QStringLiteral(", "));
        add(Kind::Paragraph, {}, source + QStringLiteral(": ") + text(q, "Articol"));
    }
    return true;
}

#pragma once

#include <QString>

// The record-source texts the screens compose. A key is appended directly:
// a CNP between double quotes, an offence code as bare digits.
namespace SourceTexts {

inline const QString Persons = QStringLiteral("TBL_Zavoni");
inline const QString PersonsWomen = QStringLiteral("Q_Zavonii_de_sex_feminin");
inline const QString PersonsMen = QStringLiteral("Q_Zavonii_de_sex_masculin");

inline const QString OffencesOfPerson = QStringLiteral(
    "SELECT TBL_Infractiuni.COD_infractiune, TBL_Infractiuni.CNP_C, "
    "TBL_Infractiuni.Infractiune, TBL_Infractiuni.Pedeapsa, TBL_Infractiuni.Amenda, "
    "TBL_Infractiuni.Detenta1, TBL_Infractiuni.Detenta2, TBL_Infractiuni.Sanctiune, "
    "TBL_Infractiuni.Descriere, TBL_Infractiuni.Suspendare, TBL_Infractiuni.Ispasit "
    "From TBL_Infractiuni WHERE (TBL_Infractiuni.CNP_C)=");

inline const QString AccomplicesOfOffence = QStringLiteral(
    "SELECT TBL_Complici.*, TBL_Complicitate.COD_INFRACTIUNE FROM TBL_Complici "
    "INNER JOIN TBL_Complicitate ON TBL_Complici.CNP = TBL_Complicitate.CNP "
    "WHERE TBL_Complicitate.COD_INFRACTIUNE=");
inline const QString AccomplicesSexFilter = QStringLiteral(" AND TBL_Complici.SEX=");

inline const QString ArticlesOfOffence = QStringLiteral(
    "SELECT TBL_Articole.Cod_infractiune, TBL_Articole.Publicatie, TBL_Articole.Autor, "
    "TBL_Articole.Data_aparitiei, TBL_Articole.Articol From TBL_Articole "
    "WHERE TBL_Articole.Cod_infractiune=");

inline QString quotedKey(const QString &key)
{
    QString doubled = key;
    doubled.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + doubled + QLatin1Char('"');
}

} // namespace SourceTexts

#pragma once

#include "catalogue.h"

#include <QString>

// The record-source texts the screens compose, and the only ones the data
// layer recognises. A key is appended directly: a CNP quoted as the catalogue
// quotes a name, an offence code as bare digits.
namespace SourceTexts {

inline const QString &Persons = Catalogue::Persons;
inline const QString &PersonsWomen = Catalogue::WomenQuery;
inline const QString &PersonsMen = Catalogue::MenQuery;

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
    return Catalogue::quoted(key);
}

} // namespace SourceTexts

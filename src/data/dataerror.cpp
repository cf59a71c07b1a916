#include "dataerror.h"

#include <QSqlError>

namespace {

QString standardText(int number)
{
    switch (number) {
    case EngineError::UpdateWithoutEdit:
        return QStringLiteral("Actualizare fără o adăugare sau o modificare începută.");
    case EngineError::NoCurrentRecord:
        return QStringLiteral("Nu există o înregistrare curentă.");
    case EngineError::DuplicateKey:
        return QStringLiteral("Valoare dublă într-un index unic sau într-o cheie primară.");
    case EngineError::FileNotFound:
        return QStringLiteral("Fisierul bazei de date nu a fost găsit sau nu poate fi deschis.");
    case EngineError::DiskFull:
        return QStringLiteral("Nu mai este spatiu pe disc.");
    case EngineError::ReadOnly:
        return QStringLiteral("Baza de date poate fi doar citită, nu si modificată.");
    case EngineError::DiskIo:
        return QStringLiteral("Eroare de disc la citirea sau la scrierea bazei de date.");
    case EngineError::KeyIsNull:
        return QStringLiteral("Cheia primară nu poate fi goală.");
    case EngineError::UnknownObject:
        return QStringLiteral("Tabelul sau interogarea nu există în baza de date.");
    case EngineError::Syntax:
        return QStringLiteral("Eroare de sintaxă în textul sursei de înregistrări.");
    case EngineError::ChangedMeanwhile:
        return QStringLiteral("Înregistrarea a fost modificată sau ștearsă de altcineva după ce "
                              "a fost afișată.");
    case EngineError::RelatedRecordRequired:
        return QStringLiteral("Înregistrarea cere o înregistrare înrudită care nu există.");
    case EngineError::Locked:
        return QStringLiteral("Baza de date este ocupată de un alt program.");
    case EngineError::UnknownField:
        return QStringLiteral("Câmpul nu există în sursa de înregistrări.");
    case EngineError::FieldIsNull:
        return QStringLiteral("Câmpul nu poate fi gol.");
    case EngineError::NotARegister:
        return QStringLiteral(
            "Fisierul nu este o bază de date a registrului sau este deteriorat.");
    case EngineError::TypeMismatch:
        return QStringLiteral("Valoarea nu se potriveste cu tipul câmpului.");
    default:
        return QStringLiteral("Eroare a bazei de date.");
    }
}

} // namespace

QString DataError::describe() const
{
    return QStringLiteral("Eroarea %1: %2").arg(number).arg(text);
}

DataError DataError::make(int number, const QString &detail)
{
    QString text = standardText(number);
    if (!detail.isEmpty())
        text += QLatin1Char(' ') + detail;
    return {number, text};
}

namespace {

int engineNumber(int code, const QString &message)
{
    using namespace SqliteCode;
    // Only a repeated CNP is a duplicate in the register's sense; any other
    // uniqueness failure must not be mistaken for it by the save handlers.
    if (code == PrimaryKey || code == Unique) {
        if (message.contains(QLatin1String("TBL_Zavoni.CNP_C"), Qt::CaseInsensitive)
            || message.contains(QLatin1String("TBL_Complici.CNP"), Qt::CaseInsensitive))
            return EngineError::DuplicateKey;
        return EngineError::Generic;
    }
    if (code == NotNull) {
        if (message.contains(QLatin1String(".CNP"), Qt::CaseInsensitive))
            return EngineError::KeyIsNull;
        return EngineError::FieldIsNull;
    }
    if (code == ForeignKey)
        return EngineError::RelatedRecordRequired;
    switch (code & 0xff) {
    case Busy:
    case Locked:
        return EngineError::Locked;
    case ReadOnly:
        return EngineError::ReadOnly;
    case IoError:
        return EngineError::DiskIo;
    case Full:
        return EngineError::DiskFull;
    case Corrupt:
    case NotADatabase:
        return EngineError::NotARegister;
    case CantOpen:
        return EngineError::FileNotFound;
    case Mismatch:
        return EngineError::TypeMismatch;
    default:
        return EngineError::Generic;
    }
}

} // namespace

DataError DataError::fromSql(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok);
    QString message = error.databaseText();
    if (message.isEmpty())
        message = error.driverText();
    return make(engineNumber(ok ? code : 1, message));
}

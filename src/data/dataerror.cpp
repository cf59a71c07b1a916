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
        return QStringLiteral("Fisierul bazei de date nu a fost găsit, a fost înlocuit "
                              "sau nu poate fi deschis.");
    case EngineError::DiskFull:
        return QStringLiteral("Nu mai este spatiu pe disc.");
    case EngineError::LoginRefused:
        return QStringLiteral("Parola sau utilizatorul nu sunt acceptate de server.");
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
    case EngineError::ConnectionLost:
        return QStringLiteral("Legătura cu serverul registrului s-a întrerupt sau nu a putut fi "
                              "stabilită.");
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

namespace {

// Only a repeated CNP is a duplicate in the register's sense, as on the file:
// a repeated link is another unique key's failure.
int serverNumber(const QString &state, const QString &message)
{
    if (state == QLatin1String("23505"))
        return message.contains(QLatin1String("tbl_zavoni_cnp_c_key"))
                       || message.contains(QLatin1String("tbl_complici_cnp_key"))
                   ? EngineError::DuplicateKey
                   : EngineError::Generic;
    if (state == QLatin1String("23502"))
        return message.contains(QLatin1String("\"cnp")) ? EngineError::KeyIsNull
                                                        : EngineError::FieldIsNull;
    if (state == QLatin1String("23503"))
        return EngineError::RelatedRecordRequired;
    if (state == QLatin1String("42501") || state == QLatin1String("25006"))
        return EngineError::ReadOnly;
    if (state == QLatin1String("53100"))
        return EngineError::DiskFull;
    if (state.startsWith(QLatin1String("22")))
        return EngineError::TypeMismatch;
    if (state == QLatin1String("55P03") || state.startsWith(QLatin1String("40")))
        return EngineError::Locked;
    if (state == QLatin1String("42P01") || state == QLatin1String("3F000"))
        return EngineError::NotARegister;
    // A refused login comes before any session, so libpq's own words are all
    // there is to know it by when the server asked a password none was given.
    if (state.startsWith(QLatin1String("28")) || message.contains(QLatin1String("fe_sendauth"))
        || message.contains(QLatin1String("password authentication failed")))
        return EngineError::LoginRefused;
    // Every answer of a server carries its state: none, or a connection
    // state, means the server was not reached or went away.
    if (state.isEmpty() || state.startsWith(QLatin1String("08"))
        || state.startsWith(QLatin1String("57P")) || state == QLatin1String("3D000"))
        return EngineError::ConnectionLost;
    return EngineError::Generic;
}

} // namespace

DataError DataError::fromServer(const QSqlError &error)
{
    const QString state = error.nativeErrorCode();
    const int number = serverNumber(state, error.databaseText());
    if (number == EngineError::ReadOnly)
        return make(number, QStringLiteral("Contul cu care v-ați conectat la server poate doar "
                                           "citi registrul: salvările și ștergerile îi sunt "
                                           "refuzate."));
    if (number == EngineError::LoginRefused)
        return make(number);
    if (number == EngineError::Generic || number == EngineError::NotARegister
        || number == EngineError::ConnectionLost) {
        const QString said = error.databaseText().isEmpty() ? error.driverText()
                                                            : error.databaseText();
        return make(number,
                    said.isEmpty() ? QString() : QStringLiteral("(%1)").arg(said.trimmed()));
    }
    return make(number);
}

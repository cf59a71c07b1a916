#include "recordsource.h"

#include "sourcetexts.h"

namespace {

using Kind = RecordSource::Kind;

DataError syntax(const QString &detail)
{
    return DataError::make(EngineError::Syntax, detail);
}

QString unexpectedAt(qsizetype at)
{
    return QStringLiteral("Text neașteptat la poziția %1.").arg(at + 1);
}

// A literal as Catalogue::quoted writes it: between double quotes, a quote
// inside it doubled. An empty literal is an empty text, not a missing value.
bool readQuoted(const QString &text, qsizetype *at, QString *value, DataError *error)
{
    qsizetype i = *at;
    if (i >= text.size() || text.at(i) != u'"') {
        *error = syntax(QStringLiteral("Se aștepta un text între ghilimele la poziția %1.")
                            .arg(i + 1));
        return false;
    }
    QString literal = QStringLiteral("");
    for (++i; i < text.size(); ++i) {
        if (text.at(i) != u'"') {
            literal += text.at(i);
        } else if (i + 1 < text.size() && text.at(i + 1) == u'"') {
            literal += u'"';
            ++i;
        } else {
            *at = i + 1;
            *value = literal;
            return true;
        }
    }
    *error = syntax(QStringLiteral("Text neînchis între ghilimele."));
    return false;
}

bool readCode(const QString &text, qsizetype *at, qint64 *code, DataError *error)
{
    qsizetype end = *at;
    while (end < text.size() && text.at(end) >= u'0' && text.at(end) <= u'9')
        ++end;
    bool ok = false;
    *code = QStringView(text).mid(*at, end - *at).toLongLong(&ok);
    if (!ok) {
        *error = syntax(QStringLiteral("Se aștepta codul infracțiunii, un număr întreg, "
                                       "la poziția %1.")
                            .arg(*at + 1));
        return false;
    }
    *at = end;
    return true;
}

bool readKey(const QString &text, qsizetype at, RecordSource *source, DataError *error)
{
    switch (source->kind) {
    case Kind::OffencesOfPerson:
        if (!readQuoted(text, &at, &source->cnp, error))
            return false;
        break;
    case Kind::AccomplicesOfOffence:
        if (!readCode(text, &at, &source->code, error))
            return false;
        if (QStringView(text).mid(at).startsWith(SourceTexts::AccomplicesSexFilter,
                                                 Qt::CaseInsensitive)) {
            at += SourceTexts::AccomplicesSexFilter.size();
            if (!readQuoted(text, &at, &source->sex.emplace(), error))
                return false;
        }
        break;
    case Kind::ArticlesOfOffence:
        if (!readCode(text, &at, &source->code, error))
            return false;
        break;
    case Kind::Whole:
        break;
    }
    if (at == text.size())
        return true;
    *error = syntax(unexpectedAt(at));
    return false;
}

bool isName(const QString &text)
{
    for (const QChar c : text) {
        if (!c.isLetterOrNumber() && c != u'_')
            return false;
    }
    return true;
}

} // namespace

std::optional<RecordSource> RecordSource::recognise(const QString &text, DataError *error)
{
    *error = DataError();
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        *error = syntax(QStringLiteral("Sursa de înregistrări este goală."));
        return std::nullopt;
    }
    RecordSource source;
    if (const Catalogue::Object *object = Catalogue::find(trimmed)) {
        source.object = object;
        return source;
    }
    const std::pair<const QString &, Kind> selections[] = {
        {SourceTexts::OffencesOfPerson, Kind::OffencesOfPerson},
        {SourceTexts::AccomplicesOfOffence, Kind::AccomplicesOfOffence},
        {SourceTexts::ArticlesOfOffence, Kind::ArticlesOfOffence},
    };
    for (const auto &[prefix, kind] : selections) {
        if (trimmed.startsWith(prefix, Qt::CaseInsensitive)) {
            source.kind = kind;
            if (!readKey(trimmed, prefix.size(), &source, error))
                return std::nullopt;
            return source;
        }
    }
    if (isName(trimmed))
        *error = DataError::make(EngineError::UnknownObject, trimmed);
    else
        *error = syntax(QStringLiteral("Sursa de înregistrări nu are o formă cunoscută."));
    return std::nullopt;
}

QString RecordSource::table() const
{
    switch (kind) {
    case Kind::Whole:
        return object->isQuery ? object->baseTable : object->name;
    case Kind::OffencesOfPerson:
        return Catalogue::Offences;
    case Kind::AccomplicesOfOffence:
        return Catalogue::Accomplices;
    case Kind::ArticlesOfOffence:
        return Catalogue::Articles;
    }
    return {};
}

QList<Column> RecordSource::columns() const
{
    QList<Column> columns;
    const QString listed = table();
    for (const Catalogue::Field &f : Catalogue::find(listed)->fields)
        columns << Column{f.name, listed, f.name, f.type,
                          f.type != Catalogue::FieldType::AutoNumber};
    // Through the join, the offence the accomplice is shown for.
    if (kind == Kind::AccomplicesOfOffence) {
        const Catalogue::Object &links = *Catalogue::find(Catalogue::Links);
        const Catalogue::Field &code =
            *Catalogue::findField(links, QStringLiteral("COD_INFRACTIUNE"));
        columns << Column{code.name, links.name, code.name, code.type, false};
    }
    return columns;
}

#include "csvexport.h"

#include "ownerfiles.h"
#include "progress.h"

#include "data/catalogue.h"
#include "data/database.h"
#include "data/recordset.h"

#include <QDir>
#include <QSaveFile>

#include <memory>
#include <vector>

namespace CsvExport {

namespace {

constexpr qint64 FlushSize = 1 << 16;

struct Part
{
    std::unique_ptr<Recordset> rows;
    std::unique_ptr<QSaveFile> file;
};

QByteArray line(const QStringList &fields)
{
    QByteArray out;
    for (int i = 0; i < fields.size(); ++i) {
        if (i)
            out += ',';
        out += field(fields.at(i));
    }
    return out + "\r\n";
}

QString text(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    return value.toString();
}

Outcome failed(const QString &problem)
{
    return {Outcome::Failed, 0, problem};
}

// Opens the source and a temporary file beside the target, restricted before
// anything is written into it.
Outcome open(Database *db, const QString &registerFile, const QString &source,
             const QString &target, Part *part)
{
    if (OwnerFiles::sameFile(target, registerFile))
        return failed(QStringLiteral("Fișierul ales este chiar registrul."));
    part->rows = std::make_unique<Recordset>(db);
    if (!part->rows->open(source))
        return failed(part->rows->lastError().describe());
    part->file = std::make_unique<QSaveFile>(target);
    if (!part->file->open(QIODevice::WriteOnly) || !OwnerFiles::restrict(part->file.get()))
        return failed(part->file->errorString());
    return {};
}

Outcome write(Part *part, qint64 *done, Progress *progress)
{
    Recordset &rows = *part->rows;
    QSaveFile &file = *part->file;
    const QStringList names = rows.fieldNames();
    QByteArray buffer = "\xEF\xBB\xBF" + line(names);
    QStringList fields;
    for (int r = 0; r < rows.recordCount(); ++r) {
        fields.clear();
        for (int c = 0; c < names.size(); ++c)
            fields << text(rows.valueAt(r, c));
        buffer += line(fields);
        if (buffer.size() >= FlushSize) {
            if (progress->cancelled())
                return {Outcome::Cancelled, 0, {}};
            if (file.write(buffer) != buffer.size())
                return failed(file.errorString());
            buffer.clear();
            progress->setDone(*done + r);
        }
    }
    if (rows.lastError().isError())
        return failed(rows.lastError().describe());
    if (file.write(buffer) != buffer.size())
        return failed(file.errorString());
    *done += rows.recordCount();
    progress->setDone(*done);
    return {Outcome::Done, rows.recordCount(), {}};
}

// Writes the parts in turn and makes them appear only when every one is whole.
Outcome writeAll(std::vector<Part> &parts, Progress *progress)
{
    qint64 total = 0;
    for (const Part &p : parts)
        total += p.rows->recordCount();
    progress->setTotal(total);
    qint64 done = 0;
    for (Part &p : parts) {
        const Outcome o = write(&p, &done, progress);
        if (o.kind != Outcome::Done)
            return o; // the save files, never committed, remove their temporaries
    }
    if (progress->cancelled())
        return {Outcome::Cancelled, 0, {}};
    for (Part &p : parts) {
        if (!p.file->commit())
            return failed(p.file->errorString());
    }
    return {Outcome::Done, done, {}};
}

} // namespace

QByteArray field(const QString &text)
{
    QByteArray utf8 = text.toUtf8();
    if (!utf8.contains(',') && !utf8.contains('"') && !utf8.contains('\n')
        && !utf8.contains('\r'))
        return utf8;
    utf8.replace('"', "\"\"");
    return '"' + utf8 + '"';
}

Outcome writeSource(const QString &registerFile, const QString &recordSource,
                    const QString &target, Progress *progress)
{
    DataError error;
    auto db = Database::open(registerFile, &error);
    if (!db)
        return failed(error.describe());
    std::vector<Part> parts(1);
    const Outcome o = open(db.get(), registerFile, recordSource, target, &parts.front());
    if (o.kind != Outcome::Done)
        return o;
    return writeAll(parts, progress);
}

Outcome writeRegister(const QString &registerFile, const QString &folder, Progress *progress)
{
    DataError error;
    auto db = Database::open(registerFile, &error);
    if (!db)
        return failed(error.describe());
    std::vector<Part> parts(5);
    const QString tables[] = {Catalogue::Persons, Catalogue::Offences, Catalogue::Accomplices,
                              Catalogue::Links, Catalogue::Articles};
    for (int i = 0; i < 5; ++i) {
        const QString target = QDir(folder).filePath(tables[i] + QStringLiteral(".csv"));
        const Outcome o = open(db.get(), registerFile, tables[i], target, &parts[i]);
        if (o.kind != Outcome::Done)
            return o;
    }
    return writeAll(parts, progress);
}

} // namespace CsvExport

#pragma once

#include "catalogue.h"
#include "dataerror.h"

#include <QList>
#include <QString>

#include <optional>

// A column of a record source: its name as the screens ask for it, where its
// value lives, and whether the set writes it.
struct Column
{
    QString name;
    QString table;
    QString field;
    Catalogue::FieldType type = Catalogue::FieldType::Text;
    bool writable = false;
};

// What a record-source text selects, once recognised: one of the few shapes
// the screens compose (see sourcetexts.h), with its key as a value. No part of
// the text ever reaches an engine as SQL.
struct RecordSource
{
    enum class Kind { Whole, OffencesOfPerson, AccomplicesOfOffence, ArticlesOfOffence };

    Kind kind = Kind::Whole;
    const Catalogue::Object *object = nullptr; // Whole: the table or stored query
    QString cnp;                               // OffencesOfPerson
    qint64 code = 0;                           // AccomplicesOfOffence, ArticlesOfOffence
    std::optional<QString> sex;                // AccomplicesOfOffence, when filtered

    // Any case. Any other text is an error: an unknown name 3078, else 3075.
    static std::optional<RecordSource> recognise(const QString &text, DataError *error);

    // The table whose rows the source lists, adds, changes and deletes.
    QString table() const;
    QList<Column> columns() const;

    bool operator==(const RecordSource &other) const = default;
};

#pragma once

#include "data/dataerror.h"

#include <QList>
#include <QString>

class Database;

// What a person's dossier says, in the order it is printed: a list of items
// none of which a page break may cut.
struct DossierItem
{
    enum class Kind { Section, Heading, Field, Paragraph };
    Kind kind = Kind::Field;
    QString caption; // a field's caption, as the screens show it
    QString text;
};

class DossierContent
{
public:
    // False with an error when the person is not in the register.
    bool read(Database &db, const QString &cnp, DataError *error);

    QString title() const { return m_title; }
    const QList<DossierItem> &items() const { return m_items; }

    // The penalty in words: "Amendă: 1.500 lei", "Detenție de la ... până la ...".
    static QString penaltyInWords(const QString &kind, const QString &fine,
                                  const QString &from, const QString &to, bool suspended,
                                  const QString &sanction);

private:
    bool readOffences(Database &db, const QString &cnp, DataError *error);
    bool readAccomplices(Database &db, qint64 offence, DataError *error);
    bool readArticles(Database &db, qint64 offence, DataError *error);
    void add(DossierItem::Kind kind, const QString &caption, const QString &text = {});

    QString m_title;
    QList<DossierItem> m_items;
};

// The crash-safety test's child: saves through the screens' record sources until
// killed, saying each save once returned ("person <cnp>", "edited <cnp> <job>",
// "offence <code> <cnp>", "link <cnp> <code>", "article <code> <publication>",
// "deleting <row>" and "deleted <row>").
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "widgets/datacontrol.h"

#include <QApplication>

#include <cerrno>
#include <unistd.h>

namespace {

void say(const QString &line)
{
    // One unbuffered write per line: a line this short reaches the pipe whole
    // or not at all, so a kill cannot leave half a report behind.
    const QByteArray bytes = line.toUtf8() + '\n';
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done,
                                  size_t(bytes.size() - done));
        if (n <= 0 && errno != EINTR)
            _exit(3);
        done += qMax<ssize_t>(n, 0);
    }
}

void require(bool ok, const QString &what, const Recordset *rs)
{
    if (ok)
        return;
    say("error " + what + ": " + rs->lastError().describe());
    _exit(2);
}

// Made once the application is.
DataControl *persons, *offences, *accomplices, *articles;

Recordset *select(DataControl *control, const QString &source)
{
    control->setRecordSource(source);
    require(control->refresh(), "select " + source, control->recordset());
    return control->recordset();
}

// "Adaugă", the values typed, "Salvează" (with the link in the same save):
// false only for a key already there, when that may be.
bool add(Recordset *rs, const QVariantMap &values, Recordset *link = nullptr)
{
    bool ok = rs->addNew();
    for (auto it = values.begin(); ok && it != values.end(); ++it)
        ok = rs->setValue(it.key(), it.value());
    require(ok, "fields", rs);
    ok = rs->update(link);
    require(ok || (link && rs->lastError().number == EngineError::DuplicateKey), "save", rs);
    if (ok)
        rs->moveLast();
    return ok;
}

// As the accomplices screen saves: a CNP already recorded gets only the link.
void addAccomplice(const QString &cnp, qint64 code)
{
    Recordset *rs = accomplices->recordset();
    Recordset link(rs->database());
    require(link.open("TBL_Complicitate"), "link open", &link);
    require(link.addNew() && link.setValue("cod_infractiune", code) && link.setValue("CNP", cnp),
            "link fields", &link);
    if (!add(rs, {{"CNP", cnp}, {"Nume", "IONESCU"}, {"sex", "M"}, {"sector", 0}}, &link)) {
        rs->cancelUpdate();
        require(link.update(), "link save", &link);
        rs->requery();
    }
    say(QStringLiteral("link %1 %2").arg(cnp).arg(code));
}

// The last row of the set: what, the offence code and the field's value (first for a link).
void deleteLast(DataControl *control, const QString &what, qint64 code, const QString &field)
{
    Recordset *rs = control->recordset();
    rs->moveLast();
    QStringList row{what, QString::number(code)};
    if (!field.isEmpty())
        row.insert(what == "link" ? 1 : 2, rs->value(field).toString());
    say("deleting " + row.join(' '));
    require(rs->deleteCurrent(), what + " delete", rs);
    say("deleted " + row.join(' '));
}

// Every kind of save, then one kind of deletion that turns with the round, so
// that the kills fall on all of them. Persons are added through every filter.
void round(int run, int n)
{
    const bool woman = n % 3 == 1 || (n % 3 == 0 && n % 2);
    const QString key = QStringLiteral("%1%2").arg(run, 5, 10, QLatin1Char('0'))
                            .arg(n, 7, 10, QLatin1Char('0'));
    const QString cnp = (woman ? "2" : "1") + key;
    const QString sources[] = {SourceTexts::Persons, SourceTexts::PersonsWomen,
                               SourceTexts::PersonsMen};
    Recordset *rs = select(persons, sources[n % 3]);
    add(rs, {{"CNP_C", cnp}, {"Nume", QStringLiteral("POPESCU %1").arg(n)},
             {"Prenume", "ĂNA-MARIA"}, {"sex", woman ? "F" : "M"}, {"sector", n % 7},
             {"Localitate", "BUCURESTI"}, {"Data_nasterii", "01.02.1970"}});
    say("person " + cnp);
    const QString profession = QStringLiteral("INGINER %1").arg(n);
    require(rs->edit() && rs->setValue("Profesia", profession) && rs->update(), "edit", rs);
    say(QStringLiteral("edited %1 %2").arg(cnp, profession));

    rs = select(offences, SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(cnp));
    add(rs, {{"CNP_C", cnp}, {"Infractiune", "LUARE DE MITĂ"}, {"Pedeapsa", "A"},
             {"Amenda", "1500"}, {"Suspendare", false}, {"Ispasit", true}});
    const qint64 code = rs->value("cod_infractiune").toLongLong();
    require(code > 0, "offence code", rs);
    say(QStringLiteral("offence %1 %2").arg(code).arg(cnp));

    select(accomplices, SourceTexts::AccomplicesOfOffence + QString::number(code));
    addAccomplice("5" + key, code);
    addAccomplice("6000000000000", code); // new once, then recorded

    rs = select(articles, SourceTexts::ArticlesOfOffence + QString::number(code));
    const QString publication = QStringLiteral("GAZETA-%1-%2").arg(run).arg(n);
    add(rs, {{"Cod_infractiune", code}, {"Publicatie", publication}, {"Autor", "REPORTER"},
             {"Data_aparitiei", "03.04.2005"}, {"Articol", QString(250, QChar(u'ș'))}});
    say(QStringLiteral("article %1 %2").arg(code).arg(publication));

    const int turn = (run + n) % 3;
    if (turn == 0)
        deleteLast(articles, "article", code, "Publicatie");
    else if (turn == 1)
        deleteLast(accomplices, "link", code, "CNP");
    else
        deleteLast(offences, "offence", code, {});
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    DataControl lists[4];
    persons = &lists[0];
    offences = &lists[1];
    accomplices = &lists[2];
    articles = &lists[3];
    const int run = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    say("ready");
    for (int n = 1;; ++n)
        round(run, n);
}

// The crash-safety test's child: saves into the register of the current folder
// through the record sources the screens use, round after round, and reports
// each save on its standard output as soon as it has returned, until killed.
// Lines: "ready", "person <cnp>", "edited <cnp> <profession>", "offence <code> <cnp>",
// "link <cnp> <code>", "article <code> <publication>", "deleting ..." before and
// "deleted ..." after a deletion, "error <what>" before it gives up.
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "widgets/datacontrol.h"

#include <QApplication>

#include <cerrno>
#include <memory>
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

void require(bool ok, const QString &what, const DataError &error)
{
    if (ok)
        return;
    say(QStringLiteral("error %1: %2").arg(what, error.describe()));
    _exit(2);
}

class Saver
{
public:
    explicit Saver(int run) : m_run(run) {}
    void round(int n);

private:
    QString key(char first, int n) const
    {
        return first + QStringLiteral("%1%2").arg(m_run, 5, 10, QLatin1Char('0'))
                           .arg(n, 7, 10, QLatin1Char('0'));
    }
    Recordset *select(DataControl *control, const QString &source)
    {
        control->setRecordSource(source);
        require(control->refresh(), "select " + source, control->lastError());
        return control->recordset();
    }
    // "Adaugă" and the values typed.
    void fill(Recordset *rs, const QVariantMap &values, const QString &what)
    {
        bool ok = rs->addNew();
        for (auto it = values.begin(); ok && it != values.end(); ++it)
            ok = rs->setValue(it.key(), it.value());
        require(ok, what + " fields", rs->lastError());
    }
    // "Salvează"; false only for a key already there, when that may be.
    bool store(Recordset *rs, const QString &what, bool mayExist = false)
    {
        if (rs->update()) {
            rs->moveLast();
            return true;
        }
        require(mayExist && rs->lastError().number == EngineError::DuplicateKey, what + " save",
                rs->lastError());
        return false;
    }
    void save(Recordset *rs, const QVariantMap &values, const QString &what)
    {
        fill(rs, values, what);
        store(rs, what);
    }
    void addAccomplice(const QString &cnp, qint64 code);
    void deleteLast(DataControl *control, const QString &what, qint64 code,
                    const QString &field = {});

    int m_run;
    DataControl m_persons, m_offences, m_accomplices, m_articles;
};

void Saver::addAccomplice(const QString &cnp, qint64 code)
{
    // As the accomplices screen saves: the accomplice and its link in one
    // transaction, and a CNP already recorded gets only the link.
    Recordset *rs = m_accomplices.recordset();
    Recordset link(rs->database());
    require(link.open(QStringLiteral("TBL_Complicitate")), "link open", link.lastError());
    fill(&link, {{"cod_infractiune", code}, {"CNP", cnp}}, "link");
    fill(rs, {{"CNP", cnp}, {"Nume", "IONESCU"}, {"sex", "M"}, {"sector", 0}}, "accomplice");
    if (rs->update(&link)) {
        rs->moveLast();
    } else {
        require(rs->lastError().number == EngineError::DuplicateKey, "accomplice save",
                rs->lastError());
        rs->cancelUpdate();
        store(&link, "link");
        rs->requery();
        rs->moveLast();
    }
    say(QStringLiteral("link %1 %2").arg(cnp).arg(code));
}

// The last row of the set, reported as what, the offence code and the field's
// value (the value first for a link).
void Saver::deleteLast(DataControl *control, const QString &what, qint64 code,
                       const QString &field)
{
    Recordset *rs = control->recordset();
    rs->moveLast();
    QStringList row{what, QString::number(code)};
    if (!field.isEmpty())
        row.insert(what == QLatin1String("link") ? 1 : 2, rs->value(field).toString());
    say("deleting " + row.join(' '));
    require(rs->deleteCurrent(), what + " delete", rs->lastError());
    say("deleted " + row.join(' '));
}

// Every kind of save, then one kind of deletion that turns with the run, so
// that the kills fall on all of them.
void Saver::round(int n)
{
    // The persons screen adds through whichever filter is in force.
    const QString persons[] = {SourceTexts::Persons, SourceTexts::PersonsWomen,
                               SourceTexts::PersonsMen};
    const bool woman = n % 3 == 1 || (n % 3 == 0 && n % 2);
    const QString sex = woman ? QStringLiteral("F") : QStringLiteral("M");
    const QString cnp = key(woman ? '2' : '1', n);
    Recordset *rs = select(&m_persons, persons[n % 3]);
    save(rs, {{"CNP_C", cnp}, {"Nume", QStringLiteral("POPESCU %1").arg(n)},
              {"Prenume", "ĂNA-MARIA"}, {"sex", sex}, {"sector", n % 7},
              {"Localitate", "BUCURESTI"}, {"Data_nasterii", "01.02.1970"}}, "person");
    say("person " + cnp);
    const QString profession = QStringLiteral("INGINER %1").arg(n);
    require(rs->edit() && rs->setValue(QStringLiteral("Profesia"), profession) && rs->update(),
            QStringLiteral("person edit"), rs->lastError());
    say(QStringLiteral("edited %1 %2").arg(cnp, profession));

    rs = select(&m_offences, SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(cnp));
    save(rs, {{"CNP_C", cnp}, {"Infractiune", "LUARE DE MITĂ"}, {"Pedeapsa", "A"},
              {"Amenda", "1500"}, {"Suspendare", false}, {"Ispasit", true}}, "offence");
    const qint64 code = rs->value(QStringLiteral("cod_infractiune")).toLongLong();
    require(code > 0, QStringLiteral("offence code"), rs->lastError());
    say(QStringLiteral("offence %1 %2").arg(code).arg(cnp));

    select(&m_accomplices, SourceTexts::AccomplicesOfOffence + QString::number(code));
    addAccomplice(key('5', n), code);
    addAccomplice(QStringLiteral("6000000000000"), code); // new once, then recorded

    rs = select(&m_articles, SourceTexts::ArticlesOfOffence + QString::number(code));
    const QString publication = QStringLiteral("GAZETA-%1-%2").arg(m_run).arg(n);
    save(rs, {{"Cod_infractiune", code}, {"Publicatie", publication}, {"Autor", "REPORTER"},
              {"Data_aparitiei", "03.04.2005"}, {"Articol", QString(250, QChar(u'ș'))}},
         "article");
    say(QStringLiteral("article %1 %2").arg(code).arg(publication));

    const int turn = (m_run + n) % 3;
    if (turn == 0)
        deleteLast(&m_articles, "article", code, "Publicatie");
    else if (turn == 1)
        deleteLast(&m_accomplices, "link", code, "CNP");
    else
        deleteLast(&m_offences, "offence", code);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Saver saver(argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0);
    say(QStringLiteral("ready"));
    for (int n = 1;; ++n)
        saver.round(n);
}

// Saves rows into the register of the current folder, round after round,
// through the record sources the screens use, and says so on its standard
// output as soon as each save has returned. The crash-safety test kills it
// at random moments and then looks for every save it was told about.
//
// Lines: "ready", "person <cnp>", "edited <cnp> <profession>",
// "offence <code> <cnp>", "link <cnp> <code>", "article <code> <publication>",
// "deleting ..." before and "deleted ..." after a deletion of a link, an
// article or an offence, and "error <what>" before it gives up.
#include "data/database.h"
#include "widgets/datacontrol.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"

#include <QApplication>

#include <cerrno>
#include <memory>
#include <unistd.h>

namespace {

const QString LinkTable = QStringLiteral("TBL_Complicitate");

void say(const QString &line)
{
    // One write per line and no buffer: a line this short reaches the pipe
    // whole or not at all, so a kill cannot leave half a report behind.
    const QByteArray bytes = line.toUtf8() + '\n';
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes.constData() + done,
                                  size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            _exit(3);
        done += n;
    }
}

[[noreturn]] void giveUp(const QString &what, const DataError &error)
{
    say(QStringLiteral("error %1: %2").arg(what, error.describe()));
    _exit(2);
}

void require(bool ok, const QString &what, const Recordset *rs)
{
    if (!ok)
        giveUp(what, rs->lastError());
}

// "Adaugă" with these values typed, before "Salvează".
void fillNew(Recordset *rs, const QVariantMap &values, const QString &what)
{
    bool ok = rs->addNew();
    for (auto it = values.begin(); ok && it != values.end(); ++it)
        ok = rs->setValue(it.key(), it.value());
    require(ok, what + QStringLiteral(" fields"), rs);
}

class Saver
{
public:
    explicit Saver(int run)
        : m_run(run)
    {
    }

    void round(int n);
    void resume(int step);
    // Says "ready" once, just before the first save: the test counts its
    // kills from there, past the start-up of the program.
    void ready();

private:
    QString key(char first, int n) const
    {
        return QLatin1Char(first) + QStringLiteral("%1%2").arg(m_run, 5, 10, QLatin1Char('0'))
                                        .arg(n, 7, 10, QLatin1Char('0'));
    }
    QString addPerson(int n);
    qint64 addOffence(const QString &cnp);
    void addAccomplice(const QString &cnp, qint64 code);
    void addArticle(int n, qint64 code);
    // Deletes the last row of the set, reported as what, then the offence code
    // and the field's value (the value first for a link).
    void deleteLast(DataControl *control, const QString &what, qint64 code,
                    const QString &field = {});
    void select(DataControl *control, const QString &source);
    qint64 latestOffence();
    void activateAccomplices(qint64 code);

    int m_run;
    QString m_previousAccomplice;
    DataControl m_persons;
    DataControl m_offences;
    DataControl m_accomplices;
    DataControl m_articles;
    DataControl m_recorded;
    bool m_ready = false;
    std::unique_ptr<Database> m_linkDb;
};

void Saver::select(DataControl *control, const QString &source)
{
    control->setRecordSource(source);
    if (!control->refresh())
        giveUp(QStringLiteral("select ") + source, control->lastError());
}

QString Saver::addPerson(int n)
{
    // The persons screen adds through whichever filter is in force.
    const QString sources[] = {SourceTexts::Persons, SourceTexts::PersonsWomen,
                               SourceTexts::PersonsMen};
    const QString sex = n % 3 == 1 || (n % 3 == 0 && n % 2) ? QStringLiteral("F")
                                                            : QStringLiteral("M");
    select(&m_persons, sources[n % 3]);
    const QString cnp = key(sex == QLatin1String("F") ? '2' : '1', n);
    Recordset *rs = m_persons.recordset();
    fillNew(rs, {{"CNP_C", cnp}, {"Nume", QStringLiteral("POPESCU %1").arg(n)},
                 {"Prenume", "ĂNA-MARIA"}, {"sex", sex}, {"sector", n % 7},
                 {"Localitate", "BUCURESTI"}, {"Data_nasterii", "01.02.1970"}}, "person");
    require(rs->update(), QStringLiteral("person save"), rs);
    rs->moveLast();
    say(QStringLiteral("person ") + cnp);

    // "Modifică" on the row just stored.
    const QString profession = QStringLiteral("INGINER %1").arg(n);
    require(rs->edit() && rs->setValue(QStringLiteral("Profesia"), profession),
            QStringLiteral("person edit"), rs);
    require(rs->update(), QStringLiteral("person edit save"), rs);
    say(QStringLiteral("edited %1 %2").arg(cnp, profession));
    return cnp;
}

qint64 Saver::addOffence(const QString &cnp)
{
    select(&m_offences, SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(cnp));
    Recordset *rs = m_offences.recordset();
    fillNew(rs, {{"CNP_C", cnp}, {"Infractiune", "LUARE DE MITĂ"}, {"Pedeapsa", "A"},
                 {"Amenda", "1500"}, {"Suspendare", false}, {"Ispasit", true}}, "offence");
    require(rs->update(), QStringLiteral("offence save"), rs);
    rs->moveLast();
    const qint64 code = rs->value(QStringLiteral("cod_infractiune")).toLongLong();
    if (code <= 0)
        giveUp(QStringLiteral("offence code"), rs->lastError());
    say(QStringLiteral("offence %1 %2").arg(code).arg(cnp));
    return code;
}

void Saver::addAccomplice(const QString &cnp, qint64 code)
{
    // As the accomplices screen saves: the link row is prepared on the
    // screen's own database object, the accomplice is stored first, and a
    // CNP already recorded gets only the link.
    Recordset link(m_linkDb.get());
    require(link.open(LinkTable), QStringLiteral("link open"), &link);
    fillNew(&link, {{"cod_infractiune", code}, {"CNP", cnp}}, "link");
    Recordset *rs = m_accomplices.recordset();
    fillNew(rs, {{"CNP", cnp}, {"Nume", "IONESCU"}, {"sex", "M"}, {"sector", 0}}, "accomplice");
    if (rs->update()) {
        rs->moveLast();
        require(link.update(), QStringLiteral("link save"), &link);
    } else {
        if (rs->lastError().number != EngineError::DuplicateKey)
            giveUp(QStringLiteral("accomplice save"), rs->lastError());
        rs->cancelUpdate();
        require(link.update(), QStringLiteral("link save"), &link);
        rs->requery();
        rs->moveLast();
    }
    say(QStringLiteral("link %1 %2").arg(cnp).arg(code));
}

void Saver::addArticle(int n, qint64 code)
{
    select(&m_articles, SourceTexts::ArticlesOfOffence + QString::number(code));
    Recordset *rs = m_articles.recordset();
    const QString publication = QStringLiteral("GAZETA-%1-%2").arg(m_run).arg(n);
    fillNew(rs, {{"Cod_infractiune", code}, {"Publicatie", publication}, {"Autor", "REPORTER"},
                 {"Data_aparitiei", "03.04.2005"}, {"Articol", QString(250, QChar(u'ș'))}},
            "article");
    require(rs->update(), QStringLiteral("article save"), rs);
    rs->moveLast();
    say(QStringLiteral("article %1 %2").arg(code).arg(publication));
}

void Saver::deleteLast(DataControl *control, const QString &what, qint64 code,
                       const QString &field)
{
    Recordset *rs = control->recordset();
    rs->moveLast();
    QStringList row{what, QString::number(code)};
    if (!field.isEmpty())
        row.insert(what == QLatin1String("link") ? 1 : 2, rs->value(field).toString());
    say(QStringLiteral("deleting ") + row.join(' '));
    require(rs->deleteCurrent(), what + QStringLiteral(" delete"), rs);
    say(QStringLiteral("deleted ") + row.join(' '));
}

void Saver::ready()
{
    if (!m_ready)
        say(QStringLiteral("ready"));
    m_ready = true;
}

// The accomplices screen opening for an offence: its own database object and
// the offence's accomplices.
void Saver::activateAccomplices(qint64 code)
{
    DataError error;
    m_linkDb = Database::open(QStringLiteral("Zavoni.mdb"), &error);
    if (!m_linkDb)
        giveUp(QStringLiteral("open"), error);
    select(&m_accomplices, SourceTexts::AccomplicesOfOffence + QString::number(code));
}

// The newest offence of the newest persons, found as the screens find it; 0
// when the last few persons have none.
qint64 Saver::latestOffence()
{
    select(&m_persons, SourceTexts::Persons);
    Recordset *persons = m_persons.recordset();
    persons->moveLast();
    for (int tries = 0; tries < 5 && !persons->eof(); ++tries) {
        const QString cnp = persons->value(QStringLiteral("CNP_C")).toString();
        select(&m_offences, SourceTexts::OffencesOfPerson + SourceTexts::quotedKey(cnp));
        Recordset *offences = m_offences.recordset();
        if (offences->moveLast())
            return offences->value(QStringLiteral("cod_infractiune")).toLongLong();
        persons->movePrevious();
    }
    return 0;
}

// Each run first takes up the work of the runs before it in one of several
// ways, so that the kills fall on every kind of save and deletion.
void Saver::resume(int step)
{
    const qint64 code = latestOffence();
    if (code == 0)
        return;
    activateAccomplices(code);
    select(&m_recorded, QStringLiteral("TBL_Complici"));
    ready();
    switch (step) {
    case 1:
        addAccomplice(key('7', 0), code);
        break;
    case 2:
        if (m_recorded.recordset()->moveLast())
            addAccomplice(m_recorded.recordset()->value(QStringLiteral("CNP")).toString(), code);
        break;
    case 3:
        addArticle(0, code);
        deleteLast(&m_articles, "article", code, "Publicatie");
        break;
    case 4:
        if (m_accomplices.recordset()->recordCount() > 0)
            deleteLast(&m_accomplices, "link", code, "CNP");
        deleteLast(&m_offences, "offence", code);
        break;
    default:
        break;
    }
}

void Saver::round(int n)
{
    const QString person = addPerson(n);
    const qint64 code = addOffence(person);

    activateAccomplices(code);
    const QString accomplice = key(n % 2 ? '5' : '6', n);
    addAccomplice(accomplice, code);
    if (!m_previousAccomplice.isEmpty())
        addAccomplice(m_previousAccomplice, code);
    m_previousAccomplice = accomplice;

    addArticle(n, code);
    if (n % 4 == 1)
        deleteLast(&m_articles, "article", code, "Publicatie");
    if (n % 5 == 2)
        deleteLast(&m_accomplices, "link", code, "CNP");
    if (n % 6 == 3)
        deleteLast(&m_offences, "offence", code);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int run = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 0;
    Saver saver(run);
    saver.resume(run % 5);
    saver.ready();
    for (int n = 1;; ++n)
        saver.round(n);
}

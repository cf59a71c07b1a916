// zavoni_generate FILE N [seed]: writes a synthetic register of N persons, large enough to
// show how the program behaves after years of use. The same seed always gives the same
// register, so two measurements on two machines look at the same rows.
// zavoni_generate --check FILE N: whether FILE is such a register, as this version of the
// program keeps it.

#include "sqlitedb.h"

#include "data/catalogue.h"
#include "data/registerfile.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <initializer_list>
#include <numeric>
#include <vector>

namespace {

// splitmix64: the standard distributions may change their output from one
// library version to the next, and a seed must give the same register forever.
struct Rng
{
    quint64 state;

    quint64 next()
    {
        quint64 z = (state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    int below(int n) { return int(((next() >> 32) * quint64(n)) >> 32); }
    int between(int low, int high) { return low + below(high - low + 1); }
    bool percent(int p) { return below(100) < p; }
    template<typename T, std::size_t N>
    const T &pick(const T (&list)[N]) { return list[below(int(N))]; }
};

// Texts as the screens store them: names and places upper case (the boxes
// turn them so on leaving), descriptions and articles as typed.
const char *const Surnames[] = {"POPESCU", "IONESCU", "POPA", "RADU", "DUMITRESCU", "STOICA",
    "STAN", "GHEORGHE", "MATEI", "CONSTANTIN", "MUREȘAN", "ȘTEFĂNESCU", "ȚĂRANU", "LUNGU", "NEAGU",
    "DINU", "MOLDOVAN", "ENACHE", "BĂLAN", "CĂLIN", "DRĂGHICI"};
const char *const MaleNames[] = {"ION", "GHEORGHE", "VASILE", "CONSTANTIN", "MIHAI", "ANDREI",
    "ȘTEFAN", "NICOLAE", "DUMITRU", "ALEXANDRU", "ADRIAN", "FLORIN"};
const char *const FemaleNames[] = {"MARIA", "ELENA", "IOANA", "ANA", "MIHAELA", "ANDREEA",
    "CRISTINA", "DANIELA", "GABRIELA", "ALINA", "RALUCA", "ȘTEFANIA"};
const char *const Nicknames[] = {"BARONUL", "ȘEFU", "PROFESORUL", "BĂIATUL DEȘTEPT", "CONTABILUL",
    "NAȘUL", "PRINȚUL", "ȘOIMUL", "LUPUL"};
const char *const Offices[] = {"DIRECTOR", "PRIMAR", "CONSILIER", "ȘEF SERVICIU", "INSPECTOR",
    "DEPUTAT", "SENATOR", "PREFECT"};
const char *const Professions[] = {"INGINER", "ECONOMIST", "JURIST", "MEDIC", "PROFESOR", "AVOCAT",
    "CONTABIL"};
const char *const CardSeries[] = {"RX", "RT", "RD", "RR", "DP", "DR", "DT", "DX", "KX", "KT"};
// County and locality.
const char *const Places[][2] = {{"CLUJ", "CLUJ-NAPOCA"}, {"IAȘI", "IAȘI"}, {"TIMIȘ", "TIMIȘOARA"},
    {"CONSTANȚA", "CONSTANȚA"}, {"BRAȘOV", "BRAȘOV"}, {"PRAHOVA", "PLOIEȘTI"}, {"BIHOR", "ORADEA"},
    {"BRĂILA", "BRĂILA"}, {"GALAȚI", "GALAȚI"}, {"ARGEȘ", "PITEȘTI"}, {"SIBIU", "SIBIU"},
    {"BACĂU", "BACĂU"}, {"SUCEAVA", "SUCEAVA"}, {"DOLJ", "CRAIOVA"}, {"MUREȘ", "TÂRGU MUREȘ"},
    {"ARAD", "ARAD"}, {"VRANCEA", "FOCȘANI"}, {"BUZĂU", "BUZĂU"}, {"ALBA", "ALBA IULIA"},
    {"ILFOV", "VOLUNTARI"}};
const char *const Bucharest = "BUCURESTI";
const char *const Streets[] = {"STR. VICTORIEI", "BD. UNIRII", "STR. MIHAI EMINESCU",
    "CALEA MOȘILOR", "STR. ȘTEFAN CEL MARE", "BD. DACIA", "STR. LIBERTĂȚII", "ȘOS. GIURGIULUI"};
const char *const OffenceTypes[] = {"UZ DE FALS", "FALS", "DARE DE MITĂ", "LUARE DE MITĂ",
    "CALOMNIE", "MĂRTURIE MINCINOASĂ", "ASCUNDEREA DOVEZILOR", "ABUZ ÎN FUNCTIE", "ÎNSELĂCIUNE",
    "DAUNE MATERIALE", "DAUNE MORALE", "FURT", "DETURNARE DE FONDURI", "SUSTRAGERE INFORMATII",
    "CRIMĂ", "TENTATIVĂ DE CRIMĂ", "TULBURAREA LINISTII PUBLICE"};
const char *const Descriptions[] = {
    "A primit bani de la un furnizor pentru atribuirea unui contract public",
    "A falsificat actele de recepție ale unei lucrări neefectuate",
    "A încasat șpagă pentru eliberarea unei autorizații de construire",
    "A declarat în fals la judecătorie în favoarea unui asociat",
    "A deturnat fonduri europene destinate reabilitării unei școli",
    "A distrus documente contabile înaintea unui control financiar"};
const char *const Sanctions[] = {"Muncă neremunerată în folosul comunității",
    "Interzicerea dreptului de a ocupa o funcție publică pe 5 ani", "Destituire din funcție",
    "Confiscarea specială a sumelor obținute"};
const char *const Publications[] = {"ADEVĂRUL", "EVENIMENTUL ZILEI", "ROMÂNIA LIBERĂ",
    "JURNALUL NAȚIONAL", "GÂNDUL"};
const char *const Headlines[] = {
    "Ancheta în cazul %s continuă: procurorii cer pedeapsa maximă pentru %s.",
    "Dezvăluiri: cum a ajuns %s să fie cercetat pentru %s.",
    "Martorii din dosarul %s schimbă declarațiile. Acuzația rămâne %s.",
    "Exclusiv: documentele care îl incriminează pe %s în dosarul de %s.",
    "Tribunalul a amânat din nou procesul lui %s, acuzat de %s.",
    "Vecinii lui %s nu își revin: „Nu ne-am fi gândit niciodată la %s”."};

// The first day of each range, counted from 1 January 1940.
constexpr int BirthDays = 21914;      // 1940 to 1999
constexpr int OffenceDayFrom = 18263; // 1990
constexpr int OffenceDays = 12784;    // to 2024
// The register looks as if one person in GapEvery had been deleted, as a register in use
// does: its rowids have gaps, and the register records them.
constexpr qint64 GapEvery = 1000;

struct Identity
{
    char cnp[16], series[4], number[8], initial[4], birthDate[12];
    char streetNumber[8], block[8], staircase[4], flat[8];
    const char *surname, *firstName, *nickname1, *nickname2, *office, *profession;
    const char *sex, *county, *locality, *street;
    int sector;
};

QDate formatDate(int daysFrom1940, char *out, std::size_t size)
{
    static const QDate origin(1940, 1, 1);
    const QDate date = origin.addDays(daysFrom1940);
    std::snprintf(out, size, "%02d.%02d.%04d", date.day(), date.month(), date.year());
    return date;
}

// The CNPs there are: a birth date, a county, a serial number.
constexpr quint64 Counties = 46, Serials = 1000;
constexpr quint64 CnpSpace = quint64(BirthDays) * Counties * Serials;

using Statement = SqliteDb::Statement;

void bindTexts(Statement &s, int *column, std::initializer_list<const char *> texts)
{
    for (const char *text : texts)
        s.text((*column)++, text);
}

void bindIdentity(Statement &s, const Identity &id, bool withOffice)
{
    int c = 1;
    bindTexts(s, &c, {id.cnp, id.series, id.number, id.surname, id.initial, id.firstName,
                      id.nickname1, id.nickname2, id.birthDate});
    if (withOffice)
        bindTexts(s, &c, {id.office, id.profession});
    bindTexts(s, &c, {id.sex, id.county, id.locality});
    s.integer(c++, id.sector);
    bindTexts(s, &c, {id.street, id.streetNumber, id.block, id.staircase, id.flat});
}

class Filler
{
public:
    Filler(SqliteDb &db, qint64 persons, quint64 seed)
        : m_db(db)
        , m_rng{seed}
        , m_persons(persons)
        , m_pool(qMax<qint64>(1, persons / 2))
        , m_poolSex(std::size_t(m_pool), '\0')
    {
        m_multiplier = (m_rng.next() % CnpSpace) | 1;
        while (std::gcd(m_multiplier, CnpSpace) != 1)
            m_multiplier += 2;
        m_offset = m_rng.next() % CnpSpace;
    }

    void run()
    {
        Identity person;
        for (qint64 i = 0; i < m_persons; ++i) {
            makeIdentity(i, &person);
            bindIdentity(m_person, person, true);
            m_person.integer(21, i + 1 + i / (GapEvery - 1)); // the rowid
            m_person.run();
            const int offences = m_rng.between(1, 5);
            for (int o = 0; o < offences; ++o)
                addOffence(i, person);
        }
    }

private:
    // Spreads consecutive indexes over birth dates, counties and serial numbers: every index
    // gets its own CNP, and the CNPs do not sort in the order in which the rows were written,
    // as in a register typed by hand.
    void makeCnp(qint64 index, bool male, Identity *id) const
    {
        quint64 p = (quint64(index) * m_multiplier + m_offset) % CnpSpace;
        const int serial = int(p % Serials);
        p /= Serials;
        const int county = int(p % Counties) + 1;
        const QDate born = formatDate(int(p / Counties), id->birthDate, sizeof id->birthDate);
        std::snprintf(id->cnp, sizeof id->cnp, "%d%02d%02d%02d%02d%03d", male ? 1 : 2,
                      born.year() % 100, born.month(), born.day(), county, serial);
        static const int weights[] = {2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};
        int sum = 0;
        for (int i = 0; i < 12; ++i)
            sum += (id->cnp[i] - '0') * weights[i];
        id->cnp[12] = char('0' + (sum % 11 == 10 ? 1 : sum % 11));
        id->cnp[13] = '\0';
    }

    void makeIdentity(qint64 index, Identity *id)
    {
        Rng &rng = m_rng;
        const bool male = rng.percent(50);
        makeCnp(index, male, id);
        std::snprintf(id->series, sizeof id->series, "%s", rng.pick(CardSeries));
        std::snprintf(id->number, sizeof id->number, "%06d", rng.below(1000000));
        id->surname = rng.pick(Surnames);
        id->initial[0] = char('A' + rng.below(26));
        id->initial[1] = '\0';
        id->firstName = male ? rng.pick(MaleNames) : rng.pick(FemaleNames);
        id->nickname1 = rng.percent(60) ? rng.pick(Nicknames) : nullptr;
        id->nickname2 = id->nickname1 && rng.percent(25) ? rng.pick(Nicknames) : nullptr;
        id->office = rng.percent(70) ? rng.pick(Offices) : nullptr;
        id->profession = rng.percent(80) ? rng.pick(Professions) : nullptr;
        id->sex = male ? "M" : "F";
        if (rng.percent(25)) {
            id->county = id->locality = Bucharest;
            id->sector = rng.between(1, 6);
        } else {
            const auto &place = rng.pick(Places);
            id->county = place[0];
            id->locality = place[1];
            id->sector = 0;
        }
        id->street = rng.pick(Streets);
        std::snprintf(id->streetNumber, sizeof id->streetNumber, "%d", rng.between(1, 200));
        if (rng.percent(60)) {
            std::snprintf(id->block, sizeof id->block, "%c%d", 'A' + rng.below(20),
                          rng.between(1, 40));
            std::snprintf(id->staircase, sizeof id->staircase, "%c", 'A' + rng.below(4));
            std::snprintf(id->flat, sizeof id->flat, "%d", rng.between(1, 120));
        } else {
            id->block[0] = id->staircase[0] = id->flat[0] = '\0';
        }
    }

    void addOffence(qint64 personIndex, const Identity &person)
    {
        char fine[16] = "", from[12] = "", to[12] = "", description[256];
        const char *sanction = nullptr;
        const char *penalty;
        bool suspended = false;
        const int kind = m_rng.below(100);
        if (kind < 40) {
            penalty = "A";
            const int amount = m_rng.between(2, 1000) * 50;
            std::snprintf(fine, sizeof fine, m_rng.percent(10) ? "%d.5" : "%d", amount);
        } else if (kind < 75) {
            penalty = "D";
            const int start = OffenceDayFrom + m_rng.below(OffenceDays);
            formatDate(start, from, sizeof from);
            formatDate(start + m_rng.between(180, 3650), to, sizeof to);
            suspended = m_rng.percent(30);
        } else {
            penalty = "S";
            sanction = m_rng.pick(Sanctions);
        }
        const char *type = m_rng.pick(OffenceTypes);
        std::snprintf(description, sizeof description, "%s (dosar nr. %d/%d)",
                      m_rng.pick(Descriptions), m_rng.between(1, 9999), m_rng.between(1990, 2024));
        int c = 1;
        bindTexts(m_offence, &c,
                  {person.cnp, type, penalty, fine, from, to, sanction, description});
        m_offence.integer(9, suspended ? 1 : 0);
        m_offence.integer(10, m_rng.percent(50) ? 1 : 0);
        m_offence.run();
        const qint64 code = m_db.lastInsertId();
        addAccomplices(personIndex, code);
        for (int a = 0; a < 2; ++a) {
            char author[64], date[12], text[512];
            const bool male = m_rng.percent(50);
            std::snprintf(author, sizeof author, "%s %s",
                          male ? m_rng.pick(MaleNames) : m_rng.pick(FemaleNames),
                          m_rng.pick(Surnames));
            formatDate(OffenceDayFrom + m_rng.below(OffenceDays), date, sizeof date);
            std::snprintf(text, sizeof text, m_rng.pick(Headlines), person.surname, type);
            m_article.integer(1, code);
            c = 2;
            bindTexts(m_article, &c, {m_rng.pick(Publications), author, date, text});
            m_article.run();
        }
    }

    // Neighbouring persons draw on the same few dozen accomplices, so an accomplice takes part
    // in several offences of several persons.
    void addAccomplices(qint64 personIndex, qint64 code)
    {
        const int links = int(qMin<qint64>(m_rng.below(4), m_pool));
        qint64 chosen[3];
        const qint64 base = personIndex * m_pool / m_persons;
        for (int l = 0; l < links; ++l) {
            qint64 k;
            do
                k = (base + m_rng.below(64)) % m_pool;
            while (std::find(chosen, chosen + l, k) != chosen + l);
            chosen[l] = k;
            Identity accomplice;
            if (!m_poolSex[std::size_t(k)]) {
                // Written when first linked, so that no accomplice is left unreachable.
                makeIdentity(m_persons + k, &accomplice);
                bindIdentity(m_accomplice, accomplice, false);
                m_accomplice.run();
                m_poolSex[std::size_t(k)] = accomplice.sex[0];
            } else {
                // Only the CNP is needed: the index and the sex make it again.
                makeCnp(m_persons + k, m_poolSex[std::size_t(k)] == 'M', &accomplice);
            }
            m_link.text(1, accomplice.cnp);
            m_link.integer(2, code);
            m_link.run();
        }
    }

    SqliteDb &m_db;
    Rng m_rng;
    quint64 m_multiplier, m_offset;
    qint64 m_persons;
    qint64 m_pool;
    std::vector<char> m_poolSex; // of each accomplice written, 0 before

    Statement m_person{m_db, "INSERT INTO TBL_Zavoni (" PERSON_COLUMNS ", rowid) "
                             "VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"};
    Statement m_offence{m_db, "INSERT INTO TBL_Infractiuni (CNP_C, Infractiune, Pedeapsa, "
                              "Amenda, Detenta1, Detenta2, Sanctiune, Descriere, Suspendare, "
                              "Ispasit) VALUES (?,?,?,?,?,?,?,?,?,?)"};
    Statement m_accomplice{m_db, "INSERT INTO TBL_Complici (CNP, Serie_buletin, Numar_buletin, "
                                 "Nume, Initiala, Prenume, Porecla1, Porecla2, Data_nasterii, "
                                 "sex, Judet, Localitate, sector, Strada, Numar, Bloc, Scara, "
                                 "Apartament) VALUES (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"};
    Statement m_link{m_db, "INSERT INTO TBL_Complicitate (CNP, COD_INFRACTIUNE) VALUES (?,?)"};
    Statement m_article{m_db, "INSERT INTO TBL_Articole (Cod_infractiune, Publicatie, Autor, "
                              "Data_aparitiei, Articol) VALUES (?,?,?,?,?)"};
};

// The secondary indexes of the schema as it wrote them, and the triggers that keep the
// persons' counts, taken out for the bulk writes and put back after: building an index once
// from sorted keys is several times faster than growing it row by row in CNP order, which is
// random, and each insert a count trigger sees costs far more than the insert itself.
QList<QByteArray> takeOut(SqliteDb &db, const char *type, const QString &containing)
{
    QList<QByteArray> creates, drops;
    {
        Statement s(db, "SELECT name, sql, upper(type) FROM sqlite_master WHERE type = ? "
                        "AND sql IS NOT NULL AND instr(sql, ?) > 0", {type, containing});
        while (s.next()) {
            creates.append(s.textAt(1));
            drops.append("DROP " + s.textAt(2) + " \"" + s.textAt(0) + '"');
        }
    }
    for (const QByteArray &drop : std::as_const(drops))
        db.exec(drop.constData());
    return creates;
}

QString unfinished; // the register being written, removed if it fails

[[noreturn]] void fail(const QString &why)
{
    if (!unfinished.isEmpty())
        QFile::remove(unfinished);
    std::fprintf(stderr, "zavoni_generate: %s\n", qPrintable(why));
    std::exit(1);
}

// The program opens the persons list by its kept counts, and a benchmark run leaves a gap
// recorded past the last rowid, which the next person added fills: a register whose counts
// or gaps disagree with its rows would be measured showing the wrong numbers.
void expectAgreeing(SqliteDb &db)
{
    const QByteArray kept = "SELECT Numar FROM \"" + Catalogue::CountsTable.toUtf8()
                            + "\" WHERE Sursa = ?";
    const std::pair<QString, const char *> checks[] = {
        {Catalogue::Persons, "SELECT count(*) FROM TBL_Zavoni"},
        {Catalogue::WomenQuery, "SELECT count(*) FROM TBL_Zavoni WHERE sex = 'F'"},
        {Catalogue::MenQuery, "SELECT count(*) FROM TBL_Zavoni WHERE sex = 'M'"},
    };
    for (const auto &[source, count] : checks) {
        const qint64 counted = db.integer(count), stored = db.integer(kept.constData(), {source});
        if (counted < 0 || counted != stored)
            fail(QStringLiteral("%1: %2 kept, %3 counted").arg(source).arg(stored).arg(counted));
    }
    if (db.integer("SELECT (SELECT count(*) FROM TBL_Goluri WHERE Cheie < (SELECT max(rowid) "
                   "FROM TBL_Zavoni)) + (SELECT count(*) FROM TBL_Zavoni) - (SELECT max(rowid) "
                   "FROM TBL_Zavoni)") != 0)
        fail(QStringLiteral("its deleted rowids are not recorded"));
}

// The program must take the register for one of its own.
void expectTaken(const QString &fileName)
{
    const RegisterFile::Check inspected = RegisterFile::inspect(fileName);
    if (inspected.status != RegisterFile::Status::Ok)
        fail(fileName + QStringLiteral(": ") + inspected.problem);
}

// Creates fileName (which must not exist) with the program's own schema and writes `persons`
// persons with their offences, accomplices and articles.
void generate(const QString &fileName, qint64 persons, quint64 seed)
{
    QString problem;
    if (quint64(persons + persons / 2 + 1) > CnpSpace)
        fail(QStringLiteral("Numărul de persoane nu încape în spatiul CNP."));
    if (!RegisterFile::create(fileName, &problem))
        fail(problem);
    unfinished = fileName;
    {
        // Nobody else has the file yet, and a failed run is thrown away whole, so the journal
        // and the waits for the disk buy nothing here.
        SqliteDb db(fileName, SqliteDb::Mode::Bulk);
        db.exec("BEGIN");
        const QList<QByteArray> indexes = takeOut(db, "index", QStringLiteral("CREATE"));
        const QList<QByteArray> triggers = takeOut(db, "trigger", Catalogue::CountsTable);
        Filler(db, persons, seed).run();
        for (const QByteArray &create : indexes + triggers)
            db.exec(create.constData());
        for (const QString &statement : Catalogue::recountStatements())
            db.exec(statement.toUtf8().constData());
        db.exec(QByteArray("INSERT INTO TBL_Goluri WITH RECURSIVE g(k) AS (SELECT ?1 UNION ALL "
                           "SELECT k + ?1 FROM g WHERE k + ?1 < (SELECT max(rowid) FROM "
                           "TBL_Zavoni)) SELECT k FROM g WHERE k < (SELECT max(rowid) FROM "
                           "TBL_Zavoni)")
                    .replace("?1", QByteArray::number(GapEvery))
                    .constData());
        expectAgreeing(db);
        db.exec("COMMIT");
    }
    // Back to the journal the program expects of its register.
    SqliteDb(fileName).exec("PRAGMA wal_checkpoint(TRUNCATE)");
    expectTaken(fileName);
    unfinished.clear();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const bool checking = args.size() == 4 && args.at(1) == QLatin1String("--check");
    bool sizeOk = false, seedOk = true;
    const qint64 persons = args.size() >= 3 ? args.at(checking ? 3 : 2).toLongLong(&sizeOk) : 0;
    const quint64 seed = args.size() == 4 && !checking ? args.at(3).toULongLong(&seedOk) : 1;
    if (args.size() < 3 || args.size() > 4 || !sizeOk || !seedOk || persons < 0) {
        std::fprintf(stderr, "usage: zavoni_generate FILE N [seed]\n"
                             "       zavoni_generate --check FILE N\n");
        return 2;
    }
    const QString fileName = args.at(checking ? 2 : 1);
    // Whether an existing register can be measured as one of `persons` persons: the program
    // takes it, and the row counts it keeps agree with its rows (a register made before the
    // counts were kept fails).
    if (checking) {
        expectTaken(fileName);
        SqliteDb db(fileName, SqliteDb::Mode::ReadOnly);
        expectAgreeing(db);
        if (db.integer("SELECT count(*) FROM TBL_Zavoni") != persons)
            fail(QStringLiteral("not a register of %1 persons").arg(persons));
        return 0;
    }
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpuStart = std::clock();
    generate(fileName, persons, seed);
    const double seconds = timer.nsecsElapsed() / 1e9;
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    std::printf("%s\ngenerated in %.1f s (processor %.1f s), file %.1f MB\n",
                qPrintable(SqliteDb(fileName, SqliteDb::Mode::ReadOnly).text(
                    "SELECT 'persons ' || (SELECT count(*) FROM TBL_Zavoni) || ', offences ' || "
                    "(SELECT count(*) FROM TBL_Infractiuni) || ', accomplices ' || (SELECT "
                    "count(*) FROM TBL_Complici) || ', links ' || (SELECT count(*) FROM "
                    "TBL_Complicitate) || ', articles ' || (SELECT count(*) FROM TBL_Articole)")),
                seconds, cpuSeconds, QFileInfo(fileName).size() / 1048576.0);
    return 0;
}

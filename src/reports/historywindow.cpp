#include "historywindow.h"

#include "data/catalogue.h"
#include "data/database.h"
#include "screens/common/messages.h"

#include <QHeaderView>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

QString actionName(const QString &action)
{
    if (action == QLatin1String("INSERT"))
        return QStringLiteral("Adăugare");
    if (action == QLatin1String("UPDATE"))
        return QStringLiteral("Modificare");
    return QStringLiteral("Ștergere");
}

QString tableName(const QString &table)
{
    const QList<std::pair<QString, QString>> names{
        {Catalogue::Persons, QStringLiteral("Persoane")},
        {Catalogue::Offences, QStringLiteral("Infracțiuni")},
        {Catalogue::Accomplices, QStringLiteral("Complici")},
        {Catalogue::Links, QStringLiteral("Complicitate")},
        {Catalogue::Articles, QStringLiteral("Articole")}};
    for (const auto &[name, shown] : names) {
        if (name == table)
            return shown;
    }
    return table;
}

// "Nume=POPESCU; Prenume=ION", in the table's order: the fields that hold
// something or, of a change, those that differ from the other side of it.
QString fieldsText(const QString &table, const QString &json, const QString &otherJson)
{
    const QJsonObject row = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonObject other = QJsonDocument::fromJson(otherJson.toUtf8()).object();
    const Catalogue::Object *object = Catalogue::find(table);
    if (row.isEmpty() || !object)
        return {};
    QStringList pairs;
    for (const Catalogue::Field &field : object->fields) {
        const QJsonValue value = row.value(field.name);
        const QString text = value.toVariant().toString();
        if (other.isEmpty() ? !text.isEmpty() : other.value(field.name) != value)
            pairs << field.name + QLatin1Char('=') + text;
    }
    return pairs.join(QStringLiteral("; "));
}

QTableWidget *changesTable(const QList<History::Change> &changes)
{
    auto *table = new QTableWidget(int(changes.size()), 7);
    table->setObjectName(QStringLiteral("historyTable"));
    table->setHorizontalHeaderLabels({QStringLiteral("Data și ora"), QStringLiteral("Utilizator"),
                                      QStringLiteral("Operația"), QStringLiteral("Tabela"),
                                      QStringLiteral("Cheia"), QStringLiteral("Înainte"),
                                      QStringLiteral("După")});
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setWordWrap(false);
    table->verticalHeader()->hide();
    for (int r = 0; r < changes.size(); ++r) {
        const History::Change &c = changes.at(r);
        const QString when = c.when.toLocalTime().toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
        const QStringList texts{when,
                                c.user,
                                actionName(c.action),
                                tableName(c.table),
                                QString::number(c.key),
                                fieldsText(c.table, c.before, c.after),
                                fieldsText(c.table, c.after, c.before)};
        for (int column = 0; column < texts.size(); ++column) {
            auto *item = new QTableWidgetItem(texts.at(column));
            // A long article or description reads whole in the tool tip.
            if (column >= 5)
                item->setToolTip(texts.at(column));
            table->setItem(r, column, item);
        }
    }
    table->resizeColumnsToContents();
    for (int column : {5, 6})
        table->setColumnWidth(column, qMin(table->columnWidth(column), 400));
    return table;
}

} // namespace

HistoryWindow::HistoryWindow(const QString &cnp, const QList<History::Change> &changes,
                             QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("historyWindow"));
    setWindowTitle(QStringLiteral("Istoric (C.N.P. %1)").arg(cnp));
    auto *layout = new QVBoxLayout(this);
    if (changes.isEmpty()) {
        auto *none = new QLabel(QStringLiteral("Nicio modificare înregistrată."));
        none->setObjectName(QStringLiteral("historyEmpty"));
        layout->addWidget(none);
    } else {
        layout->addWidget(changesTable(changes));
        resize(900, 400);
    }
    auto *close = new QPushButton(QStringLiteral("Închide"));
    close->setObjectName(QStringLiteral("historyClose"));
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(close, 0, Qt::AlignRight);
}

void HistoryWindow::run(QWidget *parent, const QString &registerFile, const QString &cnp)
{
    DataError error;
    QList<History::Change> changes;
    const auto db = Database::open(registerFile, &error);
    if (!db || !History::changesOf(db->connection(), cnp, &changes, &error)) {
        Messages::ok(parent,
                     QStringLiteral("Istoricul nu poate fi citit: %1").arg(error.describe()),
                     QStringLiteral("Istoric."), Messages::Icon::Exclamation);
        return;
    }
    HistoryWindow window(cnp, changes, parent);
    window.exec();
}

#include "listcommands.h"

#include "data/database.h"
#include "data/personorder.h"
#include "data/recordset.h"
#include "data/sourcetexts.h"
#include "screens/common/menubar.h"
#include "widgets/datacontrol.h"
#include "widgets/dbgrid.h"

#include <QAction>
#include <QEvent>
#include <QHeaderView>
#include <QMenu>

namespace {

const QString UnavailableText =
    QStringLiteral("Căutarea și ordonarea în tot registrul nu sunt încă disponibile pentru "
                   "registrul de pe server.");

// Grows or shrinks a window by some height, as its designed size allows.
void growBy(QWidget *window, int height)
{
    const bool fixed = window->minimumSize() == window->maximumSize();
    const QSize size(window->width(), window->height() + height);
    if (fixed)
        window->setFixedSize(size);
    else
        window->resize(size);
}

} // namespace

ListCommands::ListCommands(QWidget *screen, DataControl *data, DBGrid *grid, Scope scope,
                       const QStringList &columns)
    : QObject(screen)
    , m_screen(screen)
    , m_data(data)
    , m_grid(grid)
    , m_scope(scope)
    , m_columns(columns)
    , m_bar(new FindBar(screen))
    // Finding and sorting the whole register lean on the file's full-text and
    // expression indexes, which a server's register has not got yet.
    , m_unavailable(scope == Scope::Register && Database::onServer(data->databaseName()))
{
    m_bar->hide();
    connect(m_bar, &FindBar::findRequested, this, &ListCommands::find);
    connect(m_bar, &FindBar::closed, this, &ListCommands::close);

    QMenu *menu = ScreenMenu::menu(screen, QStringLiteral("&Căutare"));
    const auto add = [&](const QString &text, const QKeySequence &key, auto slot) {
        QAction *action = menu->addAction(text);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
        connect(action, &QAction::triggered, this, slot);
        if (m_unavailable)
            action->setToolTip(UnavailableText);
        m_actions << action;
    };
    add(QStringLiteral("Caută..."), QKeySequence(Qt::CTRL | Qt::Key_F), [this] { open(); });
    add(QStringLiteral("Găsește următorul"), QKeySequence(Qt::Key_F3), [this] {
        m_bar->isVisible() ? m_bar->findNext() : open();
    });
    add(QStringLiteral("Găsește precedentul"), QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] {
        m_bar->isVisible() ? m_bar->findPrevious() : open();
    });
    // The bar's moves and jump, listed with their keys.
    QMenu *moves = ScreenMenu::menu(screen, QStringLiteral("&Deplasare"));
    moves->addActions(data->actions());
    data->installEventFilter(this);
    followData();
    grid->horizontalHeader()->setSectionsClickable(true);
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this,
            &ListCommands::headingClicked);
}

void ListCommands::headingClicked(int section)
{
    const QString column = m_grid->fields().value(section);
    if (!m_data->isEnabled() || m_unavailable
        || !PersonSearch::sortableColumns().contains(column))
        return;
    if (m_order.column != column)
        m_order = {column, false};
    else if (!m_order.descending)
        m_order.descending = true;
    else
        m_order = {};
    QHeaderView *heading = m_grid->horizontalHeader();
    heading->setSortIndicatorShown(m_order.sorted());
    heading->setSortIndicator(m_order.sorted() ? section : -1,
                              m_order.descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    Recordset::KeyOrder order;
    Recordset::SortedOrder sorted;
    const PersonSearch::Order by = m_order;
    if (by.sorted() && m_scope == Scope::Rows) {
        order = [by](Recordset *set, QList<qint64> *keys) {
            *keys = set->keysByColumn(set->fieldIndex(by.column), by.descending);
            return true;
        };
    } else if (by.sorted()) {
        // The sex is the one in force at each Refresh, so a filter keeps the sort.
        sorted = [this, by]() -> std::unique_ptr<OrderSource> {
            PersonSearch *people = search();
            if (!people)
                return nullptr;
            return std::make_unique<PersonOrder>(people, by, sexInForce());
        };
    }
    // As a Refresh: the first row of the list in its new order is current.
    m_data->recordset()->setKeyOrder(order);
    m_data->recordset()->setSortedOrder(sorted);
    m_data->refresh();
}

ListCommands::~ListCommands() = default;

// Finding waits for browse mode: the screen disables its bar while editing.
bool ListCommands::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_data && event->type() == QEvent::EnabledChange)
        followData();
    return QObject::eventFilter(watched, event);
}

void ListCommands::followData()
{
    const bool browsing = m_data->isEnabled() && !m_unavailable;
    for (QAction *action : std::as_const(m_actions))
        action->setEnabled(browsing);
    m_bar->setEnabled(browsing);
}

void ListCommands::open()
{
    if (!m_data->isEnabled() || m_unavailable)
        return;
    if (m_bar->isHidden()) {
        const int height = m_bar->sizeHint().height();
        const int top = m_screen->height();
        growBy(m_screen, height);
        m_bar->setGeometry(0, top, m_screen->width(), height);
    }
    m_bar->open();
}

void ListCommands::close()
{
    growBy(m_screen, -m_bar->height());
    m_data->setFocus();
}

void ListCommands::find(const QString &text, FindBar::Step step)
{
    Recordset *rs = m_data->recordset();
    if (!m_data->isEnabled() || rs->editMode() != Recordset::EditMode::None)
        return;
    const QStringList terms = PersonSearch::terms(text);
    bool wrapped = false;
    const std::optional<int> row = m_scope == Scope::Rows
                                       ? findInRows(terms, step, &wrapped)
                                       : findInRegister(terms, step, &wrapped);
    if (!row) {
        m_bar->report(FindBar::Outcome::NotFound, step);
        return;
    }
    if (*row != rs->absolutePosition())
        rs->moveTo(*row);
    m_bar->report(wrapped ? FindBar::Outcome::Wrapped : FindBar::Outcome::Found, step);
}

std::optional<int> ListCommands::findInRows(const QStringList &terms, FindBar::Step step,
                                          bool *wrapped)
{
    Recordset *rs = m_data->recordset();
    const int count = rs->recordCount();
    const int current = qMax(0, rs->absolutePosition());
    const int sign = step == FindBar::Step::Previous ? -1 : 1;
    QList<int> columns;
    for (const QString &name : m_columns)
        columns << rs->fieldIndex(name);
    for (int i = step == FindBar::Step::AsTyped ? 0 : 1; i <= count; ++i) {
        const int row = ((current + sign * i) % count + count) % count;
        QStringList values;
        for (int column : std::as_const(columns))
            values << rs->valueAt(row, column).toString();
        if (PersonSearch::matches(values, terms)) {
            *wrapped = i == count || (sign > 0 ? row < current : row > current);
            return row;
        }
    }
    return std::nullopt;
}

std::optional<int> ListCommands::findInRegister(const QStringList &terms, FindBar::Step step,
                                              bool *wrapped)
{
    PersonSearch *people = search();
    if (!people)
        return std::nullopt;
    Recordset *rs = m_data->recordset();
    DataError error;
    const QString sex = sexInForce();
    const PersonSearch::Direction direction = step == FindBar::Step::Previous
                                                  ? PersonSearch::Direction::Backward
                                                  : PersonSearch::Direction::Forward;
    std::optional<PersonSearch::Place> from;
    if (!rs->eof()) {
        if (const auto current = people->rowidOf(rs->value(m_columns.first()).toString(), &error))
            from = people->placeOf(*current, m_order, &error);
        if (from)
            from->inclusive = step == FindBar::Step::AsTyped;
    }
    std::optional<qint64> hit = people->find(terms, direction, from, sex, m_order, &error);
    if (!hit && from) {
        hit = people->find(terms, direction, std::nullopt, sex, m_order, &error);
        *wrapped = hit.has_value();
    }
    if (!hit)
        return std::nullopt;
    // The sorted set reads the match's place near a landmark of its own.
    if (m_order.sorted()) {
        const std::optional<int> row = rs->rowOf(*hit);
        return row && *row < rs->recordCount() ? row : std::nullopt;
    }
    // Counting the persons before the match walks the register; in its own
    // order the place is reckoned instead, and taken when the row there is it.
    if (sex.isEmpty()) {
        const std::optional<qint64> guess = people->reckonedRank(*hit, &error);
        if (guess && *guess >= 0 && *guess < rs->recordCount()
            && rs->valueAt(int(*guess), rs->fieldIndex(m_columns.first())).toString()
                   == people->cnpOf(*hit, &error))
            return int(*guess);
    }
    const std::optional<qint64> rank = people->rank(*hit, sex, &error);
    if (!rank || *rank >= rs->recordCount())
        return std::nullopt;
    return int(*rank);
}

PersonSearch *ListCommands::search()
{
    if (!m_search) {
        DataError error;
        m_db = Database::open(m_data->databaseName(), &error);
        if (!m_db)
            return nullptr;
        m_search = std::make_unique<PersonSearch>(m_db->connection());
        // The start gains it for the register; a file made meanwhile has none.
        if (!m_search->isInstalled() && !m_search->install({}, &error))
            return nullptr;
    }
    return m_search.get();
}

// The persons list in force is the whole register or one of its stored queries.
QString ListCommands::sexInForce() const
{
    const QString source = m_data->recordSource();
    if (source.compare(SourceTexts::PersonsWomen, Qt::CaseInsensitive) == 0)
        return QStringLiteral("F");
    if (source.compare(SourceTexts::PersonsMen, Qt::CaseInsensitive) == 0)
        return QStringLiteral("M");
    return {};
}

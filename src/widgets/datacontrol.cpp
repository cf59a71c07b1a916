#include "datacontrol.h"
#include "onelineinput.h"

#include "data/database.h"
#include "rules/fieldrules.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolButton>

namespace {

QString boxText(const QWidget *box)
{
    if (auto *line = qobject_cast<const QLineEdit *>(box))
        return line->text();
    if (auto *plain = qobject_cast<const QPlainTextEdit *>(box))
        return plain->toPlainText();
    if (auto *check = qobject_cast<const QCheckBox *>(box))
        return check->isChecked() ? QStringLiteral("1") : QStringLiteral("0");
    return {};
}

void setBoxText(QWidget *box, const QString &text)
{
    if (auto *line = qobject_cast<QLineEdit *>(box)) {
        // A longer value written by another tool is shown whole, so that a
        // save does not cut it to the box's limit.
        OneLineInput::of(line)->setText(text);
        line->setCursorPosition(0);
    } else if (auto *plain = qobject_cast<QPlainTextEdit *>(box)) {
        plain->setPlainText(text);
    } else if (auto *check = qobject_cast<QCheckBox *>(box)) {
        check->setChecked(text == QLatin1String("1"));
    }
}

} // namespace

DataControl::DataControl(QWidget *parent)
    : QWidget(parent)
    , m_caption(new QLabel(QStringLiteral("Data1"), this))
    , m_position(new QLineEdit(this))
    , m_recordset(new Recordset(nullptr, this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const char *texts[] = {"|<", "<", ">", ">|"};
    const char *names[] = {"First", "Previous", "Next", "Last"};
    const QString tips[] = {QStringLiteral("Primul"), QStringLiteral("Anteriorul"),
                            QStringLiteral("Următorul"), QStringLiteral("Ultimul")};
    const QString moves[] = {QStringLiteral("primul rând"), QStringLiteral("rândul anterior"),
                             QStringLiteral("rândul următor"), QStringLiteral("ultimul rând")};
    for (int i = 0; i < 4; ++i) {
        auto *arrow = new QToolButton(this);
        arrow->setText(QString::fromLatin1(texts[i]));
        arrow->setObjectName(QString::fromLatin1(names[i]));
        // A screen reader would otherwise spell out the arrow's glyphs.
        arrow->setToolTip(tips[i]);
        arrow->setAccessibleName(tips[i]);
        arrow->setAccessibleDescription(QStringLiteral("Trece la ") + moves[i]);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRaise(false);
        // Narrow arrows leave the counter room within the bar's designed width.
        arrow->setFixedWidth(18);
        m_arrows << arrow;
    }
    m_caption->setAlignment(Qt::AlignCenter);
    // Its name stays the counter itself, read again at each move.
    m_caption->setObjectName(QStringLiteral("counter"));
    m_caption->setAccessibleDescription(
        QStringLiteral("Numărul rândului curent, o bară oblică și numărul de rânduri"));
    m_caption->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(m_arrows[0]);
    layout->addWidget(m_arrows[1]);
    layout->addWidget(m_caption, 1);
    layout->addWidget(m_arrows[2]);
    layout->addWidget(m_arrows[3]);

    connect(m_arrows[0], &QToolButton::clicked, this, [this] { move(&Recordset::moveFirst); });
    connect(m_arrows[1], &QToolButton::clicked, this, [this] { move(&Recordset::movePrevious); });
    connect(m_arrows[2], &QToolButton::clicked, this, [this] { move(&Recordset::moveNext); });
    connect(m_arrows[3], &QToolButton::clicked, this, [this] { move(&Recordset::moveLast); });
    connect(m_recordset, &Recordset::changed, this, &DataControl::onChanged);
    connect(m_recordset, &Recordset::aboutToUpdate, this, &DataControl::writeBoxes);

    // Held down, the previous and next arrows go on moving.
    m_arrows[1]->setAutoRepeat(true);
    m_arrows[2]->setAutoRepeat(true);
    addKey(QStringLiteral("Prima înregistrare"), Qt::CTRL | Qt::Key_Home,
           [this] { move(&Recordset::moveFirst); });
    addKey(QStringLiteral("Înregistrarea precedentă"), Qt::CTRL | Qt::Key_Up,
           [this] { move(&Recordset::movePrevious); });
    addKey(QStringLiteral("Înregistrarea următoare"), Qt::CTRL | Qt::Key_Down,
           [this] { move(&Recordset::moveNext); });
    addKey(QStringLiteral("Ultima înregistrare"), Qt::CTRL | Qt::Key_End,
           [this] { move(&Recordset::moveLast); });
    addKey(QStringLiteral("Pagina precedentă"), Qt::Key_PageUp, [this] { moveBy(-m_pageRows); });
    addKey(QStringLiteral("Pagina următoare"), Qt::Key_PageDown, [this] { moveBy(m_pageRows); });
    addKey(QStringLiteral("Salt la înregistrarea..."), Qt::CTRL | Qt::Key_G,
           [this] { editPosition(); });

    m_position->setObjectName(QStringLiteral("Data1Position"));
    m_position->setAccessibleName(QStringLiteral("Numărul înregistrării"));
    m_position->setAlignment(Qt::AlignCenter);
    m_position->hide();
    m_position->installEventFilter(this);
    m_caption->installEventFilter(this);
    // A screen reader names the box by the counter it stands over.
    m_caption->setBuddy(m_position);
    m_caption->setToolTip(QStringLiteral("Clic sau Ctrl+G: salt la o înregistrare"));
}

void DataControl::addKey(const QString &text, const QKeySequence &key,
                         const std::function<void()> &action)
{
    auto *command = new QAction(text, this);
    command->setShortcut(key);
    command->setShortcutContext(Qt::WindowShortcut);
    connect(command, &QAction::triggered, this, [this, action] {
        if (browsing())
            action();
    });
    addAction(command);
}

// In edit mode the screen disables the bar, and its commands go with it.
void DataControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::EnabledChange) {
        for (QAction *command : actions())
            command->setEnabled(isEnabled());
    }
    QWidget::changeEvent(event);
}

bool DataControl::browsing() const
{
    return isEnabled() && isVisible() && m_recordset->editMode() == Recordset::EditMode::None;
}

void DataControl::moveBy(int rows)
{
    const int count = m_recordset->recordCount();
    if (count > 0)
        m_recordset->moveTo(qBound(0, m_recordset->absolutePosition() + rows, count - 1));
}

void DataControl::editPosition()
{
    if (!browsing() || m_recordset->recordCount() == 0)
        return;
    m_position->setGeometry(m_caption->geometry());
    m_position->setText(QString::number(m_recordset->absolutePosition() + 1));
    m_position->show();
    m_position->setFocus(Qt::ShortcutFocusReason);
    m_position->selectAll();
}

void DataControl::endPositionEdit(bool accept)
{
    if (m_position->isHidden())
        return;
    bool number = false;
    const int row = m_position->text().trimmed().toInt(&number) - 1;
    m_position->hide();
    if (!accept)
        return;
    if (number && row >= 0 && row < m_recordset->recordCount())
        m_recordset->moveTo(row);
    else
        QApplication::beep();
}

bool DataControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_caption && event->type() == QEvent::MouseButtonPress) {
        editPosition();
        return true;
    }
    if (watched != m_position)
        return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::FocusOut) {
        endPositionEdit(false);
    } else if (event->type() == QEvent::ShortcutOverride || event->type() == QEvent::KeyPress) {
        // The box's keys are its own while it is open: Esc closes it, not the screen.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Escape || key == Qt::Key_Return || key == Qt::Key_Enter) {
            event->accept();
            if (event->type() == QEvent::KeyPress)
                endPositionEdit(key != Qt::Key_Escape);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

DataControl::~DataControl()
{
    // The record set's queries belong to the connection: end them first.
    delete m_recordset;
    m_recordset = nullptr;
}

QString DataControl::caption() const
{
    return m_caption->text();
}

void DataControl::setCaption(const QString &caption)
{
    m_caption->setText(caption);
}

void DataControl::setDatabaseName(const QString &name)
{
    m_databaseName = name;
}

void DataControl::move(bool (Recordset::*op)())
{
    if (m_recordset->recordCount() > 0)
        (m_recordset->*op)();
}

bool DataControl::refresh()
{
    m_error = DataError();
    // A connection to a file since put in the register's place reads nothing more.
    if (m_db && !m_db->stillInPlace(&m_error)) {
        emit failed(m_error);
        return false;
    }
    if (!m_db || m_openName != m_databaseName) {
        m_recordset->setDatabase(nullptr);
        m_db = Database::open(m_databaseName, &m_error);
        m_openName = m_databaseName;
        m_recordset->setDatabase(m_db.get());
    }
    m_refreshing = true;
    const bool ok = m_recordset->open(m_recordSource);
    m_refreshing = false;
    if (!ok) {
        if (!m_error.isError())
            m_error = m_recordset->lastError();
        emit failed(m_error);
    }
    return ok;
}

void DataControl::bindBoxes(QWidget *form)
{
    const QList<QWidget *> children = form->findChildren<QWidget *>();
    for (QWidget *child : children) {
        const QString field = child->property("dataField").toString();
        if (!field.isEmpty())
            bind(child, field);
    }
}

void DataControl::bind(QWidget *box, const QString &field)
{
    // A bound one-line box keeps its rules from the start, whatever reaches it.
    if (auto *line = qobject_cast<QLineEdit *>(box))
        OneLineInput::of(line);
    m_bindings.append({box, field, boxText(box)});
}

QString DataControl::counterText() const
{
    return QStringLiteral("%1/%2")
        .arg(m_recordset->absolutePosition() + 1)
        .arg(m_recordset->recordCount());
}

void DataControl::showRow()
{
    const bool adding = m_recordset->editMode() == Recordset::EditMode::Adding;
    const bool none = m_recordset->editMode() == Recordset::EditMode::None && m_recordset->eof();
    for (Binding &b : m_bindings) {
        if (!b.box)
            continue;
        const QString text =
            (adding || none) ? QString() : FieldRules::valueText(m_recordset->value(b.field));
        setBoxText(b.box, text);
        b.shown = boxText(b.box);
    }
}

void DataControl::writeBoxes()
{
    const bool adding = m_recordset->editMode() == Recordset::EditMode::Adding;
    for (const Binding &b : m_bindings) {
        if (!b.box || m_recordset->fieldIndex(b.field) < 0)
            continue;
        const QString text = boxText(b.box);
        // An untouched box leaves the stored value exactly as it was.
        if (!adding && text == b.shown)
            continue;
        QVariant value;
        if (qobject_cast<QCheckBox *>(b.box.data()))
            value = (text == QLatin1String("1"));
        else if (!text.isEmpty())
            value = FieldRules::wholeCharacters(text); // UTF-8 has no half character
        if (adding && value.isNull())
            continue;
        m_recordset->setValue(b.field, value);
    }
}

void DataControl::onChanged(Recordset::Change change)
{
    // The file as this save left it: an older copy put back later is told apart.
    if ((change == Recordset::Change::Update || change == Recordset::Change::Delete) && m_db)
        m_db->stillInPlace();
    // Opening the row for change keeps what the boxes show: what the operator
    // sees is what a save stores.
    if (change != Recordset::Change::Edit)
        showRow();
    emit rowShown();
    if (change == Recordset::Change::Move || change == Recordset::Change::CancelUpdate
        || (change == Recordset::Change::Requery && m_refreshing))
        emit reposition();
}

#include "form1.h"
#include "ui_form1.h"

#include "reports/registermenu.h"
#include "screens/common/desktopkeys.h"
#include "screens/common/navigator.h"
#include "widgets/remembered.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

namespace {

const QString PlaceKey = QStringLiteral("windows/Form1/pos");

} // namespace

#include <QFileInfo>
#include <QLabel>

Form1::Form1(Navigator *navigator, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Form1>())
    , m_navigator(navigator)
{
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    m_ui->setupUi(this);
    RegisterMenu::addRegisterCommands(this, QStringLiteral("Zavoni.mdb"));
    setFixedSize(size());
    DesktopKeys::apply(this);
    // Where the operator left it, unless no display shows that place any more.
    const QVariant remembered = Remembered::value(PlaceKey);
    const QPoint at = remembered.toPoint();
    const QScreen *display = QGuiApplication::screenAt(at);
    if (remembered.isValid() && display
        && display->availableGeometry().contains(QRect(at, size())))
        move(at);
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

Form1::~Form1() = default;

void Form1::warnIfReadableByOthers(const QString &fileName)
{
    const QFileInfo file(fileName);
    if (!(file.permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther)))
        return;
    auto *warning = new QLabel(this);
    warning->setObjectName(QStringLiteral("registerWarning"));
    warning->setWordWrap(true);
    warning->setText(QStringLiteral("Atenție: registrul %1 poate fi citit și de ceilalți "
                                    "utilizatori ai calculatorului. Comanda chmod 600 %1 "
                                    "îl face privat.")
                         .arg(file.fileName()));
    // The window grows by the line, so that no designed control moves.
    const int margin = m_ui->Frame1->x();
    const int width = this->width() - 2 * margin;
    const int height = warning->heightForWidth(width);
    warning->setGeometry(margin, this->height(), width, height);
    setFixedSize(this->width(), this->height() + height + margin);
    warning->show();
}

void Form1::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        m_ui->Command2->setFocus(Qt::TabFocusReason);
    }
}

void Form1::closeEvent(QCloseEvent *event)
{
    Remembered::setValue(PlaceKey, pos());
    QWidget::closeEvent(event);
}

void Form1::Command1_Click()
{
    m_navigator->open(ScreenKind::Persons);
}

void Form1::Command2_Click()
{
    close();
}

#include "form1.h"
#include "ui_form1.h"

#include "screens/common/navigator.h"

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
    setFixedSize(size());
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

void Form1::Command1_Click()
{
    m_navigator->open(ScreenKind::Persons);
}

void Form1::Command2_Click()
{
    close();
}

#include "form1.h"
#include "ui_form1.h"

#include "reports/registermenu.h"
#include "screens/common/navigator.h"

Form1::Form1(Navigator *navigator, QWidget *parent)
    : QWidget(parent)
    , m_ui(std::make_unique<Ui::Form1>())
    , m_navigator(navigator)
{
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    m_ui->setupUi(this);
    RegisterMenu::addMenuBar(this, QStringLiteral("Zavoni.mdb"));
    setFixedSize(size());
    connect(m_ui->Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
    connect(m_ui->Command2, &QPushButton::clicked, this, &Form1::Command2_Click);
}

Form1::~Form1() = default;

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

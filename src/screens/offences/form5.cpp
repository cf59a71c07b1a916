#include "form5.h"
#include "ui_form5.h"

#include "screens/common/navigator.h"

Form5::Form5(Navigator *navigator, QWidget *parent)
    : Screen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form5>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Infractiuni comise"));
    setCancelButton(m_ui->Command6);
    m_ui->DBGrid1->setDataControl(m_ui->Data1);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form5::Command6_Click);
    connect(m_ui->Command7, &QPushButton::clicked, this, &Form5::Command7_Click);
    connect(m_ui->Command8, &QPushButton::clicked, this, &Form5::Command8_Click);
}

Form5::~Form5() = default;

void Form5::Command6_Click()
{
    close();
}

void Form5::Command7_Click()
{
    navigator()->open(ScreenKind::Accomplices);
}

void Form5::Command8_Click()
{
    navigator()->open(ScreenKind::Articles);
}

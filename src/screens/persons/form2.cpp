#include "form2.h"
#include "ui_form2.h"

#include "screens/common/navigator.h"

Form2::Form2(Navigator *navigator, QWidget *parent)
    : Screen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form2>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Persoanele zavone"));
    setCancelButton(m_ui->Command6);
    m_ui->DBGrid1->setDataControl(m_ui->Data1);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form2::Command6_Click);
    connect(m_ui->Command9, &QPushButton::clicked, this, &Form2::Command9_Click);
}

Form2::~Form2() = default;

void Form2::Command6_Click()
{
    close();
}

void Form2::Command9_Click()
{
    navigator()->open(ScreenKind::Offences);
}

#include "form3.h"
#include "ui_form3.h"

#include "screens/common/navigator.h"

Form3::Form3(Navigator *navigator, QWidget *parent)
    : Screen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form3>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Complici"));
    setCancelButton(m_ui->Command6);
    m_ui->DBGrid1->setDataControl(m_ui->Data1);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form3::Command6_Click);
}

Form3::~Form3() = default;

void Form3::Command6_Click()
{
    close();
}

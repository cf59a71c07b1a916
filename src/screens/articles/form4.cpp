#include "form4.h"
#include "ui_form4.h"

#include "screens/common/navigator.h"

Form4::Form4(Navigator *navigator, QWidget *parent)
    : Screen(navigator, parent)
    , m_ui(std::make_unique<Ui::Form4>())
{
    m_ui->setupUi(this);
    setScreenTitle(QStringLiteral("Articole din ziare"));
    setCancelButton(m_ui->Command6);
    m_ui->DBGrid1->setDataControl(m_ui->Data1);
    connect(m_ui->Command6, &QPushButton::clicked, this, &Form4::Command6_Click);
}

Form4::~Form4() = default;

void Form4::Command6_Click()
{
    close();
}

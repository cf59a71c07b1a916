#pragma once

#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form5;
}

class Form5 : public Screen
{
    Q_OBJECT

public:
    explicit Form5(Navigator *navigator, QWidget *parent = nullptr);
    ~Form5() override;

    void Command6_Click();
    void Command7_Click();
    void Command8_Click();

private:
    std::unique_ptr<Ui::Form5> m_ui;
};

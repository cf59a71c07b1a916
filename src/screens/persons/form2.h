#pragma once

#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form2;
}

class Form2 : public Screen
{
    Q_OBJECT

public:
    explicit Form2(Navigator *navigator, QWidget *parent = nullptr);
    ~Form2() override;

    void Command6_Click();
    void Command9_Click();

private:
    std::unique_ptr<Ui::Form2> m_ui;
};

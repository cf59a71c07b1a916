#pragma once

#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form4;
}

class Form4 : public Screen
{
    Q_OBJECT

public:
    explicit Form4(Navigator *navigator, QWidget *parent = nullptr);
    ~Form4() override;

    void Command6_Click();

private:
    std::unique_ptr<Ui::Form4> m_ui;
};

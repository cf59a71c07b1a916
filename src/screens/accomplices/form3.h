#pragma once

#include "screens/common/screen.h"

#include <memory>

namespace Ui {
class Form3;
}

class Form3 : public Screen
{
    Q_OBJECT

public:
    explicit Form3(Navigator *navigator, QWidget *parent = nullptr);
    ~Form3() override;

    void Command6_Click();

private:
    std::unique_ptr<Ui::Form3> m_ui;
};

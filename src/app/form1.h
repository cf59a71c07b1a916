#pragma once

#include <QWidget>

#include <memory>

namespace Ui {
class Form1;
}
class Navigator;

// The start window: opens the persons register, or ends the program.
class Form1 : public QWidget
{
    Q_OBJECT

public:
    explicit Form1(Navigator *navigator, QWidget *parent = nullptr);
    ~Form1() override;

    // Names the register in a line below the frames when other users of the
    // machine may read it; the file itself is left as its owner set it.
    void warnIfReadableByOthers(const QString &fileName);

    void Command1_Click();
    void Command2_Click();

protected:
    void showEvent(QShowEvent *event) override;

private:
    std::unique_ptr<Ui::Form1> m_ui;
    Navigator *m_navigator;
    bool m_shown = false;
};

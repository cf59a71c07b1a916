#pragma once

#include <QList>
#include <QObject>

class QRadioButton;

// Option buttons that the keyboard treats as one control, as desktop users
// expect: Tab enters them on the selected option and leaves with the next
// Tab; the arrow keys select the next or the previous option, round the end.
class OptionGroup : public QObject
{
public:
    OptionGroup(const QList<QRadioButton *> &options, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followSelection();

    QList<QRadioButton *> m_options;
};

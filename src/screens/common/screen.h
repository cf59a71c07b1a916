#pragma once

#include <QWidget>

class DataControl;
class Navigator;
class QAbstractButton;

// A screen of the chain. The chain creates it, calls load() (its
// Form_Load, then the record sources set in the form), shows it and calls
// formActivate(); closing it unloads it.
class Screen : public QWidget
{
    Q_OBJECT

public:
    static const QString Banner;

    explicit Screen(Navigator *navigator, QWidget *parent = nullptr);

    void load();
    // Runs when the screen is first shown and each time a screen it opened closes.
    virtual void formActivate() {}

signals:
    void unloaded();

protected:
    Navigator *navigator() const { return m_navigator; }
    // The window title: the screen's own, " - ", the banner.
    void setScreenTitle(const QString &title);
    // The button that Esc presses.
    void setCancelButton(QAbstractButton *button);

    virtual void formLoad() {}

    void closeEvent(QCloseEvent *event) override;

private:
    Navigator *m_navigator;
    QAbstractButton *m_cancel = nullptr;
};

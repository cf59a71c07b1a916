#pragma once

#include <QComboBox>

// A drop-down list that can be locked: it keeps showing its text and can take
// the focus, but neither mouse nor keyboard changes it.
class LockableComboBox : public QComboBox
{
    Q_OBJECT
    Q_PROPERTY(bool locked READ isLocked WRITE setLocked)

public:
    explicit LockableComboBox(QWidget *parent = nullptr);

    bool isLocked() const { return m_locked; }
    void setLocked(bool locked) { m_locked = locked; }

    // Shows the item with this text; false, leaving the list as it was, when
    // no item has it.
    bool setListText(const QString &text);

    void showPopup() override;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    bool m_locked = false;
};

#pragma once

#include <QPlainTextEdit>

// A multi-line text box with a limit on what the operator may type. A longer
// text put in by the program is shown whole.
class MemoBox : public QPlainTextEdit
{
    Q_OBJECT
    Q_PROPERTY(int maxLength READ maxLength WRITE setMaxLength)

public:
    explicit MemoBox(QWidget *parent = nullptr);

    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length) { m_maxLength = length; }

    QString text() const { return toPlainText(); }
    void setText(const QString &text) { setPlainText(text); }

protected:
    void changeEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    int room() const;

    int m_maxLength = 32767;
};

#pragma once

#include <QPlainTextEdit>

// A multi-line text box with a limit, in whole characters, on what the
// operator puts in: typed, pasted, dropped or committed by an input method.
// A longer text put in by the program is shown whole.
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
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    // What of the arriving text fits beside the text kept (the selection and
    // the replaced text go), cut between whole characters.
    QString fitting(const QString &arriving, const QString &replaced = {}) const;

    int m_maxLength = 32767;
};

#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QToolButton;

// The find strip of a list screen: one box, next and previous, and a note of
// how the last search went. It only asks; the screen searches its list and
// reports back, so the strip knows nothing of where the rows live.
class FindBar : public QWidget
{
    Q_OBJECT

public:
    // AsTyped searches from the current row itself, so that a longer text
    // keeps a row that still matches; Next and Previous start beside it.
    enum class Step { AsTyped, Next, Previous };
    Q_ENUM(Step)
    enum class Outcome { Found, Wrapped, NotFound };

    explicit FindBar(QWidget *parent = nullptr);

    QString text() const;
    // Shows the strip with its text selected, ready for a new search.
    void open();
    void findNext();
    void findPrevious();
    // The screen's answer to the last request.
    void report(Outcome outcome, Step step);

signals:
    void findRequested(const QString &text, FindBar::Step step);
    // Esc or the close button: the screen takes the focus back.
    void closed();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void request(Step step);
    void close();

    QLineEdit *m_text;
    QToolButton *m_previous;
    QToolButton *m_next;
    QToolButton *m_close;
    QLabel *m_note;
};

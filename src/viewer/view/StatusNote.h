#pragma once

#include <QLabel>
#include <QTimer>

// A short note over the bottom of the picture ("“a.png” could not be
// written: …"), gone again after a few seconds or on a click. It tells the
// user what went wrong without a dialog to dismiss.
class StatusNote : public QLabel {
    Q_OBJECT
public:
    static constexpr int shownMs = 6000;

    explicit StatusNote(QWidget* parent);

    // With an action ("Undo"), the note offers it as a link after the text.
    void showNote(const QString& text, const QString& action = {});

Q_SIGNALS:
    void actionChosen();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QTimer m_hideTimer;
    bool m_offersAction = false;
};

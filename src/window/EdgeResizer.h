#pragma once

#include <QObject>
#include <QPoint>
#include <QSize>

class QWidget;

// The window edges within grip pixels of pos in a window of size; corners
// give two edges. Nothing when pos lies further inside (or outside).
Qt::Edges edgesAt(QPoint pos, QSize size, int grip);

// Lets a window without a compositor frame be resized from its edges: a left
// press within a few pixels of an edge hands the resize to the compositor
// (QWindow::startSystemResize), before any view under the pointer sees it.
// The size the compositor ends with is then corrected like any user resize.
class EdgeResizer : public QObject {
    Q_OBJECT
public:
    static constexpr int grip = 6;

    // Watches window's presses; lives as long as the window.
    explicit EdgeResizer(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* m_window;
};

#pragma once

#include <QWidget>

// A view that draws its edges smoothed once it has been laid out.
class NSViewInfo : public QWidget {
    Q_OBJECT
public:
    explicit NSViewInfo(QWidget* parent = nullptr) : QWidget(parent) {}
    bool edgeAntialiasing() const { return m_edgeAntialiasing; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    bool m_edgeAntialiasing = false;
};

// A plain view; its class name is what marks it.
class MovableNSView : public QWidget {
    Q_OBJECT
public:
    explicit MovableNSView(QWidget* parent = nullptr) : QWidget(parent) {}
};

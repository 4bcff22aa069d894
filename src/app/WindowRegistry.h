#pragma once

#include <QHash>
#include <QList>
#include <QPointer>
#include <QString>
#include <utility>

class Home;
class PreviewWindowController;
class QWidget;

// The viewer windows by their keys, and which of them is the current one
// (the last opened or activated). Entries stay for the run; a closed
// window's entry answers nothing.
class WindowRegistry {
public:
    // A new window; it becomes the current one.
    void add(const QString& key, PreviewWindowController* controller);
    bool contains(const QString& key) const { return m_controllers.contains(key); }

    PreviewWindowController* controller(const QString& key) const;
    QWidget* window(const QString& key) const;
    Home* viewer(const QString& key) const;
    // The windows still open, in no particular order.
    QList<PreviewWindowController*> open() const;

    // The key of the current window; empty before the first.
    const QString& currentKey() const { return m_current; }
    // A window became active: when it is a viewer window, it is current now.
    void follow(const QWidget* window);

    // The open windows as (key, shown file), ordered by key.
    QList<std::pair<QString, QString>> shownFiles() const;

private:
    QHash<QString, QPointer<PreviewWindowController>> m_controllers;
    QString m_current;
};

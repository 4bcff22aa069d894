#include "app/WindowRegistry.h"

#include "app/PreviewWindowController.h"
#include "viewer/view/Home.h"

#include <algorithm>

void WindowRegistry::add(const QString& key, PreviewWindowController* controller) {
    m_controllers.insert(key, controller);
    m_current = key;
}

PreviewWindowController* WindowRegistry::controller(const QString& key) const {
    return m_controllers.value(key);
}

QWidget* WindowRegistry::window(const QString& key) const {
    const PreviewWindowController* c = controller(key);
    return c ? c->window() : nullptr;
}

Home* WindowRegistry::viewer(const QString& key) const {
    const PreviewWindowController* c = controller(key);
    return c ? c->home() : nullptr;
}

QList<PreviewWindowController*> WindowRegistry::open() const {
    QList<PreviewWindowController*> result;
    for (const auto& controller : m_controllers) {
        if (controller && controller->window())
            result << controller;
    }
    return result;
}

void WindowRegistry::follow(const QWidget* window) {
    // Other windows (dialogs, preferences) leave the current key alone.
    for (auto it = m_controllers.cbegin(); it != m_controllers.cend(); ++it) {
        if (it.value() && it.value()->window() == window) {
            m_current = it.key();
            return;
        }
    }
}

QList<std::pair<QString, QString>> WindowRegistry::shownFiles() const {
    QList<std::pair<QString, QString>> result;
    for (auto it = m_controllers.cbegin(); it != m_controllers.cend(); ++it) {
        if (const Home* home = it.value() ? it.value()->home() : nullptr)
            result.append({it.key(), home->filePath()});
    }
    std::sort(result.begin(), result.end());
    return result;
}

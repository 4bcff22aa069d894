#include "desktop/bus/NotificationCenter.h"

#include <algorithm>
#include <utility>

NotificationCenter::Token::Token(Token&& other) noexcept
    : m_center(std::move(other.m_center)), m_id(std::exchange(other.m_id, 0)) {}

NotificationCenter::Token& NotificationCenter::Token::operator=(Token&& other) noexcept {
    if (this != &other) {
        reset();
        m_center = std::move(other.m_center);
        m_id = std::exchange(other.m_id, 0);
    }
    return *this;
}

NotificationCenter::Token::~Token() {
    reset();
}

void NotificationCenter::Token::reset() {
    if (m_id == 0)
        return;
    if (auto center = m_center.lock())
        (*center)->unsubscribe(m_id);
    m_id = 0;
}

NotificationCenter::NotificationCenter() : m_self(std::make_shared<NotificationCenter*>(this)) {}

NotificationCenter::~NotificationCenter() = default;

NotificationCenter::Token NotificationCenter::subscribe(const QString& name, QObject* owner,
                                                        Handler handler) {
    const quint64 id = m_nextId++;
    m_subscriptions[name].push_back({id, QPointer<QObject>(owner), owner != nullptr,
                                     std::make_shared<Handler>(std::move(handler))});
    return Token(m_self, id);
}

void NotificationCenter::post(const QString& name, const QVariantMap& userInfo) {
    const auto found = m_subscriptions.constFind(name);
    if (found == m_subscriptions.cend())
        return;
    // Handlers may subscribe, unsubscribe or close windows while we walk, so
    // walk a copy and skip entries that went away meanwhile.
    const std::vector<Subscription> snapshot = found.value();
    for (const Subscription& s : snapshot) {
        if (s.hasOwner && s.owner.isNull())
            continue;
        const auto& live = m_subscriptions.value(name);
        const bool stillSubscribed = std::any_of(
            live.cbegin(), live.cend(), [&](const Subscription& l) { return l.id == s.id; });
        if (stillSubscribed)
            (*s.handler)(userInfo);
    }
}

void NotificationCenter::removeObserver(QObject* owner, const QString& name) {
    for (auto it = m_subscriptions.begin(); it != m_subscriptions.end(); ++it) {
        if (!name.isEmpty() && it.key() != name)
            continue;
        auto& list = it.value();
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const Subscription& s) { return s.owner == owner; }),
                   list.end());
    }
}

int NotificationCenter::observerCount(const QString& name) const {
    const auto& list = m_subscriptions.value(name);
    return int(std::count_if(list.cbegin(), list.cend(), [](const Subscription& s) {
        return !s.hasOwner || !s.owner.isNull();
    }));
}

void NotificationCenter::unsubscribe(quint64 id) {
    for (auto& list : m_subscriptions) {
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const Subscription& s) { return s.id == id; }),
                   list.end());
    }
}

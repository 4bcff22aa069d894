#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariantMap>
#include <functional>
#include <memory>
#include <vector>

// In-process named notifications with a user-info map, delivered
// synchronously on the posting thread. A subscription ends when its token is
// destroyed, when its owner object is destroyed, or on removeObserver.
class NotificationCenter {
public:
    using Handler = std::function<void(const QVariantMap& userInfo)>;

    // Ends its subscription when destroyed.
    class Token {
    public:
        Token() = default;
        Token(Token&& other) noexcept;
        // Ends the subscription this token held before taking other's.
        Token& operator=(Token&& other) noexcept;
        ~Token();
        void reset();
        explicit operator bool() const { return m_id != 0; }

    private:
        friend class NotificationCenter;
        Token(std::weak_ptr<NotificationCenter*> center, quint64 id)
            : m_center(std::move(center)), m_id(id) {}
        std::weak_ptr<NotificationCenter*> m_center;
        quint64 m_id = 0;
    };

    NotificationCenter();
    ~NotificationCenter();
    NotificationCenter(const NotificationCenter&) = delete;
    NotificationCenter& operator=(const NotificationCenter&) = delete;

    // owner: the subscription ends with it (may be null).
    [[nodiscard]] Token subscribe(const QString& name, QObject* owner, Handler handler);
    void post(const QString& name, const QVariantMap& userInfo = {});
    // Ends every subscription of owner, or only those for name when given.
    void removeObserver(QObject* owner, const QString& name = QString());
    int observerCount(const QString& name) const;

private:
    struct Subscription {
        quint64 id;
        QPointer<QObject> owner;
        bool hasOwner;
        std::shared_ptr<Handler> handler;
    };
    void unsubscribe(quint64 id);

    QHash<QString, std::vector<Subscription>> m_subscriptions;
    quint64 m_nextId = 1;
    std::shared_ptr<NotificationCenter*> m_self;
};

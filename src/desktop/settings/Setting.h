#pragma once

#include "desktop/settings/SettingsStore.h"
#include "desktop/settings/StoredValue.h"

#include <QObject>
#include <functional>
#include <memory>

// Signals of a setting's value; a separate non-template class because moc
// cannot handle templates.
class SettingNotifier : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void objectWillChange();
    void valueChanged();
};

// The live value of one setting, shared by the copies of one Setting and
// following the key in the store.
template <typename T> class SettingValue : public SettingNotifier {
public:
    using Transform = std::function<std::optional<T>(const QVariant&)>;

    SettingValue(T initial, SettingsStore* store, QString key, Transform transform)
        : m_value(initial), m_default(initial), m_key(std::move(key)),
          m_transform(std::move(transform)) {
        // Watching ends with this object: Qt drops the connection when the
        // receiver is destroyed.
        connect(store, &SettingsStore::valueChanged, this,
                [this](const QString& changed, const QVariant& value) {
                    if (changed == m_key)
                        observe(value);
                });
    }

    const T& value() const { return m_value; }
    const QString& key() const { return m_key; }

    void setValue(const T& value) {
        if (value == m_value)
            return;
        Q_EMIT objectWillChange();
        m_value = value;
        Q_EMIT valueChanged();
    }

private:
    // A removed key, or a value of another type, returns to the value
    // resolved when the setting was created.
    void observe(const QVariant& stored) {
        std::optional<T> next;
        if (stored.isValid())
            next = m_transform(stored);
        setValue(next.value_or(m_default));
    }

    T m_value;
    const T m_default;
    const QString m_key;
    const Transform m_transform;
};

// A two-way handle for controls such as check boxes.
template <typename T> struct Binding {
    std::function<T()> get;
    std::function<void(const T&)> set;
};

// A setting bound to one key of the settings store. It reads the stored value
// once at creation (the default when there is none of the right type), writes
// every change through, and follows changes of the key made anywhere else.
// The default itself is never written.
template <typename T> class Setting {
public:
    Setting(T defaultValue, const QString& key, SettingsStore* store = nullptr) {
        SettingsStore* s = store ? store : &SettingsStore::standard();
        auto transform = [](const QVariant& v) { return StoredValue<T>::fromStored(v); };
        const T initial = transform(s->value(key)).value_or(defaultValue);
        m_save = [s, key](const T& value) { s->setValue(key, StoredValue<T>::toStored(value)); };
        m_value = std::make_shared<SettingValue<T>>(initial, s, key, transform);
    }

    T value() const { return m_value->value(); }
    operator T() const { return value(); }

    void setValue(const T& value) {
        m_save(value);
        m_value->setValue(value);
    }
    Setting& operator=(const T& value) {
        setValue(value);
        return *this;
    }

    Binding<T> binding() const {
        return {[value = m_value] { return value->value(); },
                [value = m_value, save = m_save](const T& v) {
                    save(v);
                    value->setValue(v);
                }};
    }

    // For views that redraw when the value changes.
    const SettingNotifier* notifier() const { return m_value.get(); }
    QString key() const { return m_value->key(); }

private:
    std::shared_ptr<SettingValue<T>> m_value;
    std::function<void(const T&)> m_save;
};

#pragma once

#include "desktop/settings/SettingsStore.h"
#include "desktop/settings/StoredValue.h"

#include <QObject>
#include <functional>
#include <memory>

// Signals of a Storage; a separate non-template class because moc cannot
// handle templates.
class StorageNotifier : public QObject {
    Q_OBJECT
Q_SIGNALS:
    void objectWillChange();
    void valueChanged();
};

// The live value of one setting, shared by the copies of one wrapper.
template <typename T> class Storage : public StorageNotifier {
public:
    using Transform = std::function<std::optional<T>(const QVariant&)>;

    Storage(T initial, SettingsStore* store, QString keyPath, Transform transform)
        : _value(initial), defaultValue(initial), store(store), keyPath(std::move(keyPath)),
          transform(std::move(transform)) {
        // Watching ends with this object: Qt drops the connection when the
        // receiver is destroyed.
        connect(store, &SettingsStore::valueChanged, this,
                [this](const QString& key, const QVariant& value) {
                    if (key == this->keyPath)
                        observe(value);
                });
    }

    const T& value() const { return _value; }

    void setValue(const T& value) {
        if (value == _value)
            return;
        Q_EMIT objectWillChange();
        _value = value;
        Q_EMIT valueChanged();
    }

    T _value;
    const T defaultValue;
    SettingsStore* const store;
    const QString keyPath;
    const Transform transform;

private:
    // A removed key, or a value of another type, returns to the value
    // resolved when the wrapper was created.
    void observe(const QVariant& stored) {
        std::optional<T> next;
        if (stored.isValid())
            next = transform(stored);
        setValue(next.value_or(defaultValue));
    }
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
template <typename T> class AppStorageCompat {
public:
    AppStorageCompat(T defaultValue, const QString& key, SettingsStore* store = nullptr) {
        SettingsStore* s = store ? store : &SettingsStore::standard();
        auto transform = [](const QVariant& v) { return StoredValue<T>::fromStored(v); };
        const T initial = transform(s->value(key)).value_or(defaultValue);
        saveValue = [s, key](const T& value) { s->setValue(key, StoredValue<T>::toStored(value)); };
        __value = std::make_shared<Storage<T>>(initial, s, key, transform);
    }

    T wrappedValue() const { return __value->value(); }
    operator T() const { return wrappedValue(); }

    void setWrappedValue(const T& value) {
        saveValue(value);
        __value->setValue(value);
    }
    AppStorageCompat& operator=(const T& value) {
        setWrappedValue(value);
        return *this;
    }

    Binding<T> projectedValue() const {
        auto storage = __value;
        auto save = saveValue;
        return {[storage] { return storage->value(); },
                [storage, save](const T& value) {
                    save(value);
                    storage->setValue(value);
                }};
    }

    // Per-frame hook of declarative views; nothing to do here.
    void update() {}

    // For views that redraw when the value changes.
    const StorageNotifier* notifier() const { return __value.get(); }
    QString key() const { return __value->keyPath; }

    std::shared_ptr<Storage<T>> __value;
    std::function<void(const T&)> saveValue;
};

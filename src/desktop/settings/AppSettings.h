#pragma once

#include "UpdateFeed.h"
#include "desktop/settings/Setting.h"

#include <QString>

// Every key the program keeps in the settings store, with its default.
// Defaults are never written; they apply while a key holds no value of the
// right type.
namespace AppSettings {

template <typename T> struct Key {
    const char* name;
    T defaultValue;
    QString key() const { return QString::fromLatin1(name); }
};

inline const Key<bool> setFileDefaults{"setFileDefaults", true};
inline const Key<bool> visualStyleAsFrame{"visualStyleAsFrame", true};
inline const Key<QString> lastOpenLocation{"lastOpenLocation", QString()};
inline const Key<bool> hideInfoSidebarStorage{"hideInfoSidebarStorage", true};
inline const Key<bool> pngChoose{"pngChoose", true};
inline const Key<bool> jpgChoose{"jpgChoose", true};
inline const Key<bool> jpegChoose{"jpegChoose", true};
inline const Key<bool> heifChoose{"heifChoose", true};
inline const Key<bool> heicChoose{"heicChoose", true};
inline const Key<bool> bmpChoose{"bmpChoose", true};
inline const Key<bool> dngChoose{"dngChoose", true};
// Where the location map gets its tiles: {z}, {x} and {y} are replaced by
// the tile's zoom level, column and row.
inline const Key<QString> mapTileTemplate{
    "mapTileTemplate", QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png")};

// Where "Check for Updates…" reads the list of releases (an RSS appcast);
// none unless the build or the user gives one.
inline const Key<QString> updateFeedURL{"updateFeedURL", QStringLiteral(FENNIC_UPDATE_FEED)};

} // namespace AppSettings

// Creates the wrapper for one entry of the table above.
template <typename T>
Setting<T> makeSetting(const AppSettings::Key<T>& key, SettingsStore* store = nullptr) {
    return Setting<T>(key.defaultValue, key.key(), store);
}

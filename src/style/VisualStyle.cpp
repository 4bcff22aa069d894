#include "style/VisualStyle.h"

#include "desktop/settings/AppSettings.h"
#include "desktop/settings/SettingsStore.h"

namespace visualstyle {

std::optional<VISUALSTYLE> fromRawValue(int raw) {
    switch (raw) {
    case 0:
        return VISUALSTYLE::FRAME;
    case 1:
        return VISUALSTYLE::FRAMELESS;
    default:
        return std::nullopt;
    }
}

int rawValue(VISUALSTYLE style) {
    return static_cast<int>(style);
}

VISUALSTYLE fromVisualStyleAsFrame(bool asFrame) {
    return asFrame ? VISUALSTYLE::FRAME : VISUALSTYLE::FRAMELESS;
}

bool visualStyleAsFrame(VISUALSTYLE style) {
    return style == VISUALSTYLE::FRAME;
}

VISUALSTYLE current(SettingsStore* store) {
    const SettingsStore& s = store ? *store : SettingsStore::standard();
    const auto& key = AppSettings::visualStyleAsFrame;
    return fromVisualStyleAsFrame(
        StoredValue<bool>::fromStored(s.value(key.key())).value_or(key.defaultValue));
}

double toolbarHeight(VISUALSTYLE style) {
    return style == VISUALSTYLE::FRAME ? frameBandHeight : 0.0;
}

double toolbarHeightFor(bool visualStyleAsFrame) {
    return toolbarHeight(fromVisualStyleAsFrame(visualStyleAsFrame));
}

double imageInset(VISUALSTYLE style) {
    return style == VISUALSTYLE::FRAME ? 6.0 : 0.0;
}

QSizeF pictureSurround(VISUALSTYLE style) {
    const double inset = imageInset(style);
    return QSizeF(2 * inset, toolbarHeight(style) + 2 * inset);
}

QSizeF pictureSurroundFor(bool visualStyleAsFrame) {
    return pictureSurround(fromVisualStyleAsFrame(visualStyleAsFrame));
}

} // namespace visualstyle

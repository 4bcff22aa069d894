#include "app/ActionRequest.h"

namespace {
bool isText(const QVariant& value) {
    return value.typeId() == QMetaType::QString;
}
} // namespace

ActionRequest readActionRequest(const QString& name, const QVariantList& parameter,
                                const QString& currentKey) {
    ActionRequest request;
    const WindowCommandEntry* entry = windowcommands::named(name);
    if (!entry) {
        request.error = QStringLiteral("there is no action named '%1'").arg(name);
        return request;
    }
    request.command = entry->command;
    QVariantMap& userInfo = request.userInfo;
    if (parameter.size() == 1 && isText(parameter.first())) {
        userInfo.insert(QStringLiteral("uuid"), parameter.first());
    } else if (parameter.size() == 2 && isText(parameter.at(0)) && isText(parameter.at(1))) {
        userInfo.insert(QStringLiteral("uuid"), parameter.at(0));
        userInfo.insert(QStringLiteral("value"), parameter.at(1));
    } else if (parameter.size() == 1 && parameter.first().typeId() == QMetaType::QVariantMap) {
        userInfo = parameter.first().toMap();
        // A map names its window: one without a key is a mistake, not a
        // request for whichever window happens to be active.
        if (!userInfo.contains(QStringLiteral("uuid"))) {
            request.error = QStringLiteral("the map names no window under \"uuid\"");
            return request;
        }
    } else if (!parameter.isEmpty()) {
        request.error = QStringLiteral("the parameter is [window key], [window key, value] or a "
                                       "map of \"uuid\" and \"value\"");
        return request;
    }
    if (!userInfo.contains(QStringLiteral("uuid")) && !currentKey.isEmpty())
        userInfo.insert(QStringLiteral("uuid"), currentKey);
    const QVariant key = userInfo.value(QStringLiteral("uuid"));
    if (!isText(key)) {
        request.error = QStringLiteral("\"uuid\" is the text of a window key");
        return request;
    }
    request.key = key.toString();
    if (entry->needsValue && !windowcommands::valueOf(userInfo))
        request.error = QStringLiteral("'%1' needs a text under \"value\"").arg(name);
    return request;
}

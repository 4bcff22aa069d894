#include "desktop/apps/DesktopExec.h"

#include "desktop/apps/DesktopEntry.h"

#include <QUrl>

namespace {

bool isFileCode(QChar code) {
    return code == u'f' || code == u'F' || code == u'u' || code == u'U';
}

// Expands the field codes of one argument into zero, one or two arguments.
QStringList expandArgument(const QString& argument, const DesktopEntry& entry, const QString& path,
                           const QString& url) {
    const QString icon = entry.string(QStringLiteral("Icon"));
    // %i stands alone for two arguments, or for nothing without an icon.
    if (argument == QLatin1String("%i"))
        return icon.isEmpty() ? QStringList() : QStringList{QStringLiteral("--icon"), icon};

    QString expanded;
    bool onlyCodes = true;
    for (qsizetype i = 0; i < argument.size(); ++i) {
        const QChar c = argument.at(i);
        if (c != u'%' || i + 1 == argument.size()) {
            expanded += c;
            onlyCodes = false;
            continue;
        }
        switch (argument.at(++i).unicode()) {
        case 'f':
        case 'F':
            expanded += path;
            break;
        case 'u':
        case 'U':
            expanded += url;
            break;
        case 'c':
            expanded += entry.localeString(QStringLiteral("Name"));
            break;
        case 'k':
            expanded += entry.location;
            break;
        case '%':
            expanded += u'%';
            onlyCodes = false;
            break;
        default:
            break; // %d %D %n %N %v %m (deprecated) and unknown codes
        }
    }
    // An argument made only of codes that gave nothing is no argument.
    if (expanded.isEmpty() && onlyCodes)
        return {};
    return {expanded};
}

} // namespace

std::optional<QStringList> splitExec(const QString& exec) {
    QStringList arguments;
    QString current;
    bool inArgument = false;
    bool quoted = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec.at(i);
        if (quoted) {
            if (c == u'"') {
                quoted = false;
            } else if (c == u'\\' && i + 1 < exec.size() &&
                       QStringView(u"\"`$\\").contains(exec.at(i + 1))) {
                current += exec.at(++i);
            } else {
                current += c;
            }
        } else if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inArgument)
                arguments << current;
            current.clear();
            inArgument = false;
        } else if (c == u'"') {
            quoted = true;
            inArgument = true;
        } else if (c == u'\\' && i + 1 < exec.size()) {
            // Not allowed unquoted; read as the character it escapes.
            current += exec.at(++i);
            inArgument = true;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inArgument)
        arguments << current;
    return arguments;
}

std::optional<ExecCommand> commandForFile(const DesktopEntry& entry, const QString& filePath) {
    const auto split = splitExec(entry.string(QStringLiteral("Exec")));
    if (!split || split->isEmpty())
        return std::nullopt;
    const QString url = QUrl::fromLocalFile(filePath).toString(QUrl::FullyEncoded);
    bool hasFileCode = false;
    QStringList expanded;
    for (qsizetype i = 0; i < split->size(); ++i) {
        const QString& argument = split->at(i);
        for (qsizetype at = i == 0 ? -1 : argument.indexOf(u'%');
             at >= 0 && at + 1 < argument.size(); at = argument.indexOf(u'%', at + 2)) {
            hasFileCode = hasFileCode || isFileCode(argument.at(at + 1));
        }
        // The program itself is taken as written.
        expanded << (i == 0 ? QStringList{argument}
                            : expandArgument(argument, entry, filePath, url));
    }
    if (!hasFileCode)
        expanded << filePath;
    return ExecCommand{expanded.first(), expanded.mid(1)};
}

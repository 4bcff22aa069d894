#include "desktop/apps/MimeAppsList.h"

#include <optional>
#include <vector>

namespace MimeAppsList {

namespace {

// One line as it stands in the file: its text and its own line end, which
// is empty for a last line without one.
struct Line {
    QByteArray text;
    QByteArray end;
    bool inDefaults = false;
};

std::vector<Line> splitLines(const QByteArray& content) {
    std::vector<Line> lines;
    qsizetype start = 0;
    bool inDefaults = false;
    while (start < content.size()) {
        const qsizetype newline = content.indexOf('\n', start);
        Line line;
        if (newline < 0) {
            line.text = content.mid(start);
            start = content.size();
        } else {
            const bool crlf = newline > start && content.at(newline - 1) == '\r';
            line.text = content.mid(start, newline - start - (crlf ? 1 : 0));
            line.end = crlf ? QByteArray("\r\n") : QByteArray("\n");
            start = newline + 1;
        }
        const QByteArray trimmed = line.text.trimmed();
        if (trimmed.startsWith('[') && trimmed.endsWith(']'))
            inDefaults = trimmed.mid(1, trimmed.size() - 2) == defaultApplicationsGroup;
        else
            line.inDefaults = inDefaults;
        lines.push_back(line);
    }
    return lines;
}

QByteArray joinLines(const std::vector<Line>& lines) {
    QByteArray out;
    for (const Line& line : lines)
        out += line.text + line.end;
    return out;
}

// The line end new lines get: the file's own, "\n" for a new file.
QByteArray lineEndOf(const std::vector<Line>& lines) {
    for (const Line& line : lines) {
        if (!line.end.isEmpty())
            return line.end;
    }
    return "\n";
}

bool isKeyLine(const Line& line, const QByteArray& key) {
    if (!line.inDefaults)
        return false;
    const QByteArray trimmed = line.text.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith('#'))
        return false;
    const qsizetype equals = trimmed.indexOf('=');
    return equals > 0 && trimmed.left(equals).trimmed() == key;
}

QList<QByteArray> handlersOf(const Line& line) {
    QList<QByteArray> handlers;
    const QByteArray value = line.text.mid(line.text.indexOf('=') + 1);
    for (const QByteArray& part : value.split(';')) {
        const QByteArray id = part.trimmed();
        if (!id.isEmpty())
            handlers << id;
    }
    return handlers;
}

QByteArray entry(const QByteArray& mimeType, const QList<QByteArray>& handlers) {
    return mimeType + '=' + handlers.join(';') + ';';
}

void appendUnique(QList<QByteArray>& list, const QList<QByteArray>& more) {
    for (const QByteArray& id : more) {
        if (!list.contains(id))
            list << id;
    }
}

// Where a new key goes: after the last non-blank line of the first
// [Default Applications] group, or nowhere when there is no such group.
std::optional<size_t> insertionPoint(const std::vector<Line>& lines) {
    std::optional<size_t> point;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].text.trimmed();
        const bool header = trimmed.startsWith('[') && trimmed.endsWith(']');
        if (header && trimmed.mid(1, trimmed.size() - 2) == defaultApplicationsGroup) {
            if (point)
                break;
            point = i + 1;
        } else if (point && lines[i].inDefaults && !trimmed.isEmpty()) {
            point = i + 1;
        } else if (point && header) {
            break;
        }
    }
    return point;
}

// Puts a line in before `at`, giving the line above a line end if it was
// the file's last line without one.
void insertLine(std::vector<Line>& lines, size_t at, const QByteArray& text,
                const QByteArray& end) {
    if (at > 0 && lines[at - 1].end.isEmpty())
        lines[at - 1].end = end;
    lines.insert(lines.begin() + qsizetype(at), Line{text, end, true});
}

} // namespace

QList<QByteArray> defaultHandlers(const QByteArray& content, const QByteArray& mimeType) {
    QList<QByteArray> handlers;
    for (const Line& line : splitLines(content)) {
        if (isKeyLine(line, mimeType))
            appendUnique(handlers, handlersOf(line));
    }
    return handlers;
}

QByteArray withDefaultHandler(const QByteArray& content, const QByteArray& mimeType,
                              const QByteArray& desktopId) {
    std::vector<Line> lines = splitLines(content);
    const QByteArray end = lineEndOf(lines);
    QList<QByteArray> handlers{desktopId};
    std::optional<size_t> first;
    for (size_t i = 0; i < lines.size();) {
        if (!isKeyLine(lines[i], mimeType)) {
            ++i;
            continue;
        }
        appendUnique(handlers, handlersOf(lines[i]));
        if (!first) {
            first = i++;
        } else {
            // A later repeat: its handlers are merged into the first entry.
            if (lines[i].end.isEmpty())
                lines[i - 1].end.clear();
            lines.erase(lines.begin() + qsizetype(i));
        }
    }
    if (first) {
        const QByteArray text = entry(mimeType, handlers);
        // An entry that already says this keeps its own spelling.
        if (handlersOf(lines[*first]) != handlers)
            lines[*first].text = text;
        return joinLines(lines);
    }
    if (const std::optional<size_t> at = insertionPoint(lines)) {
        insertLine(lines, *at, entry(mimeType, handlers), end);
        return joinLines(lines);
    }
    if (!lines.empty()) {
        if (lines.back().end.isEmpty())
            lines.back().end = end;
        if (!lines.back().text.trimmed().isEmpty())
            lines.push_back(Line{QByteArray(), end});
    }
    lines.push_back(Line{QByteArray("[") + defaultApplicationsGroup + ']', end});
    lines.push_back(Line{entry(mimeType, handlers), end, true});
    return joinLines(lines);
}

QByteArray withoutDefaultHandler(const QByteArray& content, const QByteArray& mimeType,
                                 const QByteArray& desktopId) {
    std::vector<Line> lines = splitLines(content);
    bool changed = false;
    for (size_t i = 0; i < lines.size();) {
        QList<QByteArray> handlers;
        if (isKeyLine(lines[i], mimeType))
            handlers = handlersOf(lines[i]);
        if (!handlers.contains(desktopId)) {
            ++i;
            continue;
        }
        changed = true;
        handlers.removeAll(desktopId);
        if (!handlers.isEmpty()) {
            lines[i++].text = entry(mimeType, handlers);
            continue;
        }
        if (lines[i].end.isEmpty() && i > 0)
            lines[i - 1].end.clear();
        lines.erase(lines.begin() + qsizetype(i));
    }
    return changed ? joinLines(lines) : content;
}

} // namespace MimeAppsList

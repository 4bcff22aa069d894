#include "desktop/apps/MimeAppsList.h"

#include <optional>
#include <vector>

namespace MimeAppsList {

namespace {

// One line as it stands in the file, with its own line end (empty for a
// last line without one).
struct Line {
    QByteArray text;
    QByteArray end;
    bool inDefaults = false; // a key line could belong to [Default Applications]
};

bool isHeader(const QByteArray& trimmed) {
    return trimmed.startsWith('[') && trimmed.endsWith(']');
}

bool isDefaultsHeader(const QByteArray& trimmed) {
    return isHeader(trimmed) && trimmed.mid(1, trimmed.size() - 2) == defaultApplicationsGroup;
}

std::vector<Line> splitLines(const QByteArray& content) {
    std::vector<Line> lines;
    bool inDefaults = false;
    for (qsizetype start = 0; start < content.size();) {
        qsizetype newline = content.indexOf('\n', start);
        if (newline < 0)
            newline = content.size();
        const bool crlf =
            newline < content.size() && newline > start && content[newline - 1] == '\r';
        Line line{content.mid(start, newline - start - (crlf ? 1 : 0)),
                  newline == content.size() ? QByteArray() : QByteArray(crlf ? "\r\n" : "\n")};
        const QByteArray trimmed = line.text.trimmed();
        if (isHeader(trimmed))
            inDefaults = isDefaultsHeader(trimmed);
        else
            line.inDefaults = inDefaults;
        lines.push_back(line);
        start = newline + 1;
    }
    return lines;
}

QByteArray joinLines(const std::vector<Line>& lines) {
    QByteArray out;
    for (const Line& line : lines)
        out += line.text + line.end;
    return out;
}

bool isKeyLine(const Line& line, const QByteArray& key) {
    const QByteArray trimmed = line.text.trimmed();
    const qsizetype equals = trimmed.indexOf('=');
    return line.inDefaults && !trimmed.startsWith('#') && equals > 0 &&
           trimmed.left(equals).trimmed() == key;
}

QList<QByteArray> handlersOf(const Line& line) {
    QList<QByteArray> handlers;
    for (const QByteArray& part : line.text.mid(line.text.indexOf('=') + 1).split(';')) {
        const QByteArray id = part.trimmed();
        if (!id.isEmpty() && !handlers.contains(id))
            handlers << id;
    }
    return handlers;
}

// Every line of the type's key in [Default Applications], and their
// handlers read as one list.
struct TypeEntries {
    std::vector<size_t> lines;
    QList<QByteArray> handlers;
};

TypeEntries entriesOf(const std::vector<Line>& lines, const QByteArray& mimeType) {
    TypeEntries entries;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!isKeyLine(lines[i], mimeType))
            continue;
        entries.lines.push_back(i);
        for (const QByteArray& id : handlersOf(lines[i])) {
            if (!entries.handlers.contains(id))
                entries.handlers << id;
        }
    }
    return entries;
}

// Takes a line out; a last line without a line end leaves the one above
// without one too.
void eraseLine(std::vector<Line>& lines, size_t at) {
    if (lines[at].end.isEmpty() && at > 0)
        lines[at - 1].end.clear();
    lines.erase(lines.begin() + qsizetype(at));
}

// Where a new key goes: after the last non-blank line of the first
// [Default Applications] group.
std::optional<size_t> insertionPoint(const std::vector<Line>& lines) {
    std::optional<size_t> point;
    for (size_t i = 0; i < lines.size(); ++i) {
        const QByteArray trimmed = lines[i].text.trimmed();
        if (point && isHeader(trimmed))
            break;
        if (isDefaultsHeader(trimmed) || (point && !trimmed.isEmpty()))
            point = i + 1;
    }
    return point;
}

// Adds the key to the group, or the group after a blank line at the end.
void insertKey(std::vector<Line>& lines, const QByteArray& text) {
    QByteArray end = "\n"; // the file's own line end, "\n" for a new file
    for (const Line& line : lines) {
        if (!line.end.isEmpty()) {
            end = line.end;
            break;
        }
    }
    std::optional<size_t> at = insertionPoint(lines);
    if (!at) {
        if (!lines.empty() && lines.back().end.isEmpty())
            lines.back().end = end;
        if (!lines.empty() && !lines.back().text.trimmed().isEmpty())
            lines.push_back(Line{QByteArray(), end});
        lines.push_back(Line{QByteArray("[") + defaultApplicationsGroup + ']', end});
        at = lines.size();
    } else if (lines[*at - 1].end.isEmpty()) {
        lines[*at - 1].end = end;
    }
    lines.insert(lines.begin() + qsizetype(*at), Line{text, end, true});
}

// The type's handlers with desktopId first (ours) or without it. The list
// goes to the first key; later repeats are merged into it and taken out, so
// that every reader (first key wins or last key wins) agrees.
QByteArray withHandlers(const QByteArray& content, const QByteArray& mimeType,
                        const QByteArray& desktopId, bool ours) {
    std::vector<Line> lines = splitLines(content);
    const TypeEntries entries = entriesOf(lines, mimeType);
    QList<QByteArray> wanted = entries.handlers;
    wanted.removeAll(desktopId);
    if (ours)
        wanted.prepend(desktopId);
    // Nothing to change for us: the very same bytes, repeats and spelling too.
    if (wanted == entries.handlers &&
        (entries.lines.size() <= 1 || !entries.handlers.contains(desktopId)))
        return content;
    for (auto it = entries.lines.rbegin(); it != entries.lines.rend(); ++it) {
        if (*it != entries.lines.front() || wanted.isEmpty())
            eraseLine(lines, *it);
    }
    if (!wanted.isEmpty()) {
        const QByteArray text = mimeType + '=' + wanted.join(';') + ';';
        if (entries.lines.empty())
            insertKey(lines, text);
        else if (handlersOf(lines[entries.lines.front()]) != wanted)
            lines[entries.lines.front()].text = text; // else its own spelling stays
    }
    return joinLines(lines);
}

} // namespace

QList<QByteArray> defaultHandlers(const QByteArray& content, const QByteArray& mimeType) {
    return entriesOf(splitLines(content), mimeType).handlers;
}

QByteArray withDefaultHandler(const QByteArray& content, const QByteArray& mimeType,
                              const QByteArray& desktopId) {
    return withHandlers(content, mimeType, desktopId, true);
}

QByteArray withoutDefaultHandler(const QByteArray& content, const QByteArray& mimeType,
                                 const QByteArray& desktopId) {
    return withHandlers(content, mimeType, desktopId, false);
}

} // namespace MimeAppsList

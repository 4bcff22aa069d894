#pragma once

#include <QByteArray>
#include <QList>

// Edits of the text of a freedesktop mimeapps.list, done as plain text so
// that every line the edit is not about (comments, other groups, odd
// spacing, CRLF line ends) stays byte for byte as the user or another
// program wrote it.
//
// Only the [Default Applications] group is touched. A type's entry there is
// a ';'-separated list of desktop-file IDs, the first installed one being
// the default; the other handlers are kept after ours, so that the type
// still opens with the user's earlier choice if this program goes away.
namespace MimeAppsList {

// The group that names the default handler of each type.
inline constexpr const char* defaultApplicationsGroup = "Default Applications";

// The handlers listed for mimeType in [Default Applications], in order, with
// repeated keys read as one list.
QList<QByteArray> defaultHandlers(const QByteArray& content, const QByteArray& mimeType);

// content with desktopId first in mimeType's default entry. Other handlers
// follow in their order; repeated keys of the type are merged into the
// first, so that every reader (first key wins or last key wins) agrees. The
// group is added at the end when there is none.
QByteArray withDefaultHandler(const QByteArray& content, const QByteArray& mimeType,
                              const QByteArray& desktopId);

// content with desktopId taken out of mimeType's default entry, repeated
// keys merged as above; an entry left empty is removed. Unchanged when
// desktopId is not there.
QByteArray withoutDefaultHandler(const QByteArray& content, const QByteArray& mimeType,
                                 const QByteArray& desktopId);

} // namespace MimeAppsList

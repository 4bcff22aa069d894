#pragma once

#include <QFile>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>

// The text chunks of a PNG file (tEXt, zTXt, iTXt), read chunk by chunk with
// pread and inflated here, not by libpng: 300 zTXt chunks of 15 MB each made
// Qt's reader inflate 4.5 GB. Only the keywords wanted are inflated, and
// once their text would pass `budget` bytes in all, the rest is left out.
namespace PngTexts {

using KeywordFilter = std::function<bool(const QString& keyword)>;

// Keyword and text of each wanted chunk, in file order.
QList<QPair<QString, QString>> read(const QFile& file, const KeywordFilter& wanted, qint64 budget);

} // namespace PngTexts

#pragma once

#include <QDateTime>
#include <QString>
#include <optional>

// Conversions between the fixed date layout stored in Exif and TIFF fields
// and the short form the details sidebar shows. Exif stores a clock reading
// without a zone, so the displayed clock time is the one in the file, in
// every time zone of the system.
class DateHelper {
public:
    // Parses exactly "yyyy:MM:dd HH:mm:ss" (e.g. "2021:06:15 14:30:00"): the
    // written date and clock time, held as UTC so that nothing converts
    // them. Anything else, including impossible dates, gives nothing.
    std::optional<QDateTime> parseExifDate(const QString& text) const;
};

// "Tue, 15 Jun 21 - 02:30pm": English names, ASCII digits and a 12-hour
// clock whatever the user's locale, of the date and time fields as they
// are (no conversion to the system's zone). An invalid date gives an empty
// text.
QString formatDisplayDate(const QDateTime& date);

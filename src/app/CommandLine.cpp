#include "app/CommandLine.h"

#include "app/FolderListing.h"
#include "app/OpenRequest.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

struct Argument {
    QString text;
    bool decodable = true;
};

CommandLine parseArguments(const std::vector<Argument>& args) {
    CommandLine line;
    bool optionsEnded = false;
    for (const Argument& argument : args) {
        const QString& arg = argument.text;
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && arg == QLatin1String("--list")) {
            line.mode = CommandLine::Mode::List;
        } else if (!optionsEnded && arg == QLatin1String("--info")) {
            line.mode = CommandLine::Mode::Info;
        } else if (!optionsEnded &&
                   (arg == QLatin1String("--help") || arg == QLatin1String("-h"))) {
            line.mode = CommandLine::Mode::Help;
            return line;
        } else if (!optionsEnded && arg == QLatin1String("--version")) {
            line.mode = CommandLine::Mode::Version;
            return line;
        } else if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            line.error = QStringLiteral("unknown option '%1'").arg(arg);
            return line;
        } else if (argument.decodable) {
            line.paths << arg;
        } else {
            line.undecodablePaths << arg;
        }
    }
    const qsizetype named = line.paths.size() + line.undecodablePaths.size();
    if (line.mode == CommandLine::Mode::List && named != 1)
        line.error = QStringLiteral("--list takes exactly one folder");
    else if (line.mode == CommandLine::Mode::Info && named == 0)
        line.error = QStringLiteral("--info takes one or more files");
    return line;
}

// Length of the valid UTF-8 sequence at bytes[i], or 0 when there is none.
qsizetype utf8SequenceAt(QByteArrayView bytes, qsizetype i) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    const qsizetype length = lead < 0x80 ? 1 : lead >= 0xf0 ? 4 : lead >= 0xe0 ? 3 : 2;
    if (i + length > bytes.size())
        return 0;
    return isUtf8Name(bytes.sliced(i, length)) ? length : 0;
}

} // namespace

CommandLine parseCommandLine(const QStringList& args) {
    std::vector<Argument> arguments;
    for (const QString& arg : args)
        arguments.push_back({arg, true});
    return parseArguments(arguments);
}

CommandLine parseCommandLine(int argc, const char* const* argv) {
    std::vector<Argument> arguments;
    for (int i = 1; i < argc; ++i) {
        const QByteArrayView bytes(argv[i]);
        if (isUtf8Name(bytes))
            arguments.push_back({QString::fromUtf8(bytes), true});
        else
            arguments.push_back({printableName(bytes), false});
    }
    return parseArguments(arguments);
}

QString usageText() {
    return QStringLiteral(
        "Usage: fennic [FILE|FOLDER...]\n"
        "       fennic --list FOLDER\n"
        "       fennic --info FILE...\n"
        "Opens each image in its own window; a folder opens its first image.\n"
        "--list prints one name per line. A name holding a control character or a\n"
        "backslash is printed with C-style escapes (\\\\, \\n, \\t, \\r, \\xHH);\n"
        "printf '%b' turns such a line back into the name. Names that are not\n"
        "UTF-8 are not listed: Fennic cannot open them.\n");
}

QString printableName(QByteArrayView bytes) {
    QByteArray printed;
    printed.reserve(bytes.size());
    const auto appendHex = [&printed](unsigned char byte) {
        const char digits[] = "0123456789abcdef";
        printed += "\\x";
        printed += digits[byte >> 4];
        printed += digits[byte & 0xf];
    };
    for (qsizetype i = 0; i < bytes.size();) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        const qsizetype length = utf8SequenceAt(bytes, i);
        // C1 controls (U+0080 to U+009F) take two bytes; terminals act on them too.
        const bool control =
            byte < 0x20 || byte == 0x7f ||
            (length == 2 && byte == 0xc2 && static_cast<unsigned char>(bytes[i + 1]) < 0xa0);
        if (byte == '\\')
            printed += "\\\\";
        else if (byte == '\n')
            printed += "\\n";
        else if (byte == '\t')
            printed += "\\t";
        else if (byte == '\r')
            printed += "\\r";
        else if (length == 0)
            appendHex(byte);
        else if (control)
            for (qsizetype k = 0; k < length; ++k)
                appendHex(static_cast<unsigned char>(bytes[i + k]));
        else
            printed += bytes.sliced(i, length);
        i += std::max<qsizetype>(length, 1);
    }
    return QString::fromUtf8(printed);
}

int reportUndecodablePaths(const CommandLine& line) {
    for (const QString& path : line.undecodablePaths)
        std::fprintf(stderr, "fennic: cannot open '%s': %s\n", qUtf8Printable(path),
                     "the name is not valid UTF-8");
    return line.undecodablePaths.isEmpty() ? 0 : 1;
}

int runListCommand(const QString& folder) {
    const FolderListing listing = listImagesInFolder(folder);
    if (!listing.ok()) {
        std::fprintf(stderr, "fennic: cannot list '%s': %s\n",
                     qUtf8Printable(printableName(folder.toUtf8())), qUtf8Printable(listing.error));
        return 1;
    }
    for (const QString& name : listing.names)
        std::printf("%s\n", qUtf8Printable(printableName(name.toUtf8())));
    return 0;
}

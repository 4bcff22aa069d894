#include "app/CommandLine.h"

#include "app/OpenRequest.h"
#include "desktop/files/FolderListing.h"

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
        } else if (!optionsEnded && arg == QLatin1String("--gapplication-service")) {
            line.gapplicationService = true;
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
    else if (line.gapplicationService && (line.mode != CommandLine::Mode::Open || named != 0))
        line.error = QStringLiteral("--gapplication-service takes no files and no other option");
    return line;
}

// Length of the well-formed UTF-8 sequence at bytes[i], or 0 when there is
// none (a stray byte, an overlong form, a surrogate, past U+10FFFF).
qsizetype utf8SequenceAt(QByteArrayView bytes, qsizetype i) {
    const auto byte = [&](qsizetype k) { return static_cast<unsigned char>(bytes[i + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xbf; // the range of the second byte
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        low = lead == 0xe0 ? 0xa0 : 0x80;
        high = lead == 0xed ? 0x9f : 0xbf;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        low = lead == 0xf0 ? 0x90 : 0x80;
        high = lead == 0xf4 ? 0x8f : 0xbf;
    } else {
        return 0;
    }
    if (i + length > bytes.size() || byte(1) < low || byte(1) > high)
        return 0;
    for (qsizetype k = 2; k < length; ++k) {
        if (byte(k) < 0x80 || byte(k) > 0xbf)
            return 0;
    }
    return length;
}

bool printsAsItIs(QByteArrayView bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7f && byte != '\\';
    });
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
            arguments.push_back({QString::fromUtf8(printableName(bytes)), false});
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

QByteArray printableName(QByteArrayView bytes) {
    if (printsAsItIs(bytes))
        return bytes.toByteArray();
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
    return printed;
}

int reportUndecodablePaths(const CommandLine& line) {
    for (const QString& path : line.undecodablePaths)
        std::fprintf(stderr, "fennic: cannot open '%s': %s\n", qUtf8Printable(path),
                     "the name is not valid UTF-8");
    return line.undecodablePaths.isEmpty() ? 0 : 1;
}

int runListCommand(const QString& folder) {
    // Straight from the listing's bytes to standard output, a block at a
    // time: no text object and no locked stdio call per name.
    QByteArray out;
    out.reserve(1 << 16);
    const auto flush = [&out] {
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        out.clear();
    };
    const QString error = forEachImageInFolder(folder, [&](QByteArrayView name) {
        if (printsAsItIs(name))
            out += name;
        else
            out += printableName(name);
        out += '\n';
        if (out.size() > (1 << 16) - 4096)
            flush();
    });
    flush();
    if (!error.isEmpty()) {
        std::fprintf(stderr, "fennic: cannot list '%s': %s\n",
                     printableName(folder.toUtf8()).constData(), qUtf8Printable(error));
        return 1;
    }
    return 0;
}

#include "app/CommandLine.h"

#include "app/OpenRequest.h"
#include "desktop/files/FolderListing.h"
#include "desktop/files/PrintableName.h"

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
        "       fennic --help | -h | --version\n"
        "Opens each image in its own window; a folder opens its first image.\n"
        "--info prints each file's details as one JSON line.\n"
        "--list prints one name per line. A name holding a control character or a\n"
        "backslash is printed with C-style escapes (\\\\, \\n, \\t, \\r, \\xHH);\n"
        "printf '%b' turns such a line back into the name. Names that are not\n"
        "UTF-8 are not listed: Fennic cannot open them.\n");
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

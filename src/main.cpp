#include "app/AppDelegate.h"
#include "app/CommandLine.h"
#include "app/OpenRequest.h"
#include "desktop/FirstPicture.h"
#include "desktop/Trace.h"
#include "desktop/apps/ExternalEditor.h"
#include "desktop/bus/ApplicationBus.h"
#include "desktop/bus/EarlyHandOver.h"
#include "desktop/files/DisplayOrder.h"
#include "desktop/files/ImageTypes.h"
#include "desktop/windowsystem/StartupScreen.h"
#include "desktop/windowsystem/WindowSystem.h"
#include "imageio/ImageKind.h"
#include "metadata/InfoCommand.h"
#include "style/FontsManager.h"
#include "viewer/loading/DisplayDecode.h"
#include "viewer/loading/EarlyDecode.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fontconfig/fontconfig.h>
#include <memory>
#include <thread>

namespace {

struct Resolved {
    QStringList paths;
    QList<Refusal> refusals;
};

// Resolves each argument, reporting the ones that cannot be opened on
// standard error (for terminals) and keeping them for the person.
Resolved openablePaths(const QStringList& arguments) {
    Resolved resolved;
    for (const QString& arg : arguments) {
        const OpenRequest request = resolveOpenRequest(arg);
        if (request.ok()) {
            resolved.paths << request.path;
        } else {
            std::fprintf(stderr, "%s\n", qUtf8Printable(cannotOpenMessage(arg, request.error)));
            resolved.refusals.push_back({arg, request.error});
        }
    }
    return resolved;
}

// What a later launch hands to the running instance: the files it opens and
// the refused local paths too, so that the person is told there why.
QStringList forwardable(const QStringList& paths, const QList<Refusal>& refusals) {
    QStringList forwarded = paths;
    for (const Refusal& refusal : refusals) {
        const QUrl url(refusal.argument);
        const bool uri = refusal.argument.startsWith(QLatin1String("file:"));
        if (!refusal.argument.isEmpty() && (!uri || url.isLocalFile()))
            forwarded << QFileInfo(uri ? url.toLocalFile() : refusal.argument).absoluteFilePath();
    }
    return forwarded;
}

} // namespace

int main(int argc, char** argv) {
    Trace::mainStarted();
    const CommandLine line = parseCommandLine(argc, argv);
    if (!line.error.isEmpty()) {
        std::fprintf(stderr, "fennic: %s\n%s", qUtf8Printable(line.error),
                     qUtf8Printable(usageText()));
        return 2;
    }
    switch (line.mode) {
    case CommandLine::Mode::Help:
        std::printf("%s", qUtf8Printable(usageText()));
        return 0;
    case CommandLine::Mode::Version:
        std::printf("fennic %s (build %s)\n", FENNIC_VERSION, FENNIC_BUILD_NUMBER);
        return 0;
    case CommandLine::Mode::List:
        return reportUndecodablePaths(line) != 0 ? 1 : runListCommand(line.paths.first());
    case CommandLine::Mode::Info: {
        const int undecodable = reportUndecodablePaths(line);
        QCoreApplication app(argc, argv);
        QTextStream out(stdout);
        const int unread =
            runInfoCommand(line.paths, out, [](const QString& path, const QString& why) {
                std::fprintf(stderr, "%s\n", qUtf8Printable(cannotOpenMessage(path, why)));
            });
        return std::max(unread, undecodable);
    }
    case CommandLine::Mode::Open:
        reportUndecodablePaths(line);
        break;
    }

    // Qt takes the first thread that makes a QObject for its main thread:
    // this one, before the threads below start.
    QThread::currentThread();
    Resolved resolved = openablePaths(line.paths);
    const QStringList forwarded = forwardable(resolved.paths, resolved.refusals);
    for (const QString& path : line.undecodablePaths)
        resolved.refusals.push_back({path, QStringLiteral("the name is not valid UTF-8")});
    const QStringList& paths = resolved.paths;
    // Like any command, a launch none of whose files could be opened fails.
    const bool named = !line.paths.isEmpty() || !line.undecodablePaths.isEmpty();
    const int status = named && paths.isEmpty() ? 1 : 0;

    // A later launch hands its files to the running instance on the other
    // core while QApplication comes up, and ends as soon as they are taken.
    std::atomic<EarlyHandOver::Outcome> handedOver = EarlyHandOver::Outcome::NotRunning;
    std::jthread handOver;
    if (!line.gapplicationService)
        handOver = std::jthread([&forwarded, &handedOver, status] {
            const EarlyHandOver::Outcome outcome =
                EarlyHandOver::forward(forwarded, ApplicationBus::forwardTimeoutMs);
            if (outcome == EarlyHandOver::Outcome::Forwarded) {
                std::fflush(stdout);
                std::fflush(stderr);
                std::_Exit(status);
            }
            handedOver = outcome;
            // GIO, loaded for the hand-over, lists the application folders
            // on first use (2 ms): here, while QApplication comes up, rather
            // than on the main thread when the menu asks for the editor.
            ExternalEditor::isInstalled();
        });

    // The fonts are fontconfig's configuration and caches, then the font
    // database's list of faces: about 10 ms on a core. Under X11 the window
    // manager draws the title and the first window draws no text, so they
    // wait for its picture. Elsewhere the window's own title band shows the
    // file's name at once: fontconfig starts on the other core while
    // QApplication comes up, and the faces are listed while the window is
    // built.
    const bool textInFirstWindow = !WindowSystem::startupUsesX11();
    std::jthread fontConfig;
    if (textInFirstWindow)
        fontConfig = std::jthread([] { FcInit(); });
    const auto listFonts = [] {
        QFontDatabase::families();
        Trace::mark("fonts");
    };
    std::jthread fontList;
    // ICU's collation rules (1 ms), which order the folder that the first
    // window lists once its picture is on screen, and the MIME database,
    // which the listing and the open dialog ask about endings that are not
    // our own, are read on a worker from then on: on two cores they would
    // take the main thread's turns while it builds the window. GIO's list of
    // applications was read on the hand-over's thread; a start by D-Bus
    // activation has none, and reads it here.
    std::jthread warmUp;
    const auto startWarmUp = [&warmUp, textInFirstWindow, listFonts] {
        warmUp = std::jthread([textInFirstWindow, listFonts] {
            DisplayOrder::loadCollationRules();
            if (!textInFirstWindow)
                listFonts();
            acceptedExtensions();
            ExternalEditor::isInstalled();
            refreshRememberedScreenSize();
        });
    };

    // The first image decodes on a worker while Qt and the window come up.
    // Only for decoders that do not go through Qt's image plugins: loading
    // those while QApplication sets itself up on the main thread is not safe.
    std::unique_ptr<EarlyDecode> early;
    const QString firstFile = EarlyDecode::fileFromCommandLine(argc, argv);
    const ImageKind firstKind =
        firstFile.isEmpty() ? ImageKind::Unknown : sniffImageKind(firstFile);
    if (firstKind == ImageKind::Jpeg || firstKind == ImageKind::Heif || firstKind == ImageKind::Raw)
        early = EarlyDecode::startFromCommandLine(argc, argv, &decodeForDisplay);

    QApplication app(argc, argv);
    releaseStartupConnection();
    QApplication::setApplicationName(QStringLiteral("fennic"));
    QApplication::setApplicationVersion(QStringLiteral(FENNIC_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("org.fennic.Fennic"));
    Trace::mark("application");

    ApplicationBus bus;
    if (handOver.joinable())
        handOver.join();
    if (line.gapplicationService) {
        // D-Bus started us for a call to org.fennic.Fennic: only the owner of
        // the name can take it.
        if (!bus.claim()) {
            std::fprintf(stderr, "fennic: cannot own %s on the session bus\n",
                         ApplicationBus::serviceName);
            return 1;
        }
    } else if (handedOver == EarlyHandOver::Outcome::Unanswered) {
        // The running instance hangs: asking it again would only wait as
        // long once more. The files open here, without the name.
    } else if (bus.claimOrForward(forwarded) == ApplicationBus::Role::Forwarded) {
        // The running instance shows the files; do not wait for our own
        // start-up decode to finish.
        std::fflush(stdout);
        std::fflush(stderr);
        std::_Exit(status);
    }

    Trace::mark("bus");
    // Before any font is looked up (listing the faces reads no substitution).
    FontsManager::installFontSubstitutions();
    if (textInFirstWindow) {
        fontConfig.join();
        fontList = std::jthread(listFonts);
    }
    AppDelegate delegate(nullptr, {early.get(), line.gapplicationService});
    // A viewer window is hidden while its first image loads, so Qt's rule of
    // quitting when the last window closes would end the program between the
    // open dialog and the window it opens. The delegate says when nothing is
    // left.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(&delegate, &AppDelegate::nothingLeftToShow, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    bus.setActionHandler([&delegate](const QString& name, const QVariantList& parameter) {
        return delegate.activateAction(name, parameter);
    });
    bus.setWindowsProvider([&delegate] { return delegate.openViewerWindows(); });
    QObject::connect(&bus, &ApplicationBus::openRequested, &delegate,
                     [&delegate](const QStringList& requested) {
                         const Resolved ok = openablePaths(requested);
                         for (const QString& path : ok.paths)
                             delegate.openFile(path);
                         if (ok.paths.isEmpty() && !delegate.hasVisibleViewer())
                             delegate.showOpenDialog();
                         delegate.tellRefusals(ok.refusals);
                     });
    QObject::connect(&bus, &ApplicationBus::activateRequested, &delegate, &AppDelegate::activate);

    FirstPicture::whenShown(startWarmUp);
    if (paths.isEmpty())
        FirstPicture::stopWaiting(); // the open dialog lists the endings at once
    else                             // a file that shows a message instead of a picture paints none
        QTimer::singleShot(1000, &app, &FirstPicture::stopWaiting);
    for (const QString& path : paths)
        delegate.openFile(path);
    delegate.applicationDidFinishLaunching();
    delegate.tellRefusals(resolved.refusals);
    Trace::mark("windows");
    const int exitCode = app.exec();
    return exitCode != 0 ? exitCode : status;
}

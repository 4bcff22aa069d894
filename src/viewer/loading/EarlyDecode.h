#pragma once

#include "viewer/loading/DecodeTypes.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QObject;

// Decodes the file named on the command line while Qt and the first window
// come up, so that on two cores start-up and decoding overlap.
//
// main() starts it at its very top, before QApplication exists:
//   auto early = EarlyDecode::startFromCommandLine(argc, argv, decodeImage);
//   QApplication app(argc, argv);
// and hands it to the first window's loader, which takes the result (once)
// instead of decoding again. A window that shows another file, or whose image
// area is larger than the target, drops the result and decodes for itself.
//
// Everything runs on its own std::thread, not on a Qt pool, so no application
// object is needed; the target size too is found there (startupDecodeTarget
// asks the X server), keeping the main thread free. The object must outlive
// every loader it was handed to; its destructor does not wait for a running
// decode, which then ends on its own and is dropped.
class EarlyDecode {
public:
    using TargetFunction = std::function<QSize()>;

    EarlyDecode(const QString& path, QSize target, DecodeFunction decode);
    // target runs on the worker, before the decode.
    EarlyDecode(const QString& path, TargetFunction target, DecodeFunction decode);
    ~EarlyDecode();
    EarlyDecode(const EarlyDecode&) = delete;
    EarlyDecode& operator=(const EarlyDecode&) = delete;

    // The first argument after the program name that is not an option and
    // names an existing regular file (made absolute); empty when none does.
    static QString fileFromCommandLine(int argc, char** argv);
    // Starts decoding that file; null when the command line names none.
    // Without a target function the target is startupDecodeTarget().
    static std::unique_ptr<EarlyDecode>
    startFromCommandLine(int argc, char** argv, DecodeFunction decode, TargetFunction target = {});

    const QString& path() const { return m_path; }
    // The size decoded for (invalid: full resolution); waits until known.
    QSize target() const;
    bool isFinished() const;
    // Whether take() would give a result good for this file and target.
    bool serves(const QString& path, QSize target) const;

    // The result, once: waits when the decode is still running. A request
    // for another file or a larger target drops the result and gives nothing.
    std::optional<DecodedImage> take(const QString& path, QSize target);
    // Like take(), without blocking: done runs on context's thread once the
    // result is there (queued, also when it already is). Returns false, and
    // drops the result, when it does not serve the request.
    bool takeWhenReady(const QString& path, QSize target, QObject* context,
                       std::function<void(const DecodedImage&)> done);
    // Withdraws the callback of takeWhenReady (its context is going away).
    void cancelWhenReady();
    // Nobody will take the result: free it as soon as it exists.
    void drop();

private:
    // Everything the worker shares with this object: it outlives an
    // EarlyDecode destroyed while the worker still decodes.
    struct State;
    static void run(const std::shared_ptr<State>& state, const QString& path,
                    const TargetFunction& target, const DecodeFunction& decode);
    bool servesLocked(std::unique_lock<std::mutex>& lock, const QString& path, QSize target) const;
    void deliverLocked(const DecodedImage& image);

    const QString m_path;
    const QString m_absolutePath;
    const std::shared_ptr<State> m_state;
    std::thread m_thread; // last: starts once everything above exists
};

#pragma once

#include "viewer/loading/DecodeTypes.h"

#include <QPointer>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

class QObject;

// Decodes the file named on the command line while Qt and the first window
// come up, so that on two cores start-up and decoding overlap.
//
// main() creates it at its very top, before QApplication exists:
//   auto early = EarlyDecode::startFromCommandLine(argc, argv, QSize(3840, 2400), decodeImage);
//   QApplication app(argc, argv);
// and hands it to the first window, which takes the result (once) instead of
// decoding again. The target should be generous (the screen is not known yet):
// a window whose image area is larger, or that shows another file, drops the
// early result and decodes for itself.
//
// The decode runs on its own std::thread, not on a Qt pool: no application
// object is needed. The object must outlive every loader it was handed to;
// its destructor waits for a decode still running.
class EarlyDecode {
public:
    EarlyDecode(const QString& path, QSize target, DecodeFunction decode);
    ~EarlyDecode();
    EarlyDecode(const EarlyDecode&) = delete;
    EarlyDecode& operator=(const EarlyDecode&) = delete;

    // The first argument after the program name that is not an option and
    // names an existing regular file; empty when there is none.
    static QString fileFromCommandLine(int argc, char** argv);
    // Starts decoding that file; null when the command line names none.
    static std::unique_ptr<EarlyDecode> startFromCommandLine(int argc, char** argv, QSize target,
                                                             DecodeFunction decode);

    const QString& path() const { return m_path; }
    QSize target() const { return m_target; }
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
    void run(const DecodeFunction& decode);
    bool servesLocked(const QString& path, QSize target) const;
    void deliverLocked(const DecodedImage& image);

    const QString m_path;
    const QString m_absolutePath;
    const QSize m_target;
    mutable std::mutex m_mutex;
    std::condition_variable m_finishedChanged;
    bool m_finished = false;
    bool m_taken = false;
    std::optional<DecodedImage> m_result;
    QObject* m_context = nullptr;
    std::function<void(const DecodedImage&)> m_done;
    std::thread m_thread; // last: starts once everything above exists
};

#pragma once

#include <QStringList>

// A later launch hands its files to the running instance before it has set
// up a Qt application of its own: a private connection to the session bus
// through GIO, which needs no event loop and may run on any thread while
// the main thread goes on.
namespace EarlyHandOver {

enum class Outcome {
    Forwarded,  // the running instance took the files (or came forward)
    NotRunning, // nobody serves the name, or no bus: start as usual
    Unanswered, // an instance owns the name but did not answer in time
};

// Asks the instance serving ApplicationBus::serviceName to open the paths
// (absolute; none asks it to come forward), without starting it through
// D-Bus activation. Blocks for at most timeoutMs.
Outcome forward(const QStringList& absolutePaths, int timeoutMs);

} // namespace EarlyHandOver

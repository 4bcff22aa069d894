// Runs a piece of a test in a forked child: there it may drop root, lower a
// limit, get a private mount or be killed, and the test process stays as it was.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdio>
#include <functional>
#include <grp.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace ChildProcess {

struct Outcome {
    int signal = 0; // the signal that ended the child, 0 when it returned
    QString text;   // what work returned
};

// work runs in the child; what it returns comes back to the caller. The child
// ends with _exit, running no destructor of the test process.
inline Outcome run(const std::function<QString()>& work) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0)
        return {-1, QStringLiteral("no pipe")};
    const pid_t pid = ::fork();
    if (pid < 0)
        return {-1, QStringLiteral("no fork")};
    if (pid == 0) {
        ::close(pipeFds[0]);
        const QByteArray text = work().toUtf8();
        FILE* out = ::fdopen(pipeFds[1], "w");
        std::fwrite(text.constData(), 1, size_t(text.size()), out);
        std::fclose(out);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    QFile in;
    in.open(pipeFds[0], QIODevice::ReadOnly, QFileDevice::AutoCloseHandle);
    const QByteArray text = in.readAll();
    int status = 0;
    ::waitpid(pid, &status, 0);
    return {WIFSIGNALED(status) ? WTERMSIG(status) : 0, QString::fromUtf8(text)};
}

constexpr uid_t nobody = 65534;

// Makes the calling (child) process an ordinary user, nobody, for good. It
// stays able to read its own /proc/self as any user's process can.
inline bool becomeNobody() {
    return ::setgroups(0, nullptr) == 0 && ::setgid(nobody) == 0 && ::setuid(nobody) == 0 &&
           ::prctl(PR_SET_DUMPABLE, 1) == 0;
}

} // namespace ChildProcess

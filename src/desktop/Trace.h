#pragma once

#include <QByteArray>
#include <optional>

// Timing lines for benchmarks. Only when the environment variable
// FENNIC_TRACE is "1" at start-up; otherwise every call returns at once and
// prints nothing.
//
// Each line goes to standard error, whole, in this form:
//   fennic-trace: <event> <milliseconds> ms
// <event> is one word of lower-case letters and hyphens, <milliseconds> a
// decimal number with one digit after the point. Events:
//   main-start        process creation to mainStarted() (the top of main)
//   first-paint       process creation to the first imagePainted()
//   full-paint        process creation to the first imagePainted() of a
//                     complete image (not an embedded preview)
//   key-to-paint      a keyPressed() to the next imagePainted()
//   decode-preview    one read of an embedded preview, on its worker
//   decode-shown      one decode of an image asked for, on its worker
//   decode-full       one full-resolution decode for zooming
//   decode-neighbour  one prefetch decode of a neighbour
//   start-*           process creation to a step of start-up (mark())
//
// "Process creation" is the start time the kernel records for the process
// (/proc/self/stat, field 22, against CLOCK_BOOTTIME): it includes loading
// the shared libraries before main, and is counted in clock ticks, so it
// lies up to one tick (10 ms on usual kernels) before the true start and
// the figures err on the long side. All times are CLOCK_BOOTTIME.
namespace Trace {

bool enabled();

// The top of main.
void mainStarted();
// A key press that asks for another image. While an earlier press still
// waits for its paint, that earlier press stays the mark: the figure is how
// long the user waited.
void keyPressed();
// A real image (not an empty placeholder) has been painted; preview: only
// a file's embedded preview, standing in for it.
void imagePainted(bool preview = false);
// A step of start-up: process creation to now, printed as "start-<step>".
void mark(const char* step);
// Any duration, printed as an event line.
void duration(const char* event, double milliseconds);

// Milliseconds since the process was created; 0 when unknown.
double millisecondsSinceProcessStart();

// Pieces, exposed for tests.
QByteArray formatLine(const char* event, double milliseconds);
// Field 22 (starttime, in clock ticks since boot) of a /proc/<pid>/stat line.
std::optional<qint64> startTimeTicks(const QByteArray& procStat);

} // namespace Trace

#pragma once

#include <functional>

// Start-up work that the first picture on screen must not wait for: it runs
// once that picture has been painted, on the main thread, and at once when it
// was painted before. Main thread only.
namespace FirstPicture {

void whenShown(std::function<void()> work);
// The viewer calls this on every paint of a picture; only the first counts.
void shown();
// A start that paints no picture (none was named, or the file shows a
// message instead) runs the waiting work all the same.
void stopWaiting();

} // namespace FirstPicture

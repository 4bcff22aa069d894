#include "desktop/FirstPicture.h"

#include <utility>
#include <vector>

namespace FirstPicture {
namespace {

bool painted = false;
std::vector<std::function<void()>> waiting;

} // namespace

void whenShown(std::function<void()> work) {
    if (painted)
        work();
    else
        waiting.push_back(std::move(work));
}

void shown() {
    if (painted)
        return;
    painted = true;
    for (auto& work : std::exchange(waiting, {}))
        work();
}

void stopWaiting() {
    shown();
}

} // namespace FirstPicture

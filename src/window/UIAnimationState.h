#pragma once

// Where the fading window buttons are in their fade cycle. The order of the
// cases is part of the contract (shown first).
enum class UIAnimationState {
    shown,
    hidden,
    willShow,
    willHide,
};

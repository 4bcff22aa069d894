#pragma once

#include <QSize>
#include <Qt>
#include <cmath>

// Whether a smaller embedded image (a raw file's preview, a HEIF thumbnail)
// can stand in for the full image when it is shown at targetSize.
namespace previewchoice {

// The size the full image takes when fitted into targetSize (never enlarged).
inline QSize fittedSize(QSize full, QSize target) {
    if (!full.isValid() || !target.isValid() || full.isEmpty() || target.isEmpty())
        return full;
    return full.scaled(target, Qt::KeepAspectRatio).boundedTo(full);
}

// True when candidate (upright) shows the same frame as full, give or take a
// few percent of cropping.
inline bool sameFrame(QSize candidate, QSize full) {
    if (candidate.isEmpty() || full.isEmpty())
        return false;
    const double candidateAspect = double(candidate.width()) / candidate.height();
    const double fullAspect = double(full.width()) / full.height();
    return std::abs(candidateAspect / fullAspect - 1.0) <= 0.03;
}

// True when candidate shows the same frame as full and is at least as large
// as full fitted into target.
inline bool covers(QSize candidate, QSize full, QSize target) {
    if (!target.isValid() || target.isEmpty() || !sameFrame(candidate, full))
        return false;
    const QSize needed = fittedSize(full, target);
    return candidate.width() >= needed.width() && candidate.height() >= needed.height();
}

} // namespace previewchoice

#include "viewer/view/ViewerChrome.h"

#include "desktop/apps/ExternalEditor.h"
#include "desktop/windowsystem/WindowSystem.h"
#include "style/ControlsColour.h"
#include "style/VisualStyle.h"
#include "viewer/details/ImageDetailsView.h"
#include "viewer/toolbar/WindowToolbar.h"
#include "viewer/view/FennicImageView.h"
#include "viewer/view/ImageAreaView.h"
#include "viewer/view/StatusNote.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QWidget>
#include <algorithm>

namespace {
// The frameless window's toolbar sits this far inside the picture's corner.
constexpr int framelessToolbarMargin = 6;
// Space between the framed band's ends and what they hold.
constexpr int bandMargin = 8;
// Around a small or zoomed-out frameless picture under light controls.
const QColor darkMat(32, 32, 32);
} // namespace

ViewerChrome::ViewerChrome(QWidget* view, QBoxLayout* layout, ImageAreaView* area,
                           ViewObserver& observer)
    : QObject(view), m_view(view), m_area(area) {
    m_band = new QWidget(view);
    m_band->setObjectName(QStringLiteral("toolbarBand"));
    auto* bandLayout = new QHBoxLayout(m_band);
    bandLayout->setContentsMargins(bandMargin, 0, bandMargin, 0);
    bandLayout->addStretch(1);
    layout->insertWidget(0, m_band);
    m_toolbar = new WindowToolbar(view);
    m_details = new ImageDetailsView(observer, view);
    connect(m_details, &ImageDetailsView::contentResized, this, [this] {
        placeDetails();
        Q_EMIT minimumContentChanged();
    });
}

void ViewerChrome::setStyle(bool frame, double bandHeight) {
    m_frame = frame;
    m_band->setFixedHeight(int(bandHeight));
    m_band->setVisible(bandHeight > 0);
    placeToolbar();
    updateMat();
}

QSize ViewerChrome::minimumContent() const {
    const QSize toolbar = m_toolbar->sizeHint();
    // The open card whole, below the band or the floating toolbar.
    const QSize card = m_details->isVisibleTo(m_view) ? m_details->sizeHint() : QSize(0, 0);
    if (m_frame) {
        // The band is inset from the window's sides like the picture; it
        // holds the window's buttons where the compositor draws no title bar.
        const int inset = int(visualstyle::imageInset(VISUALSTYLE::FRAME));
        const int buttons =
            WindowSystem::compositorDrawsTitleBars() ? bandMargin : visualstyle::windowButtonsWidth;
        return QSize(std::max(buttons + toolbar.width() + bandMargin, card.width()) + 2 * inset,
                     card.height() + visualstyle::frameBandHeight + 2 * inset);
    }
    const int top = toolbar.height() + 2 * framelessToolbarMargin;
    return QSize(
        std::max(visualstyle::windowButtonsWidth + toolbar.width() + framelessToolbarMargin,
                 card.width()),
        top + card.height());
}

void ViewerChrome::setShownColor(const QColor& colour, const QColor& overPicture) {
    m_shownColour = colour;
    m_overPicture = overPicture;
    placeToolbar();
    updateMat();
}

void ViewerChrome::setFullScreen(bool fullScreen) {
    m_fullScreen = fullScreen;
    m_toolbar->setShownColor(toolbarColour());
    updateMat();
}

QColor ViewerChrome::toolbarColour() const {
    if (!m_fullScreen)
        return m_shownColour;
    return shownPicture().intersects(m_toolbar->geometry()) ? m_overPicture : QColor(Qt::white);
}

QRect ViewerChrome::shownPicture() const {
    const FennicImageView* image = m_area->imageView();
    return image->imageRect().translated(image->mapTo(m_view, QPoint()));
}

void ViewerChrome::setControlsShown(bool shown) {
    m_controlsShown = shown;
    m_toolbar->setVisible(shown);
}

void ViewerChrome::updateMat() {
    if (m_fullScreen) {
        m_area->setMat(Qt::black);
        return;
    }
    // Frameless controls take a colour that reads over the picture; where
    // the window's light background shows around it, light controls would
    // vanish, so that background is made dark for them.
    m_area->setMat(!m_frame && !isDark(m_shownColour) ? darkMat : QColor());
}

void ViewerChrome::place() {
    if (!m_frame)
        placeToolbar();
    placeDetails();
}

void ViewerChrome::placeToolbar() {
    m_toolbar->setFrameStyle(m_frame);
    m_toolbar->setEditorInstalled(ExternalEditor::isInstalled());
    if (m_frame) {
        // In the band above the picture, at its right end.
        if (m_toolbar->parentWidget() != m_band) {
            m_toolbar->setParent(m_band);
            m_band->layout()->addWidget(m_toolbar);
        }
    } else {
        // Over the top edge of the picture, at its right end.
        if (m_toolbar->parentWidget() != m_view) {
            m_band->layout()->removeWidget(m_toolbar);
            m_toolbar->setParent(m_view);
        }
        m_toolbar->adjustSize();
        QPoint at(m_view->width() - m_toolbar->width() - framelessToolbarMargin,
                  framelessToolbarMargin);
        // Full screen it stands on black, or, where the picture reaches the
        // top of the screen, wholly inside the picture's corner: never half on
        // each, where one colour cannot read on both.
        const QRect picture = shownPicture() & m_view->rect();
        if (m_fullScreen && picture.top() < at.y() + m_toolbar->height() &&
            picture.width() >= m_toolbar->width() + 2 * framelessToolbarMargin)
            at = QPoint(picture.right() + 1 - m_toolbar->width() - framelessToolbarMargin,
                        picture.top() + framelessToolbarMargin);
        m_toolbar->move(at);
        m_toolbar->raise();
    }
    m_toolbar->setShownColor(toolbarColour());
    m_toolbar->setVisible(m_controlsShown);
}

void ViewerChrome::placeDetails() {
    // Bottom right of the picture's area. A card taller than the area keeps
    // its top in view and runs off the bottom rather than squeeze its lines.
    const QRect area = m_area->geometry();
    const QSize size = m_details->sizeHint();
    m_details->setGeometry(QRect(QPoint(area.right() + 1 - size.width(),
                                        std::max(area.top(), area.bottom() + 1 - size.height())),
                                 size));
    // The card's new lines are laid out before the next paint, not after.
    m_details->placeCard();
    if (m_details->isVisible()) {
        m_details->raise();
        m_toolbar->raise();
        // A note says what just happened: above the card.
        if (m_note)
            m_note->raise();
    }
}

void ViewerChrome::showNote(const QString& text) {
    note()->showNote(text);
}

StatusNote* ViewerChrome::note() {
    if (!m_note) {
        m_note = new StatusNote(m_view);
        connect(m_note, &StatusNote::actionChosen, this, &ViewerChrome::noteActionChosen);
    }
    return m_note;
}

void ViewerChrome::showUndoNote(const QString& text) {
    note()->showNote(text, QStringLiteral("Undo"));
}

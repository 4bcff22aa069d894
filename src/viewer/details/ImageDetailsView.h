#pragma once

#include "metadata/SidebarContent.h"

#include <QWidget>

class ViewObserver;
class QVBoxLayout;

// The details sidebar of a viewer window: a card of short lines about the
// shown file (name, date, size, type, exposure, lens, colour, copyright)
// and, for a photo with a position, a small map. It follows the window's
// ViewObserver alone: a new attribute record replaces every line at once.
// While hideInfoSidebar is set it is hidden (takes no space) and does
// nothing, not even the conversion pre-selection.
class ImageDetailsView : public QWidget {
    Q_OBJECT
public:
    static constexpr int cardWidth = 300;
    // Around the card: the usual inset, and 2 more at the trailing side and bottom.
    static constexpr int inset = 16;

    explicit ImageDetailsView(ViewObserver& viewObserver, QWidget* parent = nullptr);

    // The map panel (a LocationMapView unless a test gives another); it is
    // shown while the photo has a position.
    void setMapPanel(QWidget* map);
    QWidget* mapPanel() const { return m_map; }

    QSize sizeHint() const override;
    // Lays the card out at the bottom of the sidebar's height.
    void placeCard();

    // The lines as last shown, for tests.
    const SidebarContent& content() const { return m_content; }
    QWidget* card() const { return m_card; }

    // The file changed on disk (a turn was written): its size is read again.
    void fileChanged(const QString& path);

Q_SIGNALS:
    // The card's size changed: the window places the sidebar again.
    void contentResized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void followHidden();
    void rebuild();
    void preselectConversion();
    void updateMapVisibility();
    void setUpMap();
    int cardHeight() const;

    ViewObserver& m_viewObserver;
    QWidget* m_card = nullptr;
    QVBoxLayout* m_cardLayout = nullptr;
    QWidget* m_lines = nullptr;
    QWidget* m_mapFrame = nullptr;
    QWidget* m_map = nullptr;
    SidebarContent m_content;
};

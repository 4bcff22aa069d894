#include "viewer/details/ImageDetailsView.h"

#include "desktop/files/FileAttributes.h"
#include "map/LocationMapView.h"
#include "viewer/ViewObserver.h"
#include "viewer/details/DetailsCard.h"
#include "viewer/details/SidebarStatText.h"

#include <QEvent>
#include <QFrame>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QUrl>
#include <QVBoxLayout>

namespace {

constexpr qreal statFontSize = 14;
constexpr qreal nameFontSize = 19;
constexpr int mapHeight = 140;

QWidget* divider(QWidget* parent) {
    auto* line = new QFrame(parent);
    line->setObjectName(QStringLiteral("sidebarDivider"));
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(0.15);
    palette.setColor(QPalette::Window, colour);
    line->setPalette(palette);
    return line;
}

// A row of texts spread over the card's width: first at the leading edge,
// the others after flexible spaces.
QWidget* spreadRow(const QStringList& texts, QWidget* parent) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i > 0)
            layout->addStretch(1);
        layout->addWidget(new SidebarStatText(texts[i], statFontSize, false, row), 0, Qt::AlignTop);
    }
    return row;
}

} // namespace

ImageDetailsView::ImageDetailsView(ViewObserver& viewObserver, QWidget* parent)
    : QWidget(parent), m_viewObserver(viewObserver) {
    setObjectName(QStringLiteral("imageDetailsView"));
    // Nothing on it answers the mouse: clicks and drags reach the picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_card = new DetailsCard(this);
    auto* shadow = new QGraphicsDropShadowEffect(m_card);
    shadow->setColor(QColor(0, 0, 0, 26));
    shadow->setBlurRadius(5);
    shadow->setOffset(0, 2);
    m_card->setGraphicsEffect(shadow);
    m_card->installEventFilter(this);

    m_cardLayout = new QVBoxLayout(m_card);
    m_cardLayout->setContentsMargins(8, 8, 8, 8);
    m_cardLayout->setSpacing(6);

    m_mapFrame = new QWidget(m_card);
    auto* mapLayout = new QVBoxLayout(m_mapFrame);
    mapLayout->setContentsMargins(6, 0, 6, 5);
    m_cardLayout->addWidget(m_mapFrame);
    m_mapFrame->hide();

    connect(&m_viewObserver, &ViewObserver::hideInfoSidebarChanged, this,
            &ImageDetailsView::followHidden);
    connect(&m_viewObserver, &ViewObserver::imageAttrChanged, this, [this] {
        if (isVisibleTo(parentWidget()))
            rebuild();
    });
    connect(&m_viewObserver, &ViewObserver::showLensChanged, this, [this] {
        if (isVisibleTo(parentWidget()))
            rebuild();
    });
    connect(&m_viewObserver, &ViewObserver::filePathChanged, this, [this] {
        if (isVisibleTo(parentWidget()))
            preselectConversion();
    });
    connect(&m_viewObserver, &ViewObserver::showLocationChanged, this,
            &ImageDetailsView::updateMapVisibility);
    connect(&m_viewObserver, &ViewObserver::locationChanged, this, [this] {
        if (isVisibleTo(parentWidget()))
            setUpMap();
    });
    setMapPanel(new LocationMapView);
    setVisible(false);
    followHidden();
}

bool ImageDetailsView::eventFilter(QObject* watched, QEvent* event) {
    // Lines that wrap differently, a map shown or hidden: placed again.
    if (watched == m_card && event->type() == QEvent::LayoutRequest)
        Q_EMIT contentResized();
    return QWidget::eventFilter(watched, event);
}

int ImageDetailsView::cardHeight() const {
    // Wrapped lines make the card taller: ask for the height at its width.
    return m_card->hasHeightForWidth() ? m_card->heightForWidth(cardWidth)
                                       : m_card->sizeHint().height();
}

QSize ImageDetailsView::sizeHint() const {
    return QSize(cardWidth + 2 * inset + 2, cardHeight() + 2 * inset + 2);
}

void ImageDetailsView::placeCard() {
    // At the bottom of the sidebar, inside the usual inset and 2 more at the
    // trailing side and bottom.
    const int height = cardHeight();
    m_card->setGeometry(inset, this->height() - inset - 2 - height, cardWidth, height);
    m_card->layout()->activate();
}

void ImageDetailsView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCard();
}

void ImageDetailsView::setMapPanel(QWidget* map) {
    delete m_map;
    m_map = map;
    if (m_map) {
        m_map->setParent(m_mapFrame);
        m_map->setFixedHeight(mapHeight);
        m_mapFrame->layout()->addWidget(m_map);
    }
    updateMapVisibility();
}

void ImageDetailsView::setUpMap() {
    if (auto* map = qobject_cast<LocationMapView*>(m_map))
        map->setUp(m_viewObserver.location());
}

void ImageDetailsView::followHidden() {
    const bool hidden = m_viewObserver.hideInfoSidebar();
    if (hidden == !isVisibleTo(parentWidget()) && m_lines)
        return;
    if (hidden) {
        hide();
    } else {
        rebuild();
        preselectConversion();
        // The map shows where this photo was taken, not where the last one
        // seen with the sidebar open was.
        if (m_viewObserver.showLocation())
            setUpMap();
        show();
        raise();
    }
    Q_EMIT contentResized();
}

void ImageDetailsView::fileChanged(const QString& path) {
    if (path == m_viewObserver.filePath() && isVisibleTo(parentWidget()))
        rebuild();
}

void ImageDetailsView::rebuild() {
    const QString path = m_viewObserver.filePath();
    const quint64 size = path.isEmpty() ? 0 : FileAttributes::fileSize(QUrl::fromLocalFile(path));
    m_content = sidebarContent(m_viewObserver.imageAttr(), m_viewObserver.showLens(), path, size);

    auto* lines = new QWidget(m_card);
    auto* column = new QVBoxLayout(lines);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(5);

    auto* header = new QVBoxLayout;
    header->setContentsMargins(0, 4, 0, 0);
    header->setSpacing(3);
    header->addWidget(new SidebarStatText(m_content.name, nameFontSize, true, lines));
    if (m_content.dateTime)
        header->addWidget(new SidebarStatText(*m_content.dateTime, statFontSize, false, lines));
    header->addWidget(divider(lines));
    column->addLayout(header);

    column->addWidget(spreadRow({m_content.pixelSize, m_content.fileSize}, lines));
    auto* formatRow = new QHBoxLayout;
    formatRow->addWidget(new ImageFormatView(m_content.extension, statFontSize, false, lines));
    formatRow->addStretch(1);
    column->addLayout(formatRow);
    column->addWidget(divider(lines));

    if (const auto& exposure = m_content.exposure) {
        QStringList texts{exposure->iso, exposure->fStop};
        if (exposure->focalLength)
            texts << *exposure->focalLength;
        if (exposure->shutter)
            texts << *exposure->shutter;
        column->addWidget(spreadRow(texts, lines));
        column->addWidget(divider(lines));
    }
    for (const auto& text : {m_content.lens, m_content.lensModel}) {
        if (text)
            column->addWidget(new SidebarStatText(*text, statFontSize, false, lines));
    }
    if (m_content.hasColourLine()) {
        QStringList texts;
        for (const auto& text : {m_content.colorProfile, m_content.colorSpace}) {
            if (text)
                texts << *text;
        }
        auto* row = new QWidget(lines);
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(8);
        for (const QString& text : texts)
            layout->addWidget(new SidebarStatText(text, statFontSize, false, row), 0, Qt::AlignTop);
        layout->addStretch(1);
        column->addWidget(row);
    }
    if (m_content.copyright)
        column->addWidget(new SidebarStatText(*m_content.copyright, statFontSize, false, lines));

    if (m_lines) {
        // The layout hands back the old lines' item: ours to delete.
        delete m_cardLayout->replaceWidget(m_lines, lines);
        delete m_lines;
    } else {
        m_cardLayout->insertWidget(0, lines);
    }
    m_lines = lines;
    // Shown now, not when the layout gets round to it, so that the card's
    // height counts the new lines at once.
    lines->show();
    updateMapVisibility();
    Q_EMIT contentResized();
}

void ImageDetailsView::preselectConversion() {
    m_viewObserver.setSelectedExtension(preselectedExtension(m_viewObserver.filePath()));
}

void ImageDetailsView::updateMapVisibility() {
    m_mapFrame->setVisible(m_map && m_viewObserver.showLocation());
    Q_EMIT contentResized();
}

#pragma once

#include <QColor>
#include <QObject>

class ImageAreaView;
class ImageDetailsView;
class QBoxLayout;
class QWidget;
class StatusNote;
class ViewObserver;
class WindowToolbar;

// The controls of a viewer window around its picture: the toolbar (at the
// right end of the framed style's band, or over the picture's top right
// corner without a frame), the details card over the picture's bottom right
// corner, and the short notes over its bottom edge. Keeps them placed as the
// window changes size and style.
class ViewerChrome : public QObject {
    Q_OBJECT
public:
    // Adds the band to layout, above the picture's area.
    ViewerChrome(QWidget* view, QBoxLayout* layout, ImageAreaView* area, ViewObserver& observer);

    WindowToolbar* toolbar() const { return m_toolbar; }
    ImageDetailsView* details() const { return m_details; }
    StatusNote* statusNote() const { return m_note; }

    // The style's band height and whether the toolbar goes in it, and the
    // controls' colour for the picture: in this style, and over the picture
    // without a frame (full screen puts them there, or on black).
    void setStyle(bool frame, double bandHeight);
    void setShownColor(const QColor& colour, const QColor& overPicture);
    // Full screen: the picture on black, the toolbar over it shown or not.
    void setFullScreen(bool fullScreen);
    void setControlsShown(bool shown);
    // The smallest content in which every control stands apart: the
    // window's own buttons at the left, the toolbar at the right and, without
    // a frame, the toolbar's height over the picture.
    QSize minimumContent() const;
    // The view was resized.
    void place();

    void showNote(const QString& text);
    // A note that offers to undo what it tells of.
    void showUndoNote(const QString& text);

Q_SIGNALS:
    // The details card opened, closed or changed its size.
    void minimumContentChanged();
    // Undo was clicked in a note.
    void noteActionChosen();

private:
    StatusNote* note();
    void placeToolbar();
    void placeDetails();
    void updateMat();
    QColor toolbarColour() const;
    // Where the picture is drawn, in the view's coordinates.
    QRect shownPicture() const;

    QWidget* m_view;
    ImageAreaView* m_area;
    QWidget* m_band;
    WindowToolbar* m_toolbar;
    ImageDetailsView* m_details;
    StatusNote* m_note = nullptr;
    bool m_frame = true;
    bool m_fullScreen = false;
    bool m_controlsShown = true;
    QColor m_shownColour;
    QColor m_overPicture;
};

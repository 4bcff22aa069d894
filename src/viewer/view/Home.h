#pragma once

#include "desktop/bus/NotificationCenter.h"
#include "desktop/settings/Setting.h"
#include "imageio/DecodedImage.h"
#include "metadata/ImageViewModel.h"
#include "viewer/ViewObserver.h"
#include "viewer/ViewerOpening.h"
#include "viewer/WindowCommands.h"
#include "viewer/view/KeyAwareView.h"
#include "viewer/view/ZoomState.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QSizeF>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>
#include <vector>

class ViewerHost;
class ImageDetailsView;
class ImageAreaView;
class ImageLoader;
class QMessageBox;
class QPrintDialog;
class StatusNote;
class WindowToolbar;
class QPropertyAnimation;
class WindowDragMover;

// The root view of a viewer window: shows one image of a folder, steps
// through the folder, zooms, and keeps the window fitted to the image.
class Home : public QWidget {
    Q_OBJECT
public:
    Home(ViewerHost& host, const ViewerOpening& opening, QWidget* parent = nullptr);
    ~Home() override;

    // First appearance: takes the stored sidebar setting, finds the file in
    // its folder and starts reading it; the window is fitted and shown once
    // the image is there.
    void viewDidAppear();
    // The window is closing: the sidebar setting follows this window.
    void viewDidDisappear();

    void stepToNext();
    void stepToPrevious();
    // Lays the window out again in the current visual style.
    void refresh();
    // Makes another file the window's file, with its folder (a drop).
    bool openDroppedFile(const QString& path);

    void zoomIn();
    void zoomOut();
    void zoomReset();

    // Turns the shown picture a quarter turn (+90 clockwise, -90 counter-
    // clockwise) at once; the file follows in the background.
    void rotateCurrentImage(double angle);
    // Writes a copy of the file in the format of selectedExtension beside it.
    void convertCurrentImage();
    // Asks before moving the shown file to the Trash.
    void showDeleteConfirmation();
    // Moves the shown file to the Trash at once and shows its neighbour.
    void trashCurrentFile();
    // A file has gone to the Trash (from this window or another): drop it
    // from the list, and show a neighbour when it was on screen.
    void forgetRemovedFile(const QString& path);
    void printImage();
    void revealInFileManager();
    // False when the editor is not installed or would not start.
    bool openInExternalEditor();

    // State, readable by the window's other parts and by tests.
    const QImage& mainImage() const { return m_mainImage; }
    const QString& filePath() const { return m_filePath; }
    const QStringList& filesInPath() const { return m_filesInPath; }
    const QString& currentDirectory() const { return m_currentDirectory; }
    int currentIndexInFolder() const { return m_currentIndexInFolder; }
    const QString& uuid() const { return m_uuid; }
    double scale() const { return m_zoom.scale(); }
    double toolbarHeight() const { return m_toolbarHeight; }
    QSizeF thisSize() const { return m_thisSize; }
    QSizeF containerSize() const { return m_containerSize; }
    QColor shownColor() const { return m_shownColor; }
    double opacity() const { return m_opacity; }
    const QVariantMap& imageProperties() const { return m_imageProperties; }
    ViewObserver& viewObserver() { return m_viewObserver; }
    ImageAreaView* imageArea() const { return m_imageArea; }
    // True while the shown file could not be read (a message is shown).
    bool showsError() const { return m_loadError; }
    // The delete confirmation is open.
    bool simpleAlert() const { return m_simpleAlert; }
    StatusNote* statusNote() const { return m_statusNote; }
    WindowToolbar* toolbar() const { return m_toolbar; }
    ImageDetailsView* detailsView() const { return m_details; }

    // Handles one key event; answers whether it was one of the viewer's keys.
    bool onEvent(KeyAwareView::Event event);
    // Carries out a window command; false when this build does not have it
    // or its user info lacks what it needs.
    bool perform(WindowCommand command, const QVariantMap& userInfo = {});

Q_SIGNALS:
    // afterImageLoad finished (tests and traces wait on it).
    void imageLoaded();
    // The window switched between the framed and the frameless style.
    void styleChanged(bool frame);
    // The picture of another file is on screen (the window title follows it).
    void shownFileChanged(const QString& path);
    // A turned picture or a converted copy has been written (or not).
    void fileWritten(const QString& path, bool ok);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void afterImageLoad();
    void loadCurrentFile();
    void showFile(const QString& path, int index);
    void imageReady(const QString& path, const DecodedImage& image);
    void fullResolutionReady(const QString& path, const DecodedImage& image);
    void animateOpacity(double target);
    void setOpacity(double opacity);
    void applyStyle();
    void applyZoom();
    void screenParametersChanged();
    QStringList neighbours() const;
    QSize displayTarget() const;
    void startImageDrag();

    void subscribeToCommands();
    void turnShownImage(double angle);
    void placeToolbar();
    void placeDetails();
    void toggleInfoSidebar();
    void showNote(const QString& text);

    ViewerHost& m_host;

    // Viewer state.
    QImage m_mainImage;
    // m_mainImage is the file's embedded preview, until the display image comes.
    bool m_showingPreview = false;
    QSizeF m_thisSize;
    QSizeF m_containerSize;
    QSizeF m_screenSize;
    double m_rotationDegree = 0;
    AppStorageCompat<bool> m_hideInfoSidebarStorage;
    AppStorageCompat<bool> m_visualStyleAsFrame;
    ViewObserver m_viewObserver;
    double m_toolbarHeight;
    QSizeF m_oldScreenSize;
    QString m_filePath;
    int m_currentIndexInFolder = -1;
    QStringList m_filesInPath;
    QString m_currentDirectory;
    ZoomState m_zoom;
    const QString m_uuid;
    bool m_dragOver = false;
    double m_opacity = 1.0;
    QColor m_shownColor;
    QVariantMap m_imageProperties;
    ImageViewModel m_imageViewModel;

    // Loading.
    QSize m_fullSize; // true size of the shown image
    bool m_loadError = false;
    bool m_appeared = false;
    bool m_steppedBack = false;

    // Views and helpers.
    QWidget* m_toolbarBand = nullptr;
    WindowToolbar* m_toolbar = nullptr;
    ImageAreaView* m_imageArea = nullptr;
    ImageDetailsView* m_details = nullptr;
    ImageLoader* m_loader = nullptr;
    WindowDragMover* m_windowMover = nullptr;
    QPropertyAnimation* m_opacityAnimation = nullptr;
    QPoint m_dragStart;
    std::vector<NotificationCenter::Token> m_commandSubscriptions;

    // Operations.
    bool m_simpleAlert = false;
    QPointer<QMessageBox> m_deleteConfirmation;
    QPointer<QPrintDialog> m_printDialog;
    StatusNote* m_statusNote = nullptr;
};

#pragma once

#include "desktop/settings/Setting.h"
#include "imageio/DecodedImage.h"
#include "metadata/ImageViewModel.h"
#include "viewer/FolderPosition.h"
#include "viewer/ViewObserver.h"
#include "viewer/ViewerOpening.h"
#include "viewer/WindowCommands.h"
#include "viewer/view/ShownPicture.h"

#include <QColor>
#include <QImage>
#include <QSizeF>
#include <QStringList>
#include <QVariantMap>
#include <QWidget>

class AnimationPlayer;
class FolderWatch;
class FullScreenState;
class ImageAreaView;
class ImageDetailsView;
class ImageFileOperations;
class ImageLoader;
class StatusNote;
class ViewerChrome;
class ViewerHost;
class WindowDragMover;
class WindowToolbar;

// The root view of a viewer window: shows one image of a folder, steps
// through the folder, zooms, takes the window's keys and drops, and keeps the
// window fitted to the image. What it does to files it leaves to its
// ImageFileOperations.
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
    // One pixel of the file's own per screen pixel.
    void zoomActualSize();

    // Turns the shown picture a quarter turn (+90 clockwise, -90 counter-
    // clockwise) at once; the file follows in the background.
    void rotateCurrentImage(double angle);
    // A file has gone to the Trash (from this window or another): drop it
    // from the list, and show a neighbour when it was on screen.
    void forgetRemovedFile(const QString& path);
    // A file is back from the Trash: listed again when it is of this folder.
    void takeBackFile(const QString& path);

    // Carries out a window command; false when its user info lacks what it
    // needs or it could not be done.
    bool perform(WindowCommand command, const QVariantMap& userInfo = {});

    // State, readable by the window's other parts and by tests.
    const QImage& mainImage() const { return m_picture.image(); }
    const QString& filePath() const { return m_filePath; }
    const QStringList& filesInPath() { return folder().files(); }
    const QString& currentDirectory() const { return m_folder.directory(); }
    int currentIndexInFolder() { return folder().index(); }
    const QString& uuid() const { return m_uuid; }
    double scale() const;
    // The band and margins around the picture in the current style.
    QSizeF surround() const { return m_surround; }
    QSizeF thisSize() const { return m_thisSize; }
    QSizeF containerSize() const { return m_containerSize; }
    QColor shownColor() const { return m_shownColor; }
    // Where the picture's fade is going (dimmed while the next one comes).
    double opacity() const;
    const QVariantMap& imageProperties() const { return m_picture.properties(); }
    ViewObserver& viewObserver() { return m_viewObserver; }
    ImageAreaView* imageArea() const { return m_imageArea; }
    // True while the shown file could not be read (a message is shown).
    bool showsError() const { return m_picture.failed(); }
    // The delete confirmation is open.
    bool simpleAlert() const;
    StatusNote* statusNote() const;
    WindowToolbar* toolbar() const;
    ImageDetailsView* detailsView() const;
    ImageFileOperations& operations() const { return *m_operations; }
    AnimationPlayer* animation() const { return m_animation; }
    FullScreenState& fullScreen() const { return *m_fullScreen; }

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
    void dropEvent(QDropEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void buildViews();
    void connectOperations();
    void afterImageLoad();
    // The window for a first picture still decoding, with a note that it is.
    void showWhileDecoding();
    // Sizes the window for the fitted picture and its controls; unless
    // always, only when that size changed.
    void fitWindow(bool always);
    void loadCurrentFile();
    // The window's place in its folder, which is listed first if not yet.
    FolderPosition& folder();
    void listFolderSoon();
    void showFile(const FolderStep& step, bool back);
    void imageReady(const QString& path, const DecodedImage& image);
    void fullResolutionReady(const QString& path, const DecodedImage& image);
    void applyStyle();
    void zoomChanged();
    void updateDragModes();
    void screenParametersChanged();
    void copyImage();
    void turnShownImage(double angle);
    void toggleInfoSidebar();
    void fullScreenChanged(bool active);
    void showRestoredFile(const QString& path);
    void folderChanged(const QStringList& added, const QStringList& removed);

    ViewerHost& m_host;
    const QString m_uuid;

    // Viewer state.
    ShownPicture m_picture;
    QSizeF m_thisSize;
    QSizeF m_containerSize;
    QSizeF m_screenSize;
    Setting<bool> m_hideInfoSidebarStorage;
    Setting<bool> m_visualStyleAsFrame;
    ViewObserver m_viewObserver;
    QSizeF m_surround;
    QString m_filePath;
    FolderPosition m_folder;
    bool m_folderListed = true;
    QColor m_shownColor;
    ImageViewModel m_imageViewModel;
    bool m_appeared = false;

    // Views and helpers.
    ImageAreaView* m_imageArea = nullptr;
    ViewerChrome* m_chrome = nullptr;
    ImageLoader* m_loader = nullptr;
    WindowDragMover* m_windowMover = nullptr;
    ImageFileOperations* m_operations = nullptr;
    AnimationPlayer* m_animation = nullptr;
    FullScreenState* m_fullScreen = nullptr;
    FolderWatch* m_folderWatch = nullptr;
};

#include "app/PreviewWindowController.h"

#include "app/AppDelegate.h"

#include <QFileInfo>
#include <QLabel>
#include <QVBoxLayout>

PreviewWindowController::PreviewWindowController(AppDelegate& delegate) : m_delegate(delegate) {
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setAttribute(Qt::WA_DeleteOnClose);
    setParent(window);
    mainWindow = window;
    windowWillLoad();

    window->setWindowTitle(QFileInfo(filePath).fileName());
    auto* label = new QLabel(window);
    label->setAlignment(Qt::AlignCenter);
    const QImage image(filePath);
    if (!image.isNull())
        label->setPixmap(QPixmap::fromImage(image.scaled(800, 600, Qt::KeepAspectRatio)));
    auto* layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    m_delegate.installApplicationMenu(window);
    windowDidLoad();
    window->show();
}

void PreviewWindowController::windowWillLoad() {
    uuid = m_delegate.uuid.value_or(QString());
    if (mainWindow)
        m_delegate.windowsDictionary.insert(uuid, mainWindow);
    else
        m_delegate.windowsDictionary.remove(uuid);
    m_delegate.windowsSizesDictionary.insert(uuid,
                                             mainWindow ? QSizeF(mainWindow->size()) : QSizeF());
    filePath = m_delegate.imageFilePath;
}

void PreviewWindowController::windowDidLoad() {
    if (mainWindow)
        mainWindow->setWindowFlag(Qt::WindowMaximizeButtonHint, false);
}

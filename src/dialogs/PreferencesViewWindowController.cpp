#include "dialogs/PreferencesViewWindowController.h"

#include "dialogs/PreferencesView.h"
#include "dialogs/WindowPresentation.h"

#include <QVBoxLayout>

PreferencesViewWindowController::PreferencesViewWindowController(ViewerHost& host, QWidget* parent)
    : QWidget(parent, Qt::Window), m_view(new PreferencesView(host, this)) {
    setWindowTitle(tr("Preferences"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_view);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

PreferencesViewWindowController* PreferencesViewWindowController::open(ViewerHost& host) {
    auto* window = new PreferencesViewWindowController(host);
    presentAuxiliaryWindow(window, false);
    return window;
}

#include "dialogs/AboutViewController.h"

#include "dialogs/WindowPresentation.h"
#include "style/FontsManager.h"

#include <QDate>
#include <QLabel>
#include <QVBoxLayout>

#ifndef FENNIC_VERSION
#define FENNIC_VERSION ""
#endif
#ifndef FENNIC_BUILD_NUMBER
#define FENNIC_BUILD_NUMBER ""
#endif

AboutViewController::AboutViewController(QWidget* parent)
    : QWidget(parent), appName(new QLabel(this)), copyrightLabel(new QLabel(this)) {
    appName->setFont(FontsManager::font(true, 16));
    copyrightLabel->setFont(FontsManager::font(false, 12));
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(40, 32, 40, 32);
    column->setSpacing(10);
    for (QLabel* label : {appName.data(), copyrightLabel.data()}) {
        label->setAlignment(Qt::AlignHCenter);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        column->addWidget(label);
    }
    viewDidLoad();
}

QString AboutViewController::appNameText(const QString& version, const QString& build) {
    const QString shown = version.isEmpty() ? QStringLiteral("1.0.0") : version;
    return QStringLiteral("Fennic v%1 (%2)").arg(shown, build);
}

QString AboutViewController::copyrightText(int year) {
    return tr("Copyright © The Fennic developers") + QLatin1Char(' ') + QString::number(year);
}

void AboutViewController::viewDidLoad() {
    if (appName)
        appName->setText(
            appNameText(QStringLiteral(FENNIC_VERSION), QStringLiteral(FENNIC_BUILD_NUMBER)));
    if (copyrightLabel)
        copyrightLabel->setText(copyrightText(QDate::currentDate().year()));
}

AboutWindow::AboutWindow(QWidget* parent)
    : QWidget(parent, Qt::Window), m_controller(new AboutViewController(this)) {
    setWindowTitle(tr("About Fennic"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_controller);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

AboutWindow* AboutWindow::open() {
    auto* window = new AboutWindow;
    presentAuxiliaryWindow(window, true);
    return window;
}

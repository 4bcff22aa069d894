#pragma once

#include <QPointer>
#include <QWidget>

class QLabel;

// The About window's content: the program's name with version and build,
// and a notice line with the current year.
class AboutViewController : public QWidget {
    Q_OBJECT
public:
    explicit AboutViewController(QWidget* parent = nullptr);

    // Fills both labels; run at creation, so each window shows the year it
    // was opened in.
    void viewDidLoad();

    // "Fennic v<version> (<build>)"; version 1.0.0 when there is none.
    static QString appNameText(const QString& version, const QString& build);
    // The notice, a space and the year as plain digits.
    static QString copyrightText(int year);

    QPointer<QLabel> appName;
    QPointer<QLabel> copyrightLabel;
};

// The About window, floating above the viewer windows.
class AboutWindow : public QWidget {
    Q_OBJECT
public:
    explicit AboutWindow(QWidget* parent = nullptr);
    // A new window each time, centred, in front and focused.
    static AboutWindow* open();

    AboutViewController* controller() const { return m_controller; }

private:
    AboutViewController* m_controller;
};

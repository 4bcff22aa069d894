#pragma once

#include <QWidget>

class PreferencesView;
class ViewerHost;

// The preferences window: a normal window around one PreferencesView.
class PreferencesViewWindowController : public QWidget {
    Q_OBJECT
public:
    explicit PreferencesViewWindowController(ViewerHost& host, QWidget* parent = nullptr);

    // A new window each time, centred, in front and focused.
    static PreferencesViewWindowController* open(ViewerHost& host);

    PreferencesView* view() const { return m_view; }

private:
    PreferencesView* m_view;
};

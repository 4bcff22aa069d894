#pragma once

#include <QString>
#include <QWidget>

// The keyboard reference: eight rows of a description on the left and its
// keys on the right, in black on the program's purple in every theme.
class Shortcuts : public QWidget {
    Q_OBJECT
public:
    Shortcuts(const QString& fontName, double fontSize, QWidget* parent = nullptr);

    struct Row {
        QString description;
        QString keys;
    };
    // The rows in order, with the key names of Linux keyboards.
    static QList<Row> rows();

    const QString fontName;
    const double fontSize;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// The window that shows Shortcuts, floating above the viewer windows.
class ShortcutsWindow : public QWidget {
    Q_OBJECT
public:
    explicit ShortcutsWindow(QWidget* parent = nullptr);
    // A new window each time, centred, in front and focused.
    static ShortcutsWindow* open();

    Shortcuts* view() const { return m_view; }

private:
    Shortcuts* m_view;
};

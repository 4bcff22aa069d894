#pragma once

#include "desktop/settings/AppSettings.h"
#include "style/VisualStyle.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class ViewerHost;
class VisualStyleOption;

// The preferences: which image types the desktop opens with this program
// ("Defaults") and how viewer windows are drawn ("Visual"), over a banner
// picture in the top-right corner that fades into the window colour.
class PreferencesView : public QWidget {
    Q_OBJECT
public:
    // The host gives the settings store and asks the viewers to redraw.
    explicit PreferencesView(ViewerHost& host, QWidget* parent = nullptr);
    ~PreferencesView() override;

    static constexpr int width = 490;
    static constexpr int bannerSide = 280;

    // One checkbox of the Defaults section. Boxes that share a setting or a
    // MIME type change together: a box shows what the desktop answers.
    struct DefaultsRow {
        QString label;
        Setting<bool>* setting;
        QString extension;
        // The extension's, from the MIME database; the raw boxes (those of
        // dngChoose) stand for every camera raw type.
        QStringList mimeTypes{};
        QCheckBox* checkbox = nullptr;
    };
    const std::vector<DefaultsRow>& defaultsRows() const { return m_rows; }
    QCheckBox* checkbox(const QString& label) const;
    VisualStyleOption* option(VISUALSTYLE style) const;

    // The highlighted style; read from the store each time the view is shown.
    VISUALSTYLE visualStyle = VISUALSTYLE::FRAME;
    // A tap on a style option: stores the choice and redraws every viewer.
    void selectStyle(VISUALSTYLE style);

    Setting<bool> pngChoose;
    Setting<bool> jpgChoose;
    Setting<bool> jpegChoose;
    Setting<bool> heifChoose;
    Setting<bool> heicChoose;
    Setting<bool> bmpChoose;
    Setting<bool> dngChoose;

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* makeHeader(const QString& title, const QString& subtitle);
    QWidget* makeDefaultsSection();
    QWidget* makeVisualSection();
    void toggled(const DefaultsRow& row, bool checked);
    // The boxes show what the desktop does: a type another program took (or
    // gave back) since the choice was stored is taken over into the setting,
    // each box ticked when this program opens the types of its row and of
    // the rows that change with it.
    void takeOverDesktopDefaults();
    std::vector<const DefaultsRow*> changedTogether(const DefaultsRow& row) const;
    static QStringList typesOf(const std::vector<const DefaultsRow*>& rows);
    void showStyle();

    ViewerHost& m_host;
    Setting<bool> m_visualStyleAsFrame;
    std::vector<DefaultsRow> m_rows;
    VisualStyleOption* m_frameOption = nullptr;
    VisualStyleOption* m_framelessOption = nullptr;
};

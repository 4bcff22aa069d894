#include "dialogs/PreferencesView.h"

#include "desktop/apps/DefaultApplication.h"
#include "desktop/files/ImageTypes.h"
#include "dialogs/VisualStyleOption.h"
#include "style/FontsManager.h"
#include "style/WindowBackground.h"
#include "viewer/ViewerHost.h"
#include "viewer/toolbar/SymbolImage.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// A hairline between the sections, in the text colour at 10 %.
class SectionSeparator : public QWidget {
public:
    explicit SectionSeparator(QWidget* parent = nullptr) : QWidget(parent) { setFixedHeight(1); }

protected:
    void paintEvent(QPaintEvent*) override {
        QColor colour = palette().color(QPalette::WindowText);
        colour.setAlphaF(0.1f);
        QPainter(this).fillRect(rect(), colour);
    }
};

QLabel* label(const QString& text, const QFont& font, double opacity, QWidget* parent) {
    auto* result = new QLabel(text, parent);
    result->setFont(font);
    QPalette palette = result->palette();
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(float(opacity));
    palette.setColor(QPalette::WindowText, colour);
    result->setPalette(palette);
    return result;
}

} // namespace

PreferencesView::PreferencesView(ViewerHost& host, QWidget* parent)
    : QWidget(parent), pngChoose(makeSetting(AppSettings::pngChoose, &host.settingsStore())),
      jpgChoose(makeSetting(AppSettings::jpgChoose, &host.settingsStore())),
      jpegChoose(makeSetting(AppSettings::jpegChoose, &host.settingsStore())),
      heifChoose(makeSetting(AppSettings::heifChoose, &host.settingsStore())),
      heicChoose(makeSetting(AppSettings::heicChoose, &host.settingsStore())),
      bmpChoose(makeSetting(AppSettings::bmpChoose, &host.settingsStore())),
      dngChoose(makeSetting(AppSettings::dngChoose, &host.settingsStore())), m_host(host),
      m_visualStyleAsFrame(makeSetting(AppSettings::visualStyleAsFrame, &host.settingsStore())) {
    // DNG and ARW share one setting, so one box changes both types, and
    // with them every other camera raw type.
    m_rows = {{"PNG", &pngChoose, "png"},    {"JPG", &jpgChoose, "jpg"},
              {"JPEG", &jpegChoose, "jpeg"}, {"HEIF", &heifChoose, "heif"},
              {"HEIC", &heicChoose, "heic"}, {"BMP", &bmpChoose, "bmp"},
              {"DNG", &dngChoose, "dng"},    {"ARW", &dngChoose, "arw"}};
    for (DefaultsRow& row : m_rows) {
        const QString type = DefaultApplication::contentType(row.extension);
        if (!type.isEmpty())
            row.mimeTypes << type;
        if (row.setting == &dngChoose)
            for (const QString& raw : cameraRawMimeTypes())
                if (!row.mimeTypes.contains(raw))
                    row.mimeTypes << raw;
    }
    takeOverDesktopDefaults();
    setFixedWidth(width);
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(makeDefaultsSection());
    auto* separator = new SectionSeparator(this);
    column->addSpacing(8);
    column->addWidget(separator);
    column->addSpacing(8);
    column->addWidget(makeVisualSection());
    column->addStretch();
    showStyle();
}

PreferencesView::~PreferencesView() = default;

void PreferencesView::takeOverDesktopDefaults() {
    for (DefaultsRow& row : m_rows) {
        QStringList types;
        for (const DefaultsRow* linked : changedTogether(row))
            if (const QString type = DefaultApplication::contentType(linked->extension);
                !type.isEmpty())
                types << type;
        if (types.isEmpty())
            continue;
        const bool ours = DefaultApplication::isDefaultForAll(types);
        if (row.setting->value() != ours)
            *row.setting = ours;
    }
}

QWidget* PreferencesView::makeHeader(const QString& title, const QString& subtitle) {
    auto* header = new QWidget(this);
    auto* texts = new QVBoxLayout(header);
    texts->setContentsMargins(0, 0, 0, 0);
    texts->setSpacing(8);
    texts->addWidget(label(title, FontsManager::font(true, 16), 1.0, header));
    texts->addWidget(label(subtitle, FontsManager::font(false, 12), 0.6, header));
    return header;
}

QWidget* PreferencesView::makeDefaultsSection() {
    auto* section = new QWidget(this);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(22, 22, 22, 5);
    column->setSpacing(0);
    column->addWidget(
        makeHeader(tr("Defaults"), tr("Image files you want Fennic to open by default")));
    column->addSpacing(22);
    auto* boxes = new QVBoxLayout;
    boxes->setSpacing(14);
    for (DefaultsRow& row : m_rows) {
        auto* box = new QCheckBox(row.label, section);
        box->setFont(FontsManager::font(false, 14));
        box->setChecked(row.setting->value());
        // Says which types the box changes and which boxes change with it.
        QStringList others;
        for (const DefaultsRow* linked : changedTogether(row))
            if (linked != &row)
                others << linked->label;
        const QString types = typesOf(changedTogether(row)).join(QStringLiteral(", "));
        box->setToolTip(others.isEmpty() ? types
                                         : tr("%1, changed with %2").arg(types, others.join(", ")));
        // Only the user's click registers; a change from elsewhere only shows.
        connect(box, &QCheckBox::clicked, this,
                [this, &row](bool checked) { toggled(row, checked); });
        connect(row.setting->notifier(), &SettingNotifier::valueChanged, box,
                [box, setting = row.setting] { box->setChecked(setting->value()); });
        row.checkbox = box;
        boxes->addWidget(box);
    }
    column->addLayout(boxes);
    return section;
}

QWidget* PreferencesView::makeVisualSection() {
    auto* section = new QWidget(this);
    auto* column = new QVBoxLayout(section);
    column->setContentsMargins(22, 5, 22, 12);
    column->setSpacing(12);
    column->addWidget(makeHeader(tr("Visual"), tr("Your Fennic visual style")));
    auto* options = new QHBoxLayout;
    options->setSpacing(15);
    m_frameOption = new VisualStyleOption(QStringLiteral("frame"), tr("With Frame"), section);
    m_framelessOption =
        new VisualStyleOption(QStringLiteral("frameless"), tr("Frameless"), section);
    connect(m_frameOption, &VisualStyleOption::tapped, this,
            [this] { selectStyle(VISUALSTYLE::FRAME); });
    connect(m_framelessOption, &VisualStyleOption::tapped, this,
            [this] { selectStyle(VISUALSTYLE::FRAMELESS); });
    options->addWidget(m_frameOption);
    options->addWidget(m_framelessOption);
    options->addStretch();
    column->addLayout(options);
    return section;
}

QCheckBox* PreferencesView::checkbox(const QString& label) const {
    for (const DefaultsRow& row : m_rows) {
        if (row.label == label)
            return row.checkbox;
    }
    return nullptr;
}

VisualStyleOption* PreferencesView::option(VISUALSTYLE style) const {
    return style == VISUALSTYLE::FRAME ? m_frameOption : m_framelessOption;
}

std::vector<const PreferencesView::DefaultsRow*>
PreferencesView::changedTogether(const DefaultsRow& row) const {
    std::vector<const DefaultsRow*> group{&row};
    // Grown until no other row shares a setting or a type with one in it.
    for (bool grown = true; grown;) {
        grown = false;
        for (const DefaultsRow& other : m_rows) {
            const bool linked = std::any_of(group.begin(), group.end(), [&](const DefaultsRow* in) {
                return in->setting == other.setting ||
                       std::any_of(
                           in->mimeTypes.begin(), in->mimeTypes.end(),
                           [&](const QString& type) { return other.mimeTypes.contains(type); });
            });
            if (linked && std::find(group.begin(), group.end(), &other) == group.end()) {
                group.push_back(&other);
                grown = true;
            }
        }
    }
    return group;
}

QStringList PreferencesView::typesOf(const std::vector<const DefaultsRow*>& rows) {
    QStringList types;
    for (const DefaultsRow* row : rows)
        for (const QString& type : row->mimeTypes)
            if (!types.contains(type))
                types << type;
    return types;
}

void PreferencesView::toggled(const DefaultsRow& row, bool checked) {
    // Stored first and kept whatever the desktop answers; a refusal is
    // reported by the registration itself, once for each type.
    const std::vector<const DefaultsRow*> group = changedTogether(row);
    for (const DefaultsRow* linked : group)
        linked->setting->setValue(checked);
    const QStringList types = typesOf(group);
    for (const QString& type : types) {
        if (checked)
            DefaultApplication::setDefaultApplicationForType(type);
        else
            DefaultApplication::restoreSystemPreviewerForType(type);
    }
}

void PreferencesView::selectStyle(VISUALSTYLE style) {
    visualStyle = style;
    showStyle();
    m_visualStyleAsFrame = visualstyle::visualStyleAsFrame(style);
    m_host.refreshAllViewers();
}

void PreferencesView::showStyle() {
    m_frameOption->setChecked(visualStyle == VISUALSTYLE::FRAME);
    m_framelessOption->setChecked(visualStyle == VISUALSTYLE::FRAMELESS);
}

void PreferencesView::showEvent(QShowEvent* event) {
    visualStyle = visualstyle::fromVisualStyleAsFrame(m_visualStyleAsFrame.value());
    showStyle();
    QWidget::showEvent(event);
}

void PreferencesView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QColor background = windowBackgroundColor();
    painter.fillRect(rect(), background);
    // The banner fills its square in the top-right corner, cropped to it,
    // and fades into the window towards the bottom left.
    const QRectF square(width - bannerSide, 0, bannerSide, bannerSide);
    const QSizeF own = SymbolImage::pictureSize(QStringLiteral("bg_pref"));
    if (own.isEmpty())
        return;
    const QSizeF filled = own.scaled(square.size(), Qt::KeepAspectRatioByExpanding);
    const QImage banner =
        SymbolImage::picture(QStringLiteral("bg_pref"), filled, devicePixelRatioF());
    painter.save();
    painter.setClipRect(square);
    QRectF target(QPointF(), filled);
    target.moveCenter(square.center());
    painter.drawImage(target, banner);
    painter.restore();
    QLinearGradient fade(square.bottomLeft(), square.topRight());
    QColor clear = background;
    clear.setAlpha(0);
    fade.setStops({{0, background}, {0.5, background}, {1, clear}});
    painter.fillRect(square, fade);
}

#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <functional>

class QVariantAnimation;

// A flat toolbar control: its label (a symbol in `shownColor`) with padding
// on all sides, over a rounded background that fades in while the pointer is
// over it. No bezel, no keyboard focus (keys belong to the picture), and the
// standard tooltip. Clicking runs `action`.
class ToolbarButton : public QAbstractButton {
    Q_OBJECT
public:
    static constexpr double symbolSize = 18;
    static constexpr double symbolPadding = 5;
    static constexpr int hoverAnimationMs = 150;

    ToolbarButton(const QString& image, const QString& toolTip, std::function<void()> action,
                  QWidget* parent = nullptr);

    QString image() const { return m_image; }
    // The hover state: true while the pointer is over an enabled button.
    bool backgroundOn() const { return m_backgroundOn; }
    // How far the hover background has faded in, 0 to 1.
    double backgroundProgress() const { return m_backgroundProgress; }

    QColor shownColor() const { return m_shownColor; }
    void setShownColor(const QColor& colour);

    std::function<void()> action;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    ToolbarButton(const QString& image, const QString& toolTip, std::function<void()> action,
                  double padding, QWidget* parent);

    // The label's size in points, and drawing it centred in `rect`.
    virtual QSizeF labelSize() const;
    virtual void paintLabel(QPainter& painter, const QRectF& rect);
    // The label as last drawn, made again only when `key` changes: hover
    // fades repaint the button many times in a row.
    const QImage& cachedLabel(const QString& key, const std::function<QImage()>& make);

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setBackgroundOn(bool on);

    QString m_image;
    double m_padding;
    QColor m_shownColor;
    bool m_backgroundOn = false;
    double m_backgroundProgress = 0;
    QVariantAnimation* m_hoverAnimation;
    QString m_labelKey;
    QImage m_label;
};

// The same control with one of the program's pictures as its label, scaled
// to a frame 25 points wide, with less padding.
class ToolbarImageButton : public ToolbarButton {
    Q_OBJECT
public:
    static constexpr double pictureWidth = 25;
    static constexpr double picturePadding = 2;

    ToolbarImageButton(const QString& image, const QString& toolTip, std::function<void()> action,
                       QWidget* parent = nullptr);

protected:
    QSizeF labelSize() const override;
    void paintLabel(QPainter& painter, const QRectF& rect) override;

private:
    QSizeF m_pictureSize;
};

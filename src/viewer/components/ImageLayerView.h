#pragma once

#include <QImage>
#include <QPixmap>
#include <QWidget>

// An image view that scales its picture to its own size, keeping the
// proportions: either covering the whole view (cropped) or wholly visible
// (letter-boxed). The scaled picture is kept until the size or image changes.
class ImageLayerView : public QWidget {
    Q_OBJECT
public:
    enum class Gravity { ResizeAspectFill, ResizeAspect };

    QImage image() const { return m_image; }
    virtual void setImage(const QImage& image);

    Gravity gravity() const { return m_gravity; }

    // Where the picture is drawn, in the view's coordinates (may extend past
    // the view when filling).
    QRectF imageRect() const;
    static QRectF imageRect(const QSizeF& image, const QSizeF& bounds, Gravity gravity);

protected:
    ImageLayerView(Gravity gravity, QWidget* parent);
    void paintEvent(QPaintEvent* event) override;

private:
    Gravity m_gravity;
    QImage m_image;
    QPixmap m_layer;
};

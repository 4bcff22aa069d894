#pragma once

#include <QWidget>

class QLabel;

// One choice of the Visual section: the style's picture with its label
// below, and a check mark over the picture while it is the chosen one.
class VisualStyleOption : public QWidget {
    Q_OBJECT
public:
    VisualStyleOption(const QString& picture, const QString& label, QWidget* parent = nullptr);

    static constexpr double pictureWidth = 100;
    static constexpr double pictureHeight = 70.5;
    static constexpr double checkmarkWidth = 18;

    bool isChecked() const { return m_checked; }
    void setChecked(bool checked);
    QString text() const;

Q_SIGNALS:
    void tapped();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_picture;
    QLabel* m_label;
    bool m_checked = false;
};

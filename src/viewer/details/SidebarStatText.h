#pragma once

#include <QMargins>
#include <QString>
#include <QWidget>

// One text line of the details sidebar: the sidebar's type face at
// fontSize (bold when boldText), wrapped to the width it is given, with
// 4 extra pixels between wrapped lines. Padded 3 above and below, 8 on
// the leading side and 6 on the trailing side.
class SidebarStatText : public QWidget {
    Q_OBJECT
public:
    SidebarStatText(const QString& displayTextKey, qreal fontSize, bool boldText,
                    QWidget* parent = nullptr);

    QString displayTextKey() const { return m_text; }
    qreal fontSize() const { return m_fontSize; }
    bool boldText() const { return m_boldText; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

protected:
    SidebarStatText(const QString& text, qreal fontSize, bool boldText, QMargins padding,
                    qreal extraLineSpacing, QWidget* parent);
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Lays the text out in a text width; returns the height it takes.
    qreal layoutHeight(qreal textWidth) const;

    QString m_text;
    qreal m_fontSize;
    bool m_boldText;
    QMargins m_padding;
    qreal m_extraLineSpacing;
};

// The file type line: the same face and size rule, no extra line spacing,
// inset 4 above and below and 8 at the sides.
class ImageFormatView : public SidebarStatText {
    Q_OBJECT
public:
    ImageFormatView(const QString& displayTextKey, qreal fontSize, bool boldText,
                    QWidget* parent = nullptr);
};

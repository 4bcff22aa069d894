#include "style/FontsManager.h"

#include <algorithm>

QString FontsManager::regularFontName() {
    return QStringLiteral("Cera Pro Regular");
}

QString FontsManager::boldFontName() {
    static const QString name = QStringLiteral("Cera Pro Bold");
    return name;
}

QString FontsManager::substituteFamily() {
    return QStringLiteral("Manrope");
}

void FontsManager::installFontSubstitutions() {
    // Qt ignores a substitution it already holds, so a second call is harmless.
    for (const QString& family : {regularFontName(), boldFontName()})
        QFont::insertSubstitution(family, substituteFamily());
}

QFont FontsManager::font(bool bold, qreal size) {
    QFont font(bold ? boldFontName() : regularFontName());
    // The substitute family holds both weights; the weight picks the face.
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    setSize(font, size);
    return font;
}

void FontsManager::setSize(QFont& font, qreal size) {
    if (size > 0)
        font.setPixelSize(std::max(1, qRound(size)));
}

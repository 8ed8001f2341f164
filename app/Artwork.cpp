#include "Artwork.h"

#include <QBitmap>
#include <QIcon>
#include <QImage>
#include <QPixmap>

// The resources live in a static library: without this reference the linker drops them. Outside
// any namespace, because the macro declares the function it calls.
static void loadResources() {
    static const bool loaded = [] {
        Q_INIT_RESOURCE(orvek);
        return true;
    }();
    Q_UNUSED(loaded);
}

namespace {

// A glyph bitmap has no alpha channel; as on Windows, its bottom-left pixel names the colour
// that lets the button show through.
QPixmap withTransparentKey(const QImage& image) {
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(QBitmap::fromImage(
        image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskInColor)));
    return pixmap;
}

} // namespace

QIcon applicationIcon() {
    loadResources();
    return QIcon(QStringLiteral(":/orvek/Orvek.ico"));
}

QIcon executarGlyph() {
    loadResources();
    const QImage glyphs(QStringLiteral(":/orvek/Executar.bmp"));
    const int half = glyphs.width() / 2;
    QIcon icon;
    icon.addPixmap(withTransparentKey(glyphs.copy(0, 0, half, glyphs.height())), QIcon::Normal);
    icon.addPixmap(withTransparentKey(glyphs.copy(half, 0, half, glyphs.height())),
                   QIcon::Disabled);
    return icon;
}

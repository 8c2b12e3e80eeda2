#include "platform/glyph_runs.h"

#include <QGlyphRun>
#include <QImage>
#include <QPainter>

#include <cmath>

TGlyphSet::TGlyphSet(QRawFont raw, std::array<char16_t, 256> chars) : raw_(std::move(raw)), chars_(chars) {}

const TGlyph& TGlyphSet::Get(unsigned char byte)
{
    TGlyph& g = glyphs_[byte];
    if (!g.ready) {
        Render(byte, g);
        g.ready = true;
    }
    return g;
}

void TGlyphSet::Render(unsigned char byte, TGlyph& g)
{
    if (!raw_.isValid())
        return;
    const QList<quint32> ids = raw_.glyphIndexesForString(QString(QChar(chars_[byte])));
    if (ids.size() != 1)
        return;
    const QList<QPointF> adv = raw_.advancesForGlyphIndexes(ids, QRawFont::SeparateAdvances);
    if (adv.size() != 1)
        return;
    g.advance = adv[0].x();
    // A canvas wide and tall enough for any glyph of this size, overhangs included.
    const int px = std::max(1, static_cast<int>(std::ceil(raw_.pixelSize())));
    const int margin = 2 * px + 8;
    const int width = static_cast<int>(std::ceil(std::abs(g.advance))) + 2 * margin;
    const int height = 4 * px + 16;
    const int ox = margin, oy = 3 * px + 8;
    if (width > 32767 || height > 32767)
        return;
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(0xFFFFFFFFu);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setRenderHint(QPainter::TextAntialiasing, false);
        p.setPen(Qt::black);
        QGlyphRun run;
        run.setRawFont(raw_);
        run.setGlyphIndexes(ids);
        run.setPositions({QPointF(0, 0)});
        p.drawGlyphRun(QPointF(ox, oy), run);
    }
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < width;) {
            if ((row[x] & 0xFFFFFFu) == 0xFFFFFFu) {
                ++x;
                continue;
            }
            const int x0 = x;
            while (x < width && (row[x] & 0xFFFFFFu) != 0xFFFFFFu)
                ++x;
            g.runs.push_back({static_cast<int16_t>(y - oy), static_cast<int16_t>(x0 - ox),
                              static_cast<int16_t>(x - 1 - ox)});
        }
    }
    g.usable = true;
}

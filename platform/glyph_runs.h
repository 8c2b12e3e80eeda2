#pragma once
// Rendered glyphs of one font, one per byte, kept as runs of inked pixels relative to the
// pen position on the baseline, so unrotated text is drawn by copying runs instead of asking
// the painter for every text. Each glyph is rendered once by Qt, aliased, exactly as the
// painter would draw it at a whole-pixel position.
#include <QRawFont>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct TGlyphRun {
    int16_t dy;        // row relative to the baseline
    int16_t dx0, dx1;  // inked columns [dx0, dx1] relative to the pen position
};

struct TGlyph {
    bool ready = false;
    bool usable = false;  // false: the byte has no single glyph; draw the text the slow way
    double advance = 0;
    std::vector<TGlyphRun> runs;
};

class TGlyphSet {
public:
    // chars[b] is the character byte b stands for in this font.
    TGlyphSet(QRawFont raw, std::array<char16_t, 256> chars);
    const TGlyph& Get(unsigned char byte);

private:
    void Render(unsigned char byte, TGlyph& g);

    QRawFont raw_;
    std::array<char16_t, 256> chars_;
    std::array<TGlyph, 256> glyphs_;
};

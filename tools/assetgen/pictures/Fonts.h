// Fonts.h -- the typefaces painted into pictures, found through fontconfig, and simple text
// layout (measured lines, word-wrapped paragraphs with rubricated words).
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

namespace assetgen {

enum class Font {
    Serif,         // Linux Libertine O Regular: body text
    SerifItalic,   // Linux Libertine O Italic
    SerifBold,     // Linux Libertine O Bold: labels and headings
    SerifSemibold, // Linux Libertine O Semibold
    Display,       // Linux Libertine Display O: titles
    Sans,          // Linux Biolinum O Regular: key caps and small print
    SansBold,      // Linux Biolinum O Bold
    Ui,            // DejaVu Sans: contact-sheet labels only
};

// The cairo face of a font. Throws if fontconfig does not find exactly that family and style:
// a silent substitute would change the pictures from machine to machine.
cairo_font_face_t* FontFace(Font font);

// Selects the font at a pixel size with hinting off, so glyph shapes do not depend on the host.
void UseFont(cairo_t* cr, Font font, double size);
double TextWidth(cairo_t* cr, Font font, double size, const std::string& text);

// Draws text with its baseline at y. Align: 0 left at x, 0.5 centred on x, 1 right at x.
void DrawText(cairo_t* cr, Font font, double size, double x, double y, const std::string& text,
              uint32_t color, double align = 0.0);

// Word-wrapped paragraph starting with its first baseline at y; returns the baseline after the
// last line. Words in *stars* are rubricated (red). A "\n" forces a line break.
double DrawParagraph(cairo_t* cr, Font font, double size, double x, double y, double width,
                     double lineHeight, const std::string& text, uint32_t color, uint32_t rubric);

} // namespace assetgen

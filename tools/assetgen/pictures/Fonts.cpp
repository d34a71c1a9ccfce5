// Fonts.cpp -- fontconfig lookup of the exact faces we paint with, and text drawing helpers.
#include "Fonts.h"

#include "Canvas.h"

#include <cairo-ft.h>
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <map>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace assetgen {

namespace {

struct FaceName {
    const char* family;
    const char* style;
};

FaceName NameOf(Font f) {
    switch (f) {
    case Font::Serif:
        return {"Linux Libertine O", "Regular"};
    case Font::SerifItalic:
        return {"Linux Libertine O", "Italic"};
    case Font::SerifBold:
        return {"Linux Libertine O", "Bold"};
    case Font::SerifSemibold:
        return {"Linux Libertine O", "Semibold"};
    case Font::Display:
        return {"Linux Libertine Display O", "Regular"};
    case Font::Sans:
        return {"Linux Biolinum O", "Regular"};
    case Font::SansBold:
        return {"Linux Biolinum O", "Bold"};
    case Font::Ui:
        return {"DejaVu Sans", "Book"};
    }
    throw std::logic_error("unknown font");
}

// True if the pattern lists `want` among its values of `object` (families and styles can carry
// several names, one per language).
bool HasValue(FcPattern* p, const char* object, const char* want) {
    FcChar8* s = nullptr;
    for (int i = 0; FcPatternGetString(p, object, i, &s) == FcResultMatch; ++i)
        if (std::string(reinterpret_cast<char*>(s)) == want) return true;
    return false;
}

struct FaceCache {
    std::mutex lock;
    FT_Library library = nullptr;
    std::map<Font, cairo_font_face_t*> faces;
    std::vector<FT_Face> ftFaces;
    bool fontconfigUp = false;

    // Everything is handed back at exit, so leak checkers see a clean run.
    ~FaceCache() {
        for (auto& [font, face] : faces)
            cairo_font_face_destroy(face);
        cairo_debug_reset_static_data();
        for (FT_Face f : ftFaces)
            FT_Done_Face(f);
        if (library) FT_Done_FreeType(library);
        if (fontconfigUp) FcFini();
    }
};

FaceCache& Cache() {
    static FaceCache cache; // faces live as long as the program
    return cache;
}

} // namespace

cairo_font_face_t* FontFace(Font font) {
    FaceCache& cache = Cache();
    std::lock_guard<std::mutex> guard(cache.lock);
    if (auto it = cache.faces.find(font); it != cache.faces.end()) return it->second;
    FaceName face = NameOf(font);
    if (!cache.fontconfigUp && !FcInit())
        throw std::runtime_error("fontconfig cannot be initialised");
    cache.fontconfigUp = true;
    FcPattern* want = FcPatternCreate();
    FcPatternAddString(want, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.family));
    FcPatternAddString(want, FC_STYLE, reinterpret_cast<const FcChar8*>(face.style));
    FcConfigSubstitute(nullptr, want, FcMatchPattern);
    FcDefaultSubstitute(want);
    FcResult result;
    FcPattern* got = FcFontMatch(nullptr, want, &result);
    FcPatternDestroy(want);
    if (!got || !HasValue(got, FC_FAMILY, face.family) || !HasValue(got, FC_STYLE, face.style)) {
        if (got) FcPatternDestroy(got);
        throw std::runtime_error(std::string("font not installed: ") + face.family + " " +
                                 face.style +
                                 " (install fonts-linuxlibertine and fonts-dejavu-core)");
    }
    FcChar8* file = nullptr;
    int index = 0;
    FcPatternGetString(got, FC_FILE, 0, &file);
    FcPatternGetInteger(got, FC_INDEX, 0, &index);
    std::string path(reinterpret_cast<char*>(file));
    FcPatternDestroy(got);

    if (!cache.library && FT_Init_FreeType(&cache.library))
        throw std::runtime_error("freetype cannot be initialised");
    FT_Face ftFace = nullptr;
    if (FT_New_Face(cache.library, path.c_str(), index, &ftFace))
        throw std::runtime_error("cannot open font file " + path);
    cache.ftFaces.push_back(ftFace);
    cairo_font_face_t* cf = cairo_ft_font_face_create_for_ft_face(ftFace, 0);
    cache.faces[font] = cf;
    return cf;
}

void UseFont(cairo_t* cr, Font font, double size) {
    cairo_set_font_face(cr, FontFace(font));
    cairo_set_font_size(cr, size);
    cairo_font_options_t* opt = cairo_font_options_create();
    cairo_font_options_set_hint_style(opt, CAIRO_HINT_STYLE_NONE);
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_OFF);
    cairo_font_options_set_antialias(opt, CAIRO_ANTIALIAS_GRAY);
    cairo_set_font_options(cr, opt);
    cairo_font_options_destroy(opt);
}

double TextWidth(cairo_t* cr, Font font, double size, const std::string& text) {
    cairo_save(cr);
    UseFont(cr, font, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    cairo_restore(cr);
    return ext.x_advance;
}

void DrawText(cairo_t* cr, Font font, double size, double x, double y, const std::string& text,
              uint32_t color, double align) {
    cairo_save(cr);
    UseFont(cr, font, size);
    cairo_text_extents_t ext;
    cairo_text_extents(cr, text.c_str(), &ext);
    cairo_new_path(cr);
    cairo_move_to(cr, x - ext.x_advance * align, y);
    SetColor(cr, color);
    cairo_show_text(cr, text.c_str());
    cairo_restore(cr);
}

double DrawParagraph(cairo_t* cr, Font font, double size, double x, double y, double width,
                     double lineHeight, const std::string& text, uint32_t color, uint32_t rubric) {
    // Words keep their stars as \x01 marks: a colour change may fall inside a word ("*F12*,").
    struct Word {
        std::string text;
        bool breakBefore;
    };
    std::vector<Word> words;
    bool pendingBreak = false;
    std::string cur;
    auto flush = [&] {
        if (!cur.empty()) words.push_back({cur, pendingBreak}), pendingBreak = false;
        cur.clear();
    };
    for (char ch : text) {
        if (ch == '\n') {
            flush();
            pendingBreak = true;
        } else if (ch == ' ') {
            flush();
        } else {
            cur += ch == '*' ? '\x01' : ch;
        }
    }
    flush();

    auto plain = [](const std::string& w) {
        std::string s;
        for (char c : w)
            if (c != '\x01') s += c;
        return s;
    };
    double space = TextWidth(cr, font, size, " ");
    double lx = x;
    bool lineStart = true, red = false;
    for (const Word& w : words) {
        double ww = TextWidth(cr, font, size, plain(w.text));
        if (w.breakBefore || (!lineStart && lx + space + ww > x + width)) {
            y += lineHeight;
            lx = x;
            lineStart = true;
        }
        if (!lineStart) lx += space;
        std::string piece;
        auto emit = [&] {
            if (piece.empty()) return;
            DrawText(cr, font, size, lx, y, piece, red ? rubric : color);
            lx += TextWidth(cr, font, size, piece);
            piece.clear();
        };
        for (char c : w.text) {
            if (c == '\x01') {
                emit();
                red = !red;
            } else {
                piece += c;
            }
        }
        emit();
        lineStart = false;
    }
    return y + lineHeight;
}

} // namespace assetgen

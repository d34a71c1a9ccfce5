// TtfText.cpp -- the text rasteriser on SDL_ttf and fontconfig.
#include "platform/text/TtfText.h"

#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace platform {

namespace {

// Families tried in turn when the game's own typeface is not installed: a book face first,
// since the menus are drawn as parchment and ink.
const char* const kFallbackFamilies[] = {"Linux Libertine O", "Linux Libertine", "DejaVu Serif",
                                         "DejaVu Sans",       "serif",           "sans-serif"};

// The file of `family` when fontconfig has that very family; with `exact` false any match.
std::string MatchFamily(const std::string& family, bool exact) {
    if (!FcInit()) return "";
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(family.c_str()));
    if (!pattern) return "";
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    if (match) {
        FcChar8* got = nullptr;
        FcChar8* path = nullptr;
        bool sameFamily = FcPatternGetString(match, FC_FAMILY, 0, &got) == FcResultMatch &&
                          strcasecmp(reinterpret_cast<char*>(got), family.c_str()) == 0;
        if ((sameFamily || !exact) && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch)
            file = reinterpret_cast<char*>(path);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

struct Mask {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;
};

} // namespace

struct TtfTextRenderer::Impl {
    bool ttfReady = false;
    std::map<std::string, std::string> files; // family -> file
    std::map<std::tuple<std::string, int, uint8_t>, TTF_Font*> fonts;
    std::map<std::tuple<std::string, int, uint8_t, std::string>, Mask> masks;

    ~Impl() {
        for (auto& [key, font] : fonts)
            if (font) TTF_CloseFont(font);
        if (ttfReady) TTF_Quit();
    }

    TTF_Font* Font(TtfTextRenderer& self, const FontSpec& spec) {
        auto key = std::make_tuple(spec.name, spec.pixelHeight, spec.style);
        auto it = fonts.find(key);
        if (it != fonts.end()) return it->second;
        TTF_Font* font = nullptr;
        if (!ttfReady) ttfReady = TTF_Init() == 0;
        std::string file = ttfReady ? self.ResolveFile(spec.name) : "";
        if (!file.empty() && spec.pixelHeight > 0) {
            // At 72 dpi a point is a pixel: the face's em becomes the character height.
            font = TTF_OpenFont(file.c_str(), spec.pixelHeight);
            if (font) {
                int style = 0;
                if (spec.style & 1) style |= TTF_STYLE_BOLD;
                if (spec.style & 2) style |= TTF_STYLE_ITALIC;
                if (spec.style & 4) style |= TTF_STYLE_UNDERLINE;
                if (spec.style & 8) style |= TTF_STYLE_STRIKETHROUGH;
                TTF_SetFontStyle(font, style);
                TTF_SetFontHinting(font, TTF_HINTING_LIGHT);
            }
        }
        fonts[key] = font;
        return font;
    }

    const Mask& Render(TtfTextRenderer& self, const FontSpec& spec, const std::string& text) {
        auto key = std::make_tuple(spec.name, spec.pixelHeight, spec.style, text);
        auto it = masks.find(key);
        if (it != masks.end()) return it->second;
        // The strings of a frame are few; a long session (score, clock) must not grow the
        // cache without bound.
        if (masks.size() >= 512) masks.clear();
        Mask& mask = masks[key];
        TTF_Font* font = Font(self, spec);
        if (!font || text.empty()) return mask;
        SDL_Surface* s = TTF_RenderText_Blended(font, text.c_str(), SDL_Color{255, 255, 255, 255});
        if (!s) return mask;
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(s, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(s);
        if (!argb) return mask;
        mask.width = argb->w;
        mask.height = argb->h;
        mask.alpha.resize(size_t(argb->w) * argb->h);
        for (int y = 0; y < argb->h; ++y) {
            auto row = reinterpret_cast<const uint32_t*>(static_cast<const uint8_t*>(argb->pixels) +
                                                         size_t(y) * argb->pitch);
            for (int x = 0; x < argb->w; ++x)
                mask.alpha[size_t(y) * argb->w + x] = row[x] >> 24;
        }
        SDL_FreeSurface(argb);
        return mask;
    }
};

TtfTextRenderer& SharedTtfText() {
    static TtfTextRenderer renderer;
    return renderer;
}

TtfTextRenderer::Impl* TtfTextRenderer::impl() {
    if (!impl_) impl_ = new Impl;
    return impl_;
}

TtfTextRenderer::~TtfTextRenderer() {
    Reset();
    // fontconfig keeps its configuration until told to let go; leak checkers see it otherwise.
    FcFini();
}

void TtfTextRenderer::Reset() {
    delete impl_;
    impl_ = nullptr;
}

std::string TtfTextRenderer::ResolveFile(const std::string& family) {
    auto& files = impl()->files;
    auto it = files.find(family);
    if (it != files.end()) return it->second;
    std::string file = MatchFamily(family, true);
    for (const char* fallback : kFallbackFamilies) {
        if (!file.empty()) break;
        file = MatchFamily(fallback, true);
    }
    if (file.empty()) file = MatchFamily(family, false);
    files[family] = file;
    return file;
}

int TtfTextRenderer::Width(const FontSpec& font, const std::string& text) {
    return impl()->Render(*this, font, text).width;
}

int TtfTextRenderer::Height(const FontSpec& font, const std::string& text) {
    const Mask& m = impl()->Render(*this, font, text);
    if (m.height) return m.height;
    TTF_Font* f = impl()->Font(*this, font);
    return f ? TTF_FontHeight(f) : font.pixelHeight;
}

void TtfTextRenderer::Draw(uint32_t* pixels, int width, int height, int pitchPixels, int x, int y,
                           const FontSpec& font, uint32_t rgb, const std::string& text) {
    const Mask& m = impl()->Render(*this, font, text);
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    int x0 = x < 0 ? -x : 0, y0 = y < 0 ? -y : 0;
    int x1 = std::min(m.width, width - x), y1 = std::min(m.height, height - y);
    for (int my = y0; my < y1; ++my) {
        uint32_t* row = pixels + size_t(y + my) * pitchPixels + x;
        const uint8_t* a = m.alpha.data() + size_t(my) * m.width;
        for (int mx = x0; mx < x1; ++mx) {
            uint32_t k = a[mx];
            if (!k) continue;
            uint32_t d = row[mx];
            uint32_t dr = (d >> 16) & 0xFF, dg = (d >> 8) & 0xFF, db = d & 0xFF;
            dr = (r * k + dr * (255 - k) + 127) / 255;
            dg = (g * k + dg * (255 - k) + 127) / 255;
            db = (b * k + db * (255 - k) + 127) / 255;
            row[mx] = (dr << 16) | (dg << 8) | db;
        }
    }
}

} // namespace platform

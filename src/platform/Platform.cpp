// Platform.cpp -- the current backend and data-path resolution.
#include "platform/Platform.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace platform {

namespace {
Platform* current = nullptr;

bool Exists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

// Finds the entry of `dir` whose name equals `name` without regard to case.
bool FindEntry(const std::string& dir, const std::string& name, std::string& found) {
    DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
    if (!d) return false;
    bool ok = false;
    while (dirent* e = ::readdir(d)) {
        if (::strcasecmp(e->d_name, name.c_str()) == 0) {
            found = e->d_name;
            ok = true;
            break;
        }
    }
    ::closedir(d);
    return ok;
}

// No fonts: what a platform without a rasteriser of its own draws.
class NullTextRenderer : public TextRenderer {
  public:
    void Draw(uint32_t*, int, int, int, int, int, const FontSpec&, uint32_t,
              const std::string&) override {}
    int Width(const FontSpec&, const std::string&) override { return 0; }
    int Height(const FontSpec& font, const std::string&) override { return font.pixelHeight; }
};

} // namespace

TextRenderer& Platform::Text() {
    static NullTextRenderer none;
    return none;
}

Platform& Current() {
    return *current;
}
void SetCurrent(Platform* platform) {
    current = platform;
}

std::string ResolvePath(std::string_view gamePath) {
    std::string path(gamePath);
    for (char& c : path)
        if (c == '\\') c = '/';
    if (path.empty() || Exists(path)) return path;

    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= path.size()) {
        size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    std::string resolved = path[0] == '/' ? "/" : "";
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty() || part == ".") continue;
        std::string found;
        std::string base = resolved.empty() ? "." : resolved;
        if (part == ".." || !FindEntry(base, part, found)) return path;
        if (!resolved.empty() && resolved.back() != '/') resolved += '/';
        resolved += found;
    }
    return resolved;
}

} // namespace platform

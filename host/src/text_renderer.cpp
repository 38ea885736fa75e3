// Text rendering. Glyphs are rendered once by FreeType (anti-aliased, hinted so advances fall on
// whole pixels) and kept as one small alpha texture each, made on first use in the screen's
// context. The pen moves by whole pixels and glyph quads sit on whole pixels, so text is crisp
// and every frame draws it identically. Text sets every state it depends on (texturing,
// blending, texture environment) itself, whatever was drawn before it.
//
// The font files come from the fonts-dejavu-core package. When they are missing the first use
// reports one host error and text is left out of the picture. Textures live as long as the
// context (the process); they are not freed at exit, when the context may already be gone.
#include "text_renderer.h"

#include <GL/gl.h>
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <map>
#include <memory>

#include "xphost/host.h"

namespace xphost::internal {
namespace {

constexpr const char *kRegularFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr const char *kBoldFontPath = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
constexpr char32_t kReplacement = U'?';

struct Glyph {
    int advance = 0;
    int left = 0;
    int top = 0;
    int width = 0;
    int rows = 0;
    std::vector<unsigned char> coverage; // rows x width, top row first
    GLuint texture = 0;
};

class Font {
public:
    Font(FT_Library library, const char *path) {
        if (FT_New_Face(library, path, 0, &face_) != 0) {
            face_ = nullptr;
            return;
        }
        FT_Set_Pixel_Sizes(face_, 0, kFontPixelSize);
    }
    ~Font() {
        if (face_ != nullptr) FT_Done_Face(face_);
    }
    Font(const Font &) = delete;
    Font &operator=(const Font &) = delete;

    bool loaded() const { return face_ != nullptr; }
    int ascent() const { return face_ ? static_cast<int>(face_->size->metrics.ascender >> 6) : 0; }
    int descent() const {
        return face_ ? static_cast<int>(-(face_->size->metrics.descender >> 6)) : 0;
    }

    Glyph *glyph(char32_t code) {
        auto found = glyphs_.find(code);
        if (found != glyphs_.end()) return &found->second;
        if (face_ == nullptr) return nullptr;
        FT_UInt index = FT_Get_Char_Index(face_, code);
        if (index == 0 && code != kReplacement) return glyph(kReplacement);
        if (FT_Load_Glyph(face_, index, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) != 0) return nullptr;
        const FT_GlyphSlot slot = face_->glyph;
        Glyph made;
        made.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        made.left = slot->bitmap_left;
        made.top = slot->bitmap_top;
        made.width = static_cast<int>(slot->bitmap.width);
        made.rows = static_cast<int>(slot->bitmap.rows);
        made.coverage.resize(static_cast<std::size_t>(made.width) * made.rows);
        for (int row = 0; row < made.rows; ++row) {
            const unsigned char *source = slot->bitmap.buffer + row * slot->bitmap.pitch;
            std::copy(source, source + made.width, &made.coverage[std::size_t(row) * made.width]);
        }
        return &glyphs_.emplace(code, std::move(made)).first->second;
    }

private:
    FT_Face face_ = nullptr;
    std::map<char32_t, Glyph> glyphs_;
};

class Fonts {
public:
    Fonts() {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            reportHostError("text: FreeType cannot start; text is left out");
            return;
        }
        regular_ = std::make_unique<Font>(library_, kRegularFontPath);
        bold_ = std::make_unique<Font>(library_, kBoldFontPath);
        if (!regular_->loaded())
            reportHostError(std::string("text: cannot load ") + kRegularFontPath +
                            " (package fonts-dejavu-core); text is left out");
    }
    ~Fonts() {
        regular_.reset();
        bold_.reset();
        if (library_ != nullptr) FT_Done_FreeType(library_);
    }
    Fonts(const Fonts &) = delete;
    Fonts &operator=(const Fonts &) = delete;

    Font *get(FontStyle style) {
        if (style == FontStyle::Bold && bold_ && bold_->loaded()) return bold_.get();
        return regular_ && regular_->loaded() ? regular_.get() : nullptr;
    }

private:
    FT_Library library_ = nullptr;
    std::unique_ptr<Font> regular_;
    std::unique_ptr<Font> bold_;
};

Font *fontFor(FontStyle style) {
    static Fonts fonts;
    return fonts.get(style);
}

// Decodes UTF-8; a malformed sequence gives one replacement character per byte.
std::u32string decodeUtf8(const std::string &text) {
    std::u32string codes;
    for (std::size_t i = 0; i < text.size();) {
        const auto lead = static_cast<unsigned char>(text[i]);
        int extra = lead < 0x80           ? 0
                    : (lead >> 5) == 0x6  ? 1
                    : (lead >> 4) == 0xE  ? 2
                    : (lead >> 3) == 0x1E ? 3
                                          : -1;
        char32_t code = extra == 0   ? lead
                        : extra == 1 ? (lead & 0x1F)
                        : extra == 2 ? (lead & 0x0F)
                                     : (lead & 0x07);
        bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            valid = (next & 0xC0) == 0x80;
            code = (code << 6) | (next & 0x3F);
        }
        if (!valid) {
            codes.push_back(kReplacement);
            ++i;
            continue;
        }
        codes.push_back(code);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return codes;
}

void uploadTexture(Glyph &glyph) {
    glGenTextures(1, &glyph.texture);
    glBindTexture(GL_TEXTURE_2D, glyph.texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_ALPHA, glyph.width, glyph.rows, 0, GL_ALPHA, GL_UNSIGNED_BYTE,
                 glyph.coverage.data());
}

} // namespace

int fontAscent(FontStyle style) {
    const Font *font = fontFor(style);
    return font ? font->ascent() : kFontPixelSize;
}

int fontDescent(FontStyle style) {
    const Font *font = fontFor(style);
    return font ? font->descent() : 0;
}

int textWidth(const std::string &text, FontStyle style) {
    Font *font = fontFor(style);
    if (font == nullptr) return 0;
    int width = 0;
    for (char32_t code : decodeUtf8(text))
        if (const Glyph *glyph = font->glyph(code)) width += glyph->advance;
    return width;
}

int centredBaseline(int top, int bottom, FontStyle style) {
    // Centres the digits-and-capitals height (about 3/4 of the ascent), which reads as centred.
    const int capitals = (fontAscent(style) * 3 + 2) / 4;
    const int height = top - bottom + 1;
    return bottom + (height - capitals) / 2;
}

void drawText(int x, int baseline, const std::string &text, Colour colour, FontStyle style) {
    if (!requireFrame("drawText")) return;
    Font *font = fontFor(style);
    if (font == nullptr || text.empty()) return;
    glPushAttrib(GL_ENABLE_BIT | GL_COLOR_BUFFER_BIT | GL_CURRENT_BIT | GL_TEXTURE_BIT);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glColor4f(colour.r, colour.g, colour.b, colour.a);
    int pen = x;
    for (char32_t code : decodeUtf8(text)) {
        Glyph *found = font->glyph(code);
        if (found == nullptr) continue;
        Glyph &glyph = *found;
        if (glyph.width > 0 && glyph.rows > 0) {
            if (glyph.texture == 0) uploadTexture(glyph);
            glBindTexture(GL_TEXTURE_2D, glyph.texture);
            // The glyph's top row lies on pixel row baseline + top - 1; a quad's far edge is one
            // past its last pixel.
            const int left = pen + glyph.left;
            const int top = baseline + glyph.top;
            const int bottom = top - glyph.rows;
            glBegin(GL_QUADS);
            glTexCoord2f(0.0f, 1.0f), glVertex2i(left, bottom);
            glTexCoord2f(1.0f, 1.0f), glVertex2i(left + glyph.width, bottom);
            glTexCoord2f(1.0f, 0.0f), glVertex2i(left + glyph.width, top);
            glTexCoord2f(0.0f, 0.0f), glVertex2i(left, top);
            glEnd();
        }
        pen += glyph.advance;
    }
    glPopAttrib();
}

} // namespace xphost::internal

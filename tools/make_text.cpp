// Renders lines of text into a PNG image for the text effect: white glyphs
// whose coverage is both their alpha and their brightness (so the picture is
// right whether it is alpha-blended or drawn opaque over black), centred line
// by line, with a small margin. The size is in pixels of a 1024 x 768
// screen, the text effect's reference: at scale 1 the picture shows at its
// own size there.
//   quorl-make-text [--font FILE] [--size PIXELS] OUT.png LINE [LINE...]
// The default font is DejaVu Sans Bold from Debian's fonts-dejavu-core.
#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{
const char kDefaultFont[] = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
const int kMargin = 4;

int Usage()
{
    std::fprintf(stderr, "usage: quorl-make-text [--font FILE] [--size PIXELS] OUT.png LINE [LINE...]\n");
    return 2;
}

// Decodes UTF-8 into code points; a malformed byte stands for itself.
std::vector<int> CodePoints(const std::string& text)
{
    std::vector<int> points;
    for (size_t i = 0; i < text.size();)
    {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        if (i + length > text.size())
            length = 1;
        int point = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

struct Line
{
    std::vector<int> glyphs;
    float width = 0.0f;
};
} // namespace

int main(int argc, char** argv)
{
    std::string fontPath = kDefaultFont;
    float size = 64.0f;
    int arg = 1;
    for (; arg < argc && std::strncmp(argv[arg], "--", 2) == 0; arg += 2)
    {
        if (arg + 1 >= argc)
            return Usage();
        if (std::strcmp(argv[arg], "--font") == 0)
            fontPath = argv[arg + 1];
        else if (std::strcmp(argv[arg], "--size") == 0)
            size = static_cast<float>(std::atof(argv[arg + 1]));
        else
            return Usage();
    }
    if (argc - arg < 2 || !(size >= 4.0f && size <= 512.0f))
        return Usage();
    const char* out = argv[arg++];

    std::ifstream file(fontPath, std::ios::binary);
    const std::vector<unsigned char> font((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    stbtt_fontinfo info;
    if (font.empty() || !stbtt_InitFont(&info, font.data(), stbtt_GetFontOffsetForIndex(font.data(), 0)))
    {
        std::fprintf(stderr, "could not read the font %s\n", fontPath.c_str());
        return 1;
    }
    const float scale = stbtt_ScaleForPixelHeight(&info, size);
    int ascent, descent, gap;
    stbtt_GetFontVMetrics(&info, &ascent, &descent, &gap);
    const int lineHeight = static_cast<int>(std::ceil((ascent - descent + gap) * scale));

    std::vector<Line> lines;
    float widest = 0.0f;
    for (; arg < argc; ++arg)
    {
        Line line;
        const std::vector<int> points = CodePoints(argv[arg]);
        for (size_t i = 0; i < points.size(); ++i)
        {
            const int glyph = stbtt_FindGlyphIndex(&info, points[i]);
            int advance, bearing;
            stbtt_GetGlyphHMetrics(&info, glyph, &advance, &bearing);
            line.glyphs.push_back(glyph);
            line.width += advance * scale;
            if (i + 1 < points.size())
                line.width +=
                    stbtt_GetGlyphKernAdvance(&info, glyph, stbtt_FindGlyphIndex(&info, points[i + 1])) * scale;
        }
        widest = std::max(widest, line.width);
        lines.push_back(line);
    }

    const int width = static_cast<int>(std::ceil(widest)) + 2 * kMargin;
    const int height = lineHeight * static_cast<int>(lines.size()) + 2 * kMargin;
    std::vector<float> coverage(static_cast<size_t>(width) * height, 0.0f);
    for (size_t row = 0; row < lines.size(); ++row)
    {
        const Line& line = lines[row];
        const float baseline = kMargin + row * lineHeight + ascent * scale;
        float x = kMargin + (widest - line.width) * 0.5f;
        for (size_t i = 0; i < line.glyphs.size(); ++i)
        {
            const int glyph = line.glyphs[i];
            // Each glyph at its own sub-pixel position, added in so that overlaps stay smooth.
            const float shiftX = x - std::floor(x);
            int x0, y0, x1, y1;
            stbtt_GetGlyphBitmapBoxSubpixel(&info, glyph, scale, scale, shiftX, 0.0f, &x0, &y0, &x1, &y1);
            const int w = x1 - x0, h = y1 - y0;
            if (w > 0 && h > 0)
            {
                std::vector<unsigned char> bitmap(static_cast<size_t>(w) * h);
                stbtt_MakeGlyphBitmapSubpixel(&info, bitmap.data(), w, h, w, scale, scale, shiftX, 0.0f, glyph);
                const int left = static_cast<int>(std::floor(x)) + x0;
                const int top = static_cast<int>(std::lround(baseline)) + y0;
                for (int by = 0; by < h; ++by)
                    for (int bx = 0; bx < w; ++bx)
                    {
                        const int px = left + bx, py = top + by;
                        if (px < 0 || py < 0 || px >= width || py >= height)
                            continue;
                        float& c = coverage[static_cast<size_t>(py) * width + px];
                        c = std::min(1.0f, c + bitmap[static_cast<size_t>(by) * w + bx] / 255.0f);
                    }
            }
            int advance, bearing;
            stbtt_GetGlyphHMetrics(&info, glyph, &advance, &bearing);
            x += advance * scale;
            if (i + 1 < line.glyphs.size())
                x += stbtt_GetGlyphKernAdvance(&info, glyph, line.glyphs[i + 1]) * scale;
        }
    }

    std::vector<unsigned char> pixels;
    pixels.reserve(coverage.size() * 4);
    for (float c : coverage)
    {
        const unsigned char v = static_cast<unsigned char>(std::lround(c * 255.0f));
        pixels.insert(pixels.end(), {v, v, v, v});
    }
    if (!stbi_write_png(out, width, height, 4, pixels.data(), width * 4))
    {
        std::fprintf(stderr, "could not write %s\n", out);
        return 1;
    }
    std::printf("wrote %s (%d x %d)\n", out, width, height);
    return 0;
}

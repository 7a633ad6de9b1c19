// quorl-compare-frames: compares a captured frame with its reference picture.
// A channel may differ by the tolerance (drivers round blends and filtering
// differently); beyond it a pixel counts as different. On failure a diff image
// beside the output shows the differing pixels red over the dimmed reference.
#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace
{
const char kUsage[] = "usage: quorl-compare-frames [--tolerance N] [--allow N] OUTPUT.png REFERENCE.png\n"
                      "  --tolerance N  largest difference per channel that still matches, 0-255 (default 8)\n"
                      "  --allow N      number of differing pixels still accepted (default 0)\n"
                      "Exit status 0 when the pictures match, 1 when they differ or cannot be read;\n"
                      "a failed comparison writes OUTPUT.png.diff.png.\n";

struct Image
{
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
};

bool Load(const std::string& path, Image& image)
{
    int channels = 0;
    unsigned char* pixels = stbi_load(path.c_str(), &image.width, &image.height, &channels, 3);
    if (!pixels)
    {
        std::fprintf(stderr, "quorl-compare-frames: cannot read %s: %s\n", path.c_str(), stbi_failure_reason());
        return false;
    }
    image.rgb.assign(pixels, pixels + static_cast<size_t>(image.width) * image.height * 3);
    stbi_image_free(pixels);
    return true;
}

bool ParseCount(const char* text, long limit, long& value)
{
    char* end = nullptr;
    long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || parsed < 0 || parsed > limit)
        return false;
    value = parsed;
    return true;
}

struct Difference
{
    long pixels = 0;
    int largest = 0;
    int largestX = 0;
    int largestY = 0;
    int minX = 0, minY = 0, maxX = -1, maxY = -1;
};

// Marks differing pixels in mask, one byte per pixel.
Difference Compare(const Image& output, const Image& reference, int tolerance, std::vector<unsigned char>& mask)
{
    Difference difference;
    mask.assign(static_cast<size_t>(output.width) * output.height, 0);
    for (int y = 0; y < output.height; ++y)
    {
        for (int x = 0; x < output.width; ++x)
        {
            size_t pixel = static_cast<size_t>(y) * output.width + x;
            int worst = 0;
            for (int c = 0; c < 3; ++c)
                worst = std::max(worst, std::abs(output.rgb[pixel * 3 + c] - reference.rgb[pixel * 3 + c]));
            if (worst <= tolerance)
                continue;
            mask[pixel] = 1;
            if (difference.pixels++ == 0)
            {
                difference.minX = difference.maxX = x;
                difference.minY = difference.maxY = y;
            }
            difference.minX = std::min(difference.minX, x);
            difference.maxX = std::max(difference.maxX, x);
            difference.minY = std::min(difference.minY, y);
            difference.maxY = std::max(difference.maxY, y);
            if (worst > difference.largest)
            {
                difference.largest = worst;
                difference.largestX = x;
                difference.largestY = y;
            }
        }
    }
    return difference;
}

std::string Hex(const Image& image, int x, int y)
{
    const unsigned char* rgb = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    char text[16];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", rgb[0], rgb[1], rgb[2]);
    return text;
}

bool WriteDiff(const std::string& path, const Image& reference, const std::vector<unsigned char>& mask)
{
    std::vector<unsigned char> rgb(reference.rgb.size());
    for (size_t pixel = 0; pixel < mask.size(); ++pixel)
    {
        for (int c = 0; c < 3; ++c)
        {
            unsigned char dimmed = static_cast<unsigned char>(reference.rgb[pixel * 3 + c] / 4);
            rgb[pixel * 3 + c] = mask[pixel] ? (c == 0 ? 255 : 0) : dimmed;
        }
    }
    return stbi_write_png(path.c_str(), reference.width, reference.height, 3, rgb.data(), reference.width * 3) != 0;
}
} // namespace

int main(int argc, char** argv)
{
    long tolerance = 8;
    long allowed = 0;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i)
    {
        std::string option = argv[i];
        if (option == "--help" || option == "-h")
        {
            std::fputs(kUsage, stdout);
            return 0;
        }
        long* value = option == "--tolerance" ? &tolerance : option == "--allow" ? &allowed : nullptr;
        if (!value)
        {
            files.push_back(option);
            continue;
        }
        if (i + 1 >= argc || !ParseCount(argv[++i], option == "--tolerance" ? 255 : 1L << 30, *value))
        {
            std::fprintf(stderr, "quorl-compare-frames: bad value for %s\n%s", option.c_str(), kUsage);
            return 1;
        }
    }
    if (files.size() != 2)
    {
        std::fputs(kUsage, stderr);
        return 1;
    }

    const std::string& outputPath = files[0];
    const std::string& referencePath = files[1];
    Image output, reference;
    if (!Load(outputPath, output) || !Load(referencePath, reference))
        return 1;
    if (output.width != reference.width || output.height != reference.height)
    {
        std::fprintf(stderr, "quorl-compare-frames: %s is %dx%d, the reference %s is %dx%d\n", outputPath.c_str(),
                     output.width, output.height, referencePath.c_str(), reference.width, reference.height);
        return 1;
    }

    std::vector<unsigned char> mask;
    Difference difference = Compare(output, reference, static_cast<int>(tolerance), mask);
    if (difference.pixels <= allowed)
        return 0;

    std::string diffPath = outputPath + ".diff.png";
    bool diffWritten = WriteDiff(diffPath, reference, mask);
    std::fprintf(stderr,
                 "quorl-compare-frames: %s differs from %s\n"
                 "  %ld of %d pixels beyond tolerance %ld (%ld allowed), inside (%d,%d)-(%d,%d)\n"
                 "  largest channel difference %d at (%d,%d): output %s, reference %s\n"
                 "  %s %s\n",
                 outputPath.c_str(), referencePath.c_str(), difference.pixels, output.width * output.height, tolerance,
                 allowed, difference.minX, difference.minY, difference.maxX, difference.maxY, difference.largest,
                 difference.largestX, difference.largestY,
                 Hex(output, difference.largestX, difference.largestY).c_str(),
                 Hex(reference, difference.largestX, difference.largestY).c_str(),
                 diffWritten ? "diff image:" : "cannot write the diff image", diffPath.c_str());
    return 1;
}

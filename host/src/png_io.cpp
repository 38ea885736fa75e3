// Pictures to and from PNG files, through libpng's simplified interface (8-bit RGBA, row 0 on
// top, as in Image). Running out of memory is a failure with its reason, never an exception.
#include <png.h>

#include <cstring>
#include <new>

#include "xphost/screen.h"

namespace xphost {
namespace {

bool fail(std::string *error, const std::string &why) {
    if (error != nullptr) *error = why;
    return false;
}

bool writePngFile(const Image &image, const std::string &path, std::string *error) {
    const std::size_t expected = static_cast<std::size_t>(image.Width) * image.Height * 4;
    if (image.Width <= 0 || image.Height <= 0 || image.Rgba.size() != expected)
        return fail(error, "writePng: the picture is empty or its pixels do not match its size");
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.Width);
    png.height = static_cast<png_uint_32>(image.Height);
    png.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&png, path.c_str(), 0, image.Rgba.data(), 0, nullptr))
        return fail(error, "writePng: cannot write " + path + ": " + png.message);
    return true;
}

bool readPngFile(const std::string &path, Image *image, std::string *error) {
    if (image == nullptr) return fail(error, "readPng: no picture to read into");
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str()))
        return fail(error, "readPng: cannot read " + path + ": " + png.message);
    png.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> pixels(PNG_IMAGE_SIZE(png));
    if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
        const std::string why = png.message;
        png_image_free(&png);
        return fail(error, "readPng: " + path + " is not a readable PNG: " + why);
    }
    image->Width = static_cast<int>(png.width);
    image->Height = static_cast<int>(png.height);
    image->Rgba = std::move(pixels);
    return true;
}

} // namespace

bool writePng(const Image &image, const std::string &path, std::string *error) {
    try {
        return writePngFile(image, path, error);
    } catch (const std::bad_alloc &) {
        return fail(error, "writePng: out of memory while writing " + path);
    }
}

bool readPng(const std::string &path, Image *image, std::string *error) {
    try {
        return readPngFile(path, image, error);
    } catch (const std::bad_alloc &) {
        return fail(error, "readPng: out of memory while reading " + path);
    }
}

} // namespace xphost

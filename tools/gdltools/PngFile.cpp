#include "PngFile.h"

#include <png.h>

namespace gdl {

Result<std::string> EncodePng(const RgbaImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != static_cast<std::size_t>(image.width) * image.height * 4)
        return Error::Caller("the picture is empty");
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGBA;
    // Speed before the last bytes of size: a gallery writes hundreds of these.
    png.flags = PNG_IMAGE_FLAG_FAST;
    // One pass into a buffer as big as the format can need.
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(png);
    std::string bytes(size, '\0');
    if (!png_image_write_to_memory(&png, bytes.data(), &size, 0, image.pixels.data(), 0, nullptr))
        return Error::Unsupported(std::string("libpng: ") + png.message);
    bytes.resize(size);
    return bytes;
}

}  // namespace gdl

// Writes icon 128 as a Windows .ico file from the one picture of it: the
// 32 x 32 image in its 16 colours, as drawn, and the same picture scaled up
// by whole factors for Explorer's and the taskbar's larger icons.
// Usage: make_ico OUTPUT.ico
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "res/delvaro_icon.xpm"

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The standard 16-colour palette, in the order Windows numbers it.
constexpr Rgb kPalette[16] = {
    {0x00, 0x00, 0x00}, {0x80, 0x00, 0x00}, {0x00, 0x80, 0x00}, {0x80, 0x80, 0x00},
    {0x00, 0x00, 0x80}, {0x80, 0x00, 0x80}, {0x00, 0x80, 0x80}, {0xC0, 0xC0, 0xC0},
    {0x80, 0x80, 0x80}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0xFF, 0xFF, 0x00},
    {0x00, 0x00, 0xFF}, {0xFF, 0x00, 0xFF}, {0x00, 0xFF, 0xFF}, {0xFF, 0xFF, 0xFF},
};

// A pixel is a palette index, or -1 where the picture is transparent.
struct Picture {
    int width = 0, height = 0;
    std::vector<int> pixels;
    int At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
};

bool ReadXpm(Picture& picture) {
    int colours = 0, perPixel = 0;
    if (std::sscanf(delvaro_icon_xpm[0], "%d %d %d %d", &picture.width, &picture.height, &colours,
                    &perPixel) != 4 ||
        perPixel != 1)
        return false;
    int indexOf[256];
    for (int& i : indexOf) i = -2;
    for (int c = 0; c < colours; ++c) {
        const char* line = delvaro_icon_xpm[1 + c];
        const auto key = static_cast<unsigned char>(line[0]);
        const char* value = std::strstr(line + 1, "c ");
        if (value == nullptr) return false;
        value += 2;
        if (std::strcmp(value, "None") == 0) {
            indexOf[key] = -1;
            continue;
        }
        unsigned rgb = 0;
        if (std::sscanf(value, "#%6x", &rgb) != 1) return false;
        for (int p = 0; p < 16; ++p)
            if (kPalette[p].r == (rgb >> 16) && kPalette[p].g == ((rgb >> 8) & 0xFF) &&
                kPalette[p].b == (rgb & 0xFF))
                indexOf[key] = p;
        if (indexOf[key] == -2) return false;  // not one of the 16 colours
    }
    for (int y = 0; y < picture.height; ++y) {
        const char* row = delvaro_icon_xpm[1 + colours + y];
        if (static_cast<int>(std::strlen(row)) != picture.width) return false;
        for (int x = 0; x < picture.width; ++x) {
            const int index = indexOf[static_cast<unsigned char>(row[x])];
            if (index == -2) return false;
            picture.pixels.push_back(index);
        }
    }
    return true;
}

void Put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// The header of an icon image: a bitmap of twice the height, the colour
// rows followed by the transparency mask, both bottom-up.
void PutBitmapHeader(std::string& out, int size, int bitsPerPixel, int paletteSize) {
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(size));
    Put32(out, static_cast<uint32_t>(size * 2));
    Put16(out, 1);
    Put16(out, static_cast<unsigned>(bitsPerPixel));
    Put32(out, 0);  // uncompressed
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(paletteSize));
    Put32(out, 0);
}

// Mask rows: one bit a pixel, set where transparent, rows padded to 4 bytes.
void PutMask(std::string& out, const Picture& p, int scale) {
    const int size = p.width * scale;
    const int rowBytes = (size + 31) / 32 * 4;
    for (int y = size - 1; y >= 0; --y) {
        std::string row(static_cast<size_t>(rowBytes), '\0');
        for (int x = 0; x < size; ++x)
            if (p.At(x / scale, y / scale) < 0)
                row[static_cast<size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
        out += row;
    }
}

// The picture as drawn: 4 bits a pixel over the 16-colour palette.
std::string SixteenColourImage(const Picture& p) {
    std::string out;
    PutBitmapHeader(out, p.width, 4, 16);
    for (const Rgb& c : kPalette) {
        out += static_cast<char>(c.b);
        out += static_cast<char>(c.g);
        out += static_cast<char>(c.r);
        out += '\0';
    }
    for (int y = p.height - 1; y >= 0; --y)
        for (int x = 0; x < p.width; x += 2) {
            const int left = p.At(x, y) < 0 ? 0 : p.At(x, y);
            const int right = p.At(x + 1, y) < 0 ? 0 : p.At(x + 1, y);
            out += static_cast<char>(left << 4 | right);
        }
    PutMask(out, p, 1);
    return out;
}

// Scaled by a whole factor, every pixel a square of pixels: the picture
// stays as sharp as drawn. 32 bits a pixel with alpha.
std::string ScaledImage(const Picture& p, int scale) {
    std::string out;
    const int size = p.width * scale;
    PutBitmapHeader(out, size, 32, 0);
    for (int y = size - 1; y >= 0; --y)
        for (int x = 0; x < size; ++x) {
            const int index = p.At(x / scale, y / scale);
            const Rgb c = index < 0 ? Rgb{0, 0, 0} : kPalette[index];
            out += static_cast<char>(c.b);
            out += static_cast<char>(c.g);
            out += static_cast<char>(c.r);
            out += static_cast<char>(index < 0 ? 0 : 0xFF);
        }
    PutMask(out, p, scale);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_ico OUTPUT.ico\n");
        return 2;
    }
    Picture picture;
    if (!ReadXpm(picture) || picture.width != 32 || picture.height != 32) {
        std::fprintf(stderr, "make_ico: the icon is not a 32 x 32 picture in the 16 colours\n");
        return 1;
    }
    struct Entry {
        int size, colours, bitsPerPixel;
        std::string image;
    };
    const Entry entries[] = {
        {32, 16, 4, SixteenColourImage(picture)},
        {64, 0, 32, ScaledImage(picture, 2)},
        {256, 0, 32, ScaledImage(picture, 8)},
    };
    const int count = sizeof entries / sizeof entries[0];
    std::string file;
    Put16(file, 0);
    Put16(file, 1);  // an icon
    Put16(file, count);
    uint32_t offset = 6 + 16 * count;
    for (const Entry& e : entries) {
        file += static_cast<char>(e.size == 256 ? 0 : e.size);  // 0 stands for 256
        file += static_cast<char>(e.size == 256 ? 0 : e.size);
        file += static_cast<char>(e.colours);
        file += '\0';
        Put16(file, 1);
        Put16(file, static_cast<unsigned>(e.bitsPerPixel));
        Put32(file, static_cast<uint32_t>(e.image.size()));
        Put32(file, offset);
        offset += static_cast<uint32_t>(e.image.size());
    }
    for (const Entry& e : entries) file += e.image;
    FILE* out = std::fopen(argv[1], "wb");
    if (out == nullptr || std::fwrite(file.data(), 1, file.size(), out) != file.size() ||
        std::fclose(out) != 0) {
        std::fprintf(stderr, "make_ico: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}

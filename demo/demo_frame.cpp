// demo-frame: one frame of the demo, drawn headless into the stand-in's Direct3D 9 device and
// written as a PNG, or compared with one.
//   demo-frame [--actors K] [--motion flock] --frames N (--out FILE.png | --compare FILE.png)
// Prints what the frame holds. With --compare it exits with 1 when the file's pixels differ
// from the frame's in size or in any pixel, naming how many.
#include "options.h"
#include "picture.h"
#include "world.h"

#include <engine/rendershell.h>

#include <png.h>
#include <standin.h>

#include <cstdint>
#include <cstdio>
#include <exception>
#include <iostream>
#include <vector>

namespace {

constexpr char kUsage[] =
    "usage: demo-frame [--actors K] [--motion flock] --frames N (--out FILE.png "
    "| --compare FILE.png)   (K from 1 to 1000, N from 1 to 86400000)\n";

/// An opaque ARGB pixel from 8-bit red, green and blue.
std::uint32_t argb(const png_byte* rgb) {
    return 0xFF000000U | (std::uint32_t{rgb[0]} << 16) | (std::uint32_t{rgb[1]} << 8) | rgb[2];
}

bool writePng(const char* path, const std::vector<std::uint32_t>& pixels) {
    std::vector<png_byte> rgb;
    rgb.reserve(pixels.size() * 3);
    for (const std::uint32_t pixel : pixels) {
        rgb.push_back(static_cast<png_byte>(pixel >> 16));
        rgb.push_back(static_cast<png_byte>(pixel >> 8));
        rgb.push_back(static_cast<png_byte>(pixel));
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kPictureSize;
    image.height = kPictureSize;
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path, 0, rgb.data(), 0, nullptr) == 0) {
        std::cerr << "demo-frame: cannot write " << path << ": " << image.message << '\n';
        return false;
    }
    return true;
}

/// The file's pixels as opaque ARGB; false when it cannot be read or is not 512 x 512.
bool readPng(const char* path, std::vector<std::uint32_t>& pixels) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path) == 0) {
        std::cerr << "demo-frame: cannot read " << path << ": " << image.message << '\n';
        return false;
    }
    // The size comes from the file's header; an image of the wrong size is refused before
    // anything is allocated for its pixels.
    if (image.width != kPictureSize || image.height != kPictureSize) {
        std::cerr << "demo-frame: " << path << " is " << image.width << 'x' << image.height
                  << ", not " << kPictureSize << 'x' << kPictureSize << '\n';
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    std::vector<png_byte> rgb(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr) == 0) {
        std::cerr << "demo-frame: cannot read " << path << ": " << image.message << '\n';
        return false;
    }
    pixels.clear();
    for (std::size_t i = 0; i < rgb.size(); i += 3) {
        pixels.push_back(argb(&rgb[i]));
    }
    return true;
}

/// Frame N of a world of K actors, as the stand-in's front buffer holds it after Present.
bool renderFrame(const DemoOptions& options, std::vector<std::uint32_t>& pixels) {
    const long actors = options.actors;
    const long frames = options.frames;
    standin::setClientArea(kPictureSize, kPictureSize);
    if (FAILED(setupDevice(nullptr))) {
        std::cerr << "demo-frame: the stand-in's device could not be set up\n";
        return false;
    }
    World world(static_cast<int>(actors), World::Build::partition, options.motion);
    for (long frame = 0; frame < frames; ++frame) {
        world.step();
    }
    PictureRects rects;
    pictureRects(world, rects);
    const HRESULT drawn = drawPicture(g_device, rects);
    cleanup();
    if (FAILED(drawn)) {
        std::cerr << "demo-frame: a Clear was refused\n";
        return false;
    }
    pixels.assign(standin::frontBuffer().begin(), standin::frontBuffer().end());
    std::cout << "frame " << frames << " of " << actors << " actors: " << world.nodeCount()
              << " nodes, " << world.leaves().size() << " leaves, " << world.delivered()
              << " messages delivered\n";
    return true;
}

int compareWith(const char* path, const std::vector<std::uint32_t>& frame) {
    std::vector<std::uint32_t> file;
    if (!readPng(path, file)) {
        return 1;
    }
    long differ = 0;
    for (std::size_t i = 0; i < frame.size(); ++i) {
        differ += frame[i] != file[i] ? 1 : 0;
    }
    std::cout << path << ": " << differ << " pixels differ from the frame\n";
    return differ == 0 ? 0 : 1;
}

int run(const DemoOptions& options) {
    std::vector<std::uint32_t> pixels;
    if (!renderFrame(options, pixels)) {
        return 1;
    }
    if (options.out != nullptr && !writePng(options.out, pixels)) {
        return 1;
    }
    return options.compare != nullptr ? compareWith(options.compare, pixels) : 0;
}

} // namespace

int main(int argc, char** argv) {
    DemoOptions options;
    if (!parseDemoOptions(argc, argv, DemoProgram::frameTool, options)) {
        std::cerr << kUsage;
        return 2;
    }
    int status = 1;
    try {
        status = run(options);
    } catch (const std::exception& error) {
        std::cerr << "demo-frame: " << error.what() << '\n';
    }
    // The line of figures is part of what the tool makes: failing to write it is a failure.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "demo-frame: standard output could not be written\n";
        return 1;
    }
    return status;
}

// The image generators by name (without ".jpg"), each with the JPEG settings
// its picture needs; shared by the show's images and the mesh surfaces.
#pragma once

#include "databuild.h"

#include <functional>
#include <map>
#include <string>

namespace databuild {

struct ImageMaker {
    std::function<Image()> make;
    int quality;       // libjpeg quality, 0..100
    bool full_colour;  // colour at full resolution instead of a quarter
};

// FNV-1a of a name: the seed of images made from their name.
uint64_t name_seed(const std::string& s);

void add_surface_images(std::map<std::string, ImageMaker>& makers);

}  // namespace databuild

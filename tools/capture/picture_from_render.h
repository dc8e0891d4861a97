// A rendered frame as OpenGL reads it (bottom row first, at the render size)
// turned into the picture the capture tool writes: top row first, filtered
// down to the output size when the show was rendered supersampled.
#pragma once
#include <cstdint>
#include <vector>

struct PictureShape {
    int width = 800, height = 600; // the output picture
    int ssaa = 1;                  // rendered at ssaa times each side
};

class PictureFromRender {
public:
    explicit PictureFromRender(const PictureShape& shape);
    ~PictureFromRender();
    PictureFromRender(const PictureFromRender&) = delete;
    PictureFromRender& operator=(const PictureFromRender&) = delete;

    // rendered: (width * ssaa) x (height * ssaa) RGB, bottom row first.
    // Returns width x height RGB rows, top row first.
    std::vector<uint8_t> convert(const std::vector<uint8_t>& rendered);

private:
    PictureShape shape_;
    struct SwsContext* scaler_ = nullptr;
};

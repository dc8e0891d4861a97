// One MPEG-4 encoder over xvidcore for everything that writes video: the
// clips of dats/, the capture tool's recordings, the test and bench clips.
// Single-threaded and without B-frames, so that the bitstream is the same on
// every run and every frame comes out in the call that took its picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace databuild {

struct XvidSettings {
    int width = 0, height = 0;
    int fps = 25;
    int max_key_interval = 250;
    int motion = 0; // XVID_ME_* flags
    int vop_flags = 0; // XVID_VOP_* flags beside half-pel motion
};

class XvidEncoder {
public:
    // Throws std::runtime_error when xvidcore refuses the settings.
    explicit XvidEncoder(const XvidSettings& settings);
    ~XvidEncoder();
    XvidEncoder(const XvidEncoder&) = delete;
    XvidEncoder& operator=(const XvidEncoder&) = delete;

    // Encodes one packed 24-bit picture, rows top-down, in colour space `csp`
    // (XVID_CSP_RGB or XVID_CSP_BGR); `intra` forces a keyframe. Returns the
    // frame's byte count; the bytes stay in bitstream() until the next call.
    // Throws std::runtime_error when the encoder fails.
    size_t encode(const uint8_t* pixels, int csp, int quant, bool intra = false);
    const uint8_t* bitstream() const { return bits_.data(); }
    bool keyframe() const { return keyframe_; }

private:
    XvidSettings settings_;
    void* handle_ = nullptr;
    std::vector<uint8_t> bits_;
    bool keyframe_ = false;
};

}  // namespace databuild

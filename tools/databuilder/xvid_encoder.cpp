#include "xvid_encoder.h"

#include <xvid.h>

#include <stdexcept>

namespace databuild {

XvidEncoder::XvidEncoder(const XvidSettings& settings) : settings_(settings) {
    xvid_gbl_init_t init{};
    init.version = XVID_VERSION;
    xvid_global(nullptr, XVID_GBL_INIT, &init, nullptr);
    xvid_enc_create_t create{};
    create.version = XVID_VERSION;
    create.width = settings.width;
    create.height = settings.height;
    create.fincr = 1;
    create.fbase = settings.fps;
    create.max_key_interval = settings.max_key_interval;
    create.max_bframes = 0;
    create.num_threads = 1;
    if (settings.width <= 0 || settings.height <= 0 ||
        xvid_encore(nullptr, XVID_ENC_CREATE, &create, nullptr) < 0)
        throw std::runtime_error("xvidcore: cannot create the MPEG-4 encoder");
    handle_ = create.handle;
    // Generous: an intra frame at the finest quantiser stays well below this.
    bits_.resize(static_cast<size_t>(settings.width) * settings.height * 6 + 65536);
}

XvidEncoder::~XvidEncoder() {
    if (handle_) xvid_encore(handle_, XVID_ENC_DESTROY, nullptr, nullptr);
}

size_t XvidEncoder::encode(const uint8_t* pixels, int csp, int quant, bool intra) {
    xvid_enc_frame_t frame{};
    frame.version = XVID_VERSION;
    frame.vop_flags = XVID_VOP_HALFPEL | settings_.vop_flags;
    frame.motion = settings_.motion;
    frame.input.csp = csp;
    frame.input.plane[0] = const_cast<uint8_t*>(pixels);
    frame.input.stride[0] = settings_.width * 3;
    frame.type = intra ? XVID_TYPE_IVOP : XVID_TYPE_AUTO;
    frame.quant = quant;
    frame.bitstream = bits_.data();
    frame.length = static_cast<int>(bits_.size());
    const int bytes = xvid_encore(handle_, XVID_ENC_ENCODE, &frame, nullptr);
    if (bytes < 0) throw std::runtime_error("xvidcore: frame encoding failed");
    keyframe_ = (frame.out_flags & XVID_KEYFRAME) != 0;
    return static_cast<size_t>(bytes);
}

}  // namespace databuild

// The intro's wave distortion: undistorted with zero tables, rows pushed
// outside 1..511 left as they were, reads past the copied image black.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>

#include "runtime/demo.h"
#include "scenes/part_1.h"
#include "tests/support.h"

namespace {
constexpr size_t row_bytes = 512 * 3;

void fill_source(uint8_t* source, size_t bytes) {
    for (size_t k = 0; k < bytes; ++k) source[k] = static_cast<uint8_t>(1 + k % 251);
}
} // namespace

TEST(IntroWarp, ZeroTablesCopyTheImageUndistortedAndSkipRowZero) {
    ensure_gl_context();
    set_virtual_clock_ms(0);
    demo_start_time = 0; // m = 15, but every table entry is 0
    std::memset(warp_columns, 0, sizeof warp_columns);
    std::memset(warp_rows, 0, sizeof warp_rows);
    fill_source(logo_pixels, 512 * 512 * 3);
    std::memset(image_pixels, 0xAB, 512 * row_bytes);
    warp_image(logo_pixels, 3000, 512, 512);
    EXPECT_EQ(std::memcmp(image_pixels + row_bytes, logo_pixels + row_bytes, 511 * row_bytes), 0);
    // Row 0 needs 0 < 0 + dy, which a zero table never gives.
    EXPECT_EQ(image_pixels[0], 0xAB);
    EXPECT_EQ(image_pixels[row_bytes - 1], 0xAB);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(IntroWarp, RowsPushedOutsideTheGridKeepThePreviousFrame) {
    ensure_gl_context();
    set_virtual_clock_ms(0);
    demo_start_time = 0;
    std::memset(warp_columns, 0, sizeof warp_columns);
    for (float& r : warp_rows) r = 1.0f; // dy = 15 everywhere
    fill_source(logo_pixels, 512 * 512 * 3);
    std::memset(image_pixels, 0xAB, 512 * row_bytes);
    warp_image(logo_pixels, 3000, 512, 512);
    // Row 0 now reads source row 15; rows from 497 on would read row 512+.
    EXPECT_EQ(std::memcmp(image_pixels, logo_pixels + 15 * row_bytes, row_bytes), 0);
    EXPECT_EQ(std::memcmp(image_pixels + 496 * row_bytes, logo_pixels + 511 * row_bytes, row_bytes), 0);
    for (int i = 497; i < 512; ++i) EXPECT_EQ(image_pixels[i * row_bytes + 7], 0xAB) << "row " << i;
}

TEST(IntroWarp, CaptionReadsPastItsCopiedBytesGiveBlack) {
    ensure_gl_context();
    set_virtual_clock_ms(0);
    demo_start_time = 0;
    std::memset(warp_columns, 0, sizeof warp_columns);
    for (float& r : warp_rows) r = 1.0f;
    std::memset(presents_pixels, 0, work_buffer_bytes);
    fill_source(presents_pixels, 256 * 128 * 3); // grid rows 0..63
    std::memset(image_pixels, 0xAB, 512 * row_bytes);
    warp_image(presents_pixels, 3001, 256, 128);
    // Grid row 48 + 15 = 63 is the last copied row; 49 + 15 lies beyond it.
    EXPECT_EQ(std::memcmp(image_pixels + 48 * row_bytes, presents_pixels + 63 * row_bytes, row_bytes), 0);
    for (size_t k = 0; k < row_bytes; ++k) ASSERT_EQ(image_pixels[49 * row_bytes + k], 0) << k;
}

TEST(IntroWarp, ColumnsShiftAndRunOnIntoTheNextRow) {
    ensure_gl_context();
    set_virtual_clock_ms(0);
    demo_start_time = 0;
    for (float& c : warp_columns) c = 1.0f; // dx = 15
    std::memset(warp_rows, 0, sizeof warp_rows);
    fill_source(logo_pixels, 512 * 512 * 3);
    warp_image(logo_pixels, 3000, 512, 512);
    // Pixel 500 of row 10 comes from pixel 515 of row 10, i.e. pixel 3 of row 11.
    EXPECT_EQ(std::memcmp(image_pixels + 10 * row_bytes + 500 * 3, logo_pixels + 11 * row_bytes + 3 * 3, 3), 0);
    std::memset(warp_columns, 0, sizeof warp_columns);
}

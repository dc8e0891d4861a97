// The image loader: derived names, row order, texture parameters, and what
// it does with missing, oversized, corrupt, greyscale and CMYK files.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "runtime/demo.h"
#include "runtime/images.h"
#include "tests/support.h"

namespace {
Rgb top_red_bottom_blue(int, int y) { return y < 8 ? Rgb{250, 10, 10} : Rgb{10, 10, 250}; }
Rgb grey_ramp(int x, int) { return {x * 16, 0, 0}; }
Rgb mid_grey(int, int) { return {128, 128, 128}; }

std::string write_jpeg(const std::string& stem, int w, int h, Rgb (*pixel)(int, int), int components = 3) {
    std::string path = scratch_path(stem + ".jpg");
    write_file(path, make_jpeg(w, h, pixel, components));
    return path;
}
} // namespace

TEST(JpegName, CutsAtTheFirstDotAndAppendsJpg) {
    char name[jpeg_name_bytes];
    ASSERT_TRUE(jpeg_name("dats/part.bmp", name));
    EXPECT_STREQ(name, "dats/part.jpg");
    ASSERT_TRUE(jpeg_name("dats/a.b.jpg", name));
    EXPECT_STREQ(name, "dats/a.jpg");
}

TEST(JpegName, PathWithoutADotGetsJpgAppended) {
    char name[jpeg_name_bytes];
    ASSERT_TRUE(jpeg_name("dats/nodot", name));
    EXPECT_STREQ(name, "dats/nodot.jpg");
}

TEST(JpegName, AStemOfTwoHundredFiftyFitsAndOneMoreIsRefused) {
    char name[jpeg_name_bytes];
    std::string stem(250, 'a');
    ASSERT_TRUE(jpeg_name((stem + ".bmp").c_str(), name));
    EXPECT_EQ(std::strlen(name), 254u);
    EXPECT_FALSE(jpeg_name((stem + "a.bmp").c_str(), name));
    EXPECT_STREQ(name, "");
}

TEST(LoadImage, TooLongANameIsReportedAndNothingIsOpened) {
    std::string path(300, 'x');
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_image(path.c_str(), -1), 0);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("name too long"), std::string::npos);
}

TEST(LoadImage, FirstRowOfTheBufferIsTheBottomScanline) {
    ensure_gl_context();
    std::string path = write_jpeg("rows", 16, 16, top_red_bottom_blue);
    ASSERT_EQ(load_image(path.c_str(), -1), 1);
    EXPECT_EQ(image_width, 16);
    EXPECT_EQ(image_height, 16);
    EXPECT_GT(image_pixels[2], 200);          // bottom scanline: blue
    EXPECT_LT(image_pixels[0], 60);
    const uint8_t* top = image_pixels + 15 * 16 * 3;
    EXPECT_GT(top[0], 200);                   // top scanline: red
    EXPECT_LT(top[2], 60);
}

TEST(LoadImage, DecodeOnlyLeavesBindingsAndParametersAlone) {
    ensure_gl_context();
    std::string path = write_jpeg("plain", 8, 8, mid_grey);
    glBindTexture(GL_TEXTURE_2D, 777);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    ASSERT_EQ(load_image(path.c_str(), -1), 1);
    GLint bound = 0, filter = 0, align = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &filter);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &align);
    EXPECT_EQ(bound, 777);
    EXPECT_EQ(filter, GL_NEAREST);
    EXPECT_EQ(align, 4);
}

TEST(LoadImage, ReloadUnderAnIdInUseResetsWrapAndFilter) {
    ensure_gl_context();
    std::string path = write_jpeg("reload", 8, 8, mid_grey);
    ASSERT_EQ(load_image(path.c_str(), 3002), 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, 0x2900);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    ASSERT_EQ(load_image(path.c_str(), 3002), 1);
    GLint bound = 0, wrap = 0, mag = 0, width = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &mag);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(bound, 3002);
    EXPECT_EQ(wrap, GL_REPEAT);
    EXPECT_EQ(mag, GL_LINEAR);
    EXPECT_EQ(width, 8);
}

TEST(LoadImage, MissingFileGivesTheExactMessageNamingTheFileTried) {
    ensure_gl_context();
    std::string stem = scratch_path("absent");
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_image((stem + ".bmp").c_str(), 1000), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "can't open " + stem + ".jpg\n");
}

TEST(LoadImage, OversizedImageIsRefusedAndLeavesBufferAndSizes) {
    ensure_gl_context();
    std::string small = write_jpeg("small", 8, 8, mid_grey);
    ASSERT_EQ(load_image(small.c_str(), -1), 1);
    std::string big = write_jpeg("big", 2048, 1024, mid_grey); // 6 MiB as RGB
    image_pixels[0] = 42;
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_image(big.c_str(), 3003), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("big.jpg"), std::string::npos);
    EXPECT_NE(err.find("6291456"), std::string::npos);
    EXPECT_EQ(image_width, 8);
    EXPECT_EQ(image_height, 8);
    EXPECT_EQ(image_pixels[0], 42);
}

TEST(LoadImage, CorruptFileIsReportedWithNoTextureAndTheSizesKept) {
    ensure_gl_context();
    std::string small = write_jpeg("keep", 8, 8, mid_grey);
    ASSERT_EQ(load_image(small.c_str(), -1), 1);
    std::string path = scratch_path("corrupt.jpg");
    write_file(path, {0xFF, 0xD8, 0xFF, 0xE0, 0x00, 0x10, 'J', 'F', 'I', 'F', 0, 1, 1, 0, 0, 1, 0});
    glBindTexture(GL_TEXTURE_2D, 0);
    testing::internal::CaptureStderr();
    EXPECT_EQ(load_image(path.c_str(), 4242), 0);
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("corrupt.jpg"), std::string::npos);
    EXPECT_EQ(image_width, 8);
    EXPECT_EQ(glIsTexture(4242), GL_FALSE);
}

TEST(LoadImage, GreyscaleAndCmykFilesArriveAsThreeBytesAPixel) {
    ensure_gl_context();
    std::string grey = write_jpeg("grey", 16, 4, grey_ramp, 1);
    ASSERT_EQ(load_image(grey.c_str(), -1), 1);
    // Pixel 15 of a row: grey level 240 in all three channels.
    const uint8_t* p = image_pixels + 15 * 3;
    EXPECT_NEAR(p[0], 240, 6);
    EXPECT_EQ(p[0], p[1]);
    EXPECT_EQ(p[1], p[2]);
    std::string cmyk = write_jpeg("cmyk", 8, 8, top_red_bottom_blue, 4);
    ASSERT_EQ(load_image(cmyk.c_str(), -1), 1);
    EXPECT_EQ(image_width, 8);
    // All rows of an 8-high picture are red; inverted CMYK comes back as RGB.
    EXPECT_GT(image_pixels[0], 200);
    EXPECT_LT(image_pixels[2], 60);
}

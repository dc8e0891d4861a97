// What one fragment costs on the current GL renderer: full-window quads drawn
// the way the show fills its pixels (textured, fogged, and blended or opaque,
// or rejected by the depth test), timed per frame with glFinish.
#pragma once
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <chrono>
#include <cstdint>
#include <vector>

#include "tools/bench/part_run.h"

namespace fill_rate {

enum class Kind { blended, blended_without_fog, opaque, rejected };

inline const char* name(Kind kind) {
    switch (kind) {
    case Kind::blended: return "textured, fogged, additively blended";
    case Kind::blended_without_fog: return "textured, additively blended, no fog";
    case Kind::opaque: return "textured, fogged, opaque";
    case Kind::rejected: return "rejected by the depth test";
    }
    return "";
}

struct Rate {
    double ns_per_fragment;     // on the clock
    double cpu_ns_per_fragment; // of CPU time, all threads together
    double fragments_per_frame; // counted with an occlusion query
    double frame_ms;            // median
};

// Draws `layers` quads covering the viewport per frame for `frames` frames
// and returns the median cost of one fragment. Leaves the GL state, the
// matrices and the bound texture as it found them.
inline Rate measure(Kind kind, int width, int height, int layers = 16, int frames = 40) {
    GLint old_texture = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &old_texture);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(-1, 1, -1, 1, 1, 100);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_TEXTURE);
    glPushMatrix();
    glLoadIdentity();

    // A glow-like 64 x 64 picture, the size of the sprite image.
    std::vector<uint8_t> texels(64 * 64 * 3);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            for (int c = 0; c < 3; ++c)
                texels[(y * 64 + x) * 3 + c] = static_cast<uint8_t>((x * 4 + y * 2 + c * 50) & 255);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 64, 64, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());

    glViewport(0, 0, width, height);
    glDisable(GL_LIGHTING);
    glDisable(GL_CULL_FACE);
    glEnable(GL_TEXTURE_2D);
    if (kind == Kind::blended_without_fog)
        glDisable(GL_FOG);
    else
        glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.006f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    if (kind == Kind::blended || kind == Kind::blended_without_fog) {
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_COLOR, GL_ONE);
    } else {
        glDisable(GL_BLEND);
    }
    // Rejected quads lie behind a depth buffer cleared to the near plane.
    glClearDepth(kind == Kind::rejected ? 0.0 : 1.0);

    GLuint query = 0;
    glGenQueries(1, &query);
    std::vector<double> times;
    double cpu_ms = 0;
    GLuint counted = 0;
    for (int f = 0; f < frames + 3; ++f) {
        // The depth mask also masks the clear.
        glDepthMask(GL_TRUE);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDepthMask(kind == Kind::opaque ? GL_TRUE : GL_FALSE);
        glFinish();
        const auto start = std::chrono::steady_clock::now();
        const double cpu_start = part_run::process_cpu_ms();
        if (f == 0) glBeginQuery(GL_SAMPLES_PASSED, query);
        glBegin(GL_QUADS);
        for (int k = 0; k < layers; ++k) {
            // Each layer a little nearer, its texture a little shifted.
            const float z = -50.0f + 0.1f * k, s = 0.01f * k;
            glColor3f(0.6f, 1.0f, 0.8f);
            glTexCoord2f(s, s);
            glVertex3f(-1, -1, z);
            glTexCoord2f(s + 4, s);
            glVertex3f(1, -1, z);
            glTexCoord2f(s + 4, s + 3);
            glVertex3f(1, 1, z);
            glTexCoord2f(s, s + 3);
            glVertex3f(-1, 1, z);
        }
        glEnd();
        if (f == 0) glEndQuery(GL_SAMPLES_PASSED);
        glFinish();
        // The first frames warm the renderer's shader cache up.
        if (f >= 3) {
            times.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            cpu_ms += part_run::process_cpu_ms() - cpu_start;
        }
    }
    glGetQueryObjectuiv(query, GL_QUERY_RESULT, &counted);
    glDeleteQueries(1, &query);
    glDeleteTextures(1, &texture);

    glMatrixMode(GL_TEXTURE);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(old_texture));

    Rate rate;
    rate.frame_ms = part_run::percentile(times, 0.5);
    // A rejected fragment passes no sample, so its count is the covered area.
    const double drawn = static_cast<double>(width) * height * layers;
    rate.fragments_per_frame = kind == Kind::rejected || counted == 0 ? drawn : counted;
    rate.ns_per_fragment = rate.frame_ms * 1e6 / rate.fragments_per_frame;
    rate.cpu_ns_per_fragment = cpu_ms / frames * 1e6 / rate.fragments_per_frame;
    return rate;
}

} // namespace fill_rate

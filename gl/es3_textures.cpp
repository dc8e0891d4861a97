// Textures under the show's own fixed ids, each backed by a name the driver
// made (WebGL 2 binds nothing else): parameters and sizes kept for the
// queries and the shaders, GL_CLAMP given to the driver as clamp-to-edge
// (the shader adds the border), and glGetTexImage read through a
// framebuffer of the renderer's own.
#include <cstdio>
#include <vector>

#include "gl/es3_context.h"
#include "gl/es3_framebuffers.h"
#include "gl/es3_renderer.h"

namespace es3 {

namespace {
bool check_target(GLenum target, const char* function) {
    if (target == GL_TEXTURE_2D) return true;
    char message[64];
    std::snprintf(message, sizeof message, "%s: only GL_TEXTURE_2D", function);
    set_error(GL_INVALID_ENUM, message);
    return false;
}

Texture& texture_record(GLuint id) {
    Texture& t = ctx.textures[id];
    if (!t.name) driver.GenTextures(1, &t.name);
    return t;
}

bool valid_parameter(GLenum pname, GLint param) {
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER:
        return param == GL_NEAREST || param == GL_LINEAR ||
               (param >= GL_NEAREST_MIPMAP_NEAREST && param <= GL_LINEAR_MIPMAP_LINEAR);
    case GL_TEXTURE_MAG_FILTER:
        return param == GL_NEAREST || param == GL_LINEAR;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        return param == GL_CLAMP || param == GL_REPEAT || param == GL_CLAMP_TO_EDGE || param == GL_MIRRORED_REPEAT;
    default:
        return false;
    }
}
} // namespace

Texture& bound_texture() { return texture_record(ctx.s.texture_binding); }

Texture* find_texture(GLuint id) {
    auto found = ctx.textures.find(id);
    return found == ctx.textures.end() ? nullptr : &found->second;
}

// Level 0 alone makes a texture complete only without mipmap filtering.
bool texture_complete(const Texture& t) {
    return t.width > 0 && t.height > 0 && (t.min_filter == GL_NEAREST || t.min_filter == GL_LINEAR);
}

void GLAPIENTRY GenTextures(GLsizei n, GLuint* textures) {
    if (!outside_begin("glGenTextures")) return;
    if (n < 0) {
        set_error(GL_INVALID_VALUE, "glGenTextures: negative count");
        return;
    }
    for (GLsizei k = 0; k < n; ++k) {
        while (ctx.next_generated_texture == 0 || ctx.textures.count(ctx.next_generated_texture))
            ++ctx.next_generated_texture;
        // Reserved, not yet a texture: the name is made on first bind.
        ctx.textures[ctx.next_generated_texture] = Texture();
        textures[k] = ctx.next_generated_texture++;
    }
}

void GLAPIENTRY DeleteTextures(GLsizei n, const GLuint* textures) {
    if (!outside_begin("glDeleteTextures")) return;
    if (n < 0) {
        set_error(GL_INVALID_VALUE, "glDeleteTextures: negative count");
        return;
    }
    for (GLsizei k = 0; k < n; ++k) {
        Texture* t = textures[k] ? find_texture(textures[k]) : nullptr;
        if (!t) continue;
        if (t->name) driver.DeleteTextures(1, &t->name);
        ctx.textures.erase(textures[k]);
        // A deleted texture that was bound leaves the default one bound.
        if (ctx.s.texture_binding == textures[k]) {
            ctx.s.texture_binding = 0;
            driver.BindTexture(GL_TEXTURE_2D, bound_texture().name);
        }
    }
}

GLboolean GLAPIENTRY IsTexture(GLuint texture) {
    if (!outside_begin("glIsTexture")) return GL_FALSE;
    const Texture* t = texture ? find_texture(texture) : nullptr;
    return t && t->name ? GL_TRUE : GL_FALSE;
}

void GLAPIENTRY BindTexture(GLenum target, GLuint texture) {
    if (!outside_begin("glBindTexture") || !check_target(target, "glBindTexture")) return;
    ctx.s.texture_binding = texture;
    driver.BindTexture(GL_TEXTURE_2D, texture_record(texture).name);
}

void GLAPIENTRY TexParameteri(GLenum target, GLenum pname, GLint param) {
    if (!outside_begin("glTexParameteri") || !check_target(target, "glTexParameteri")) return;
    if (!valid_parameter(pname, param)) {
        set_error(GL_INVALID_ENUM, "glTexParameteri: unknown parameter or value");
        return;
    }
    Texture& t = bound_texture();
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER: t.min_filter = param; break;
    case GL_TEXTURE_MAG_FILTER: t.mag_filter = param; break;
    case GL_TEXTURE_WRAP_S: t.wrap_s = param; break;
    default: t.wrap_t = param; break;
    }
    driver.TexParameteri(GL_TEXTURE_2D, pname, param == GL_CLAMP ? GL_CLAMP_TO_EDGE : param);
}

void GLAPIENTRY TexImage2D(GLenum target, GLint level, GLint internalformat, GLsizei width, GLsizei height,
                           GLint border, GLenum format, GLenum type, const void* pixels) {
    if (!outside_begin("glTexImage2D") || !check_target(target, "glTexImage2D")) return;
    if (level < 0 || width < 0 || height < 0 || border != 0) {
        set_error(GL_INVALID_VALUE, "glTexImage2D: negative level or size, or a border");
        return;
    }
    // Bytes as they are: the internal format has the data's components.
    const bool rgb = format == GL_RGB && (internalformat == 3 || internalformat == GL_RGB || internalformat == GL_RGB8);
    const bool rgba =
        format == GL_RGBA && (internalformat == 4 || internalformat == GL_RGBA || internalformat == GL_RGBA8);
    if (type != GL_UNSIGNED_BYTE || !(rgb || rgba)) {
        set_error(GL_INVALID_ENUM, "glTexImage2D: only RGB and RGBA bytes, stored as given, are drawn here");
        return;
    }
    Texture& t = bound_texture();
    // Sized, so that the driver stores RGB with a padding byte as a desktop
    // driver does, rather than in three-byte texels, which sample slowly.
    driver.TexImage2D(GL_TEXTURE_2D, level, rgb ? GL_RGB8 : GL_RGBA8, width, height, 0, format, type, pixels);
    if (level == 0) {
        t.width = width;
        t.height = height;
        t.internal_format = internalformat;
    }
}

void GLAPIENTRY GetTexParameteriv(GLenum target, GLenum pname, GLint* params) {
    if (!outside_begin("glGetTexParameteriv") || !check_target(target, "glGetTexParameteriv")) return;
    const Texture& t = bound_texture();
    switch (pname) {
    case GL_TEXTURE_MIN_FILTER: *params = t.min_filter; break;
    case GL_TEXTURE_MAG_FILTER: *params = t.mag_filter; break;
    case GL_TEXTURE_WRAP_S: *params = t.wrap_s; break;
    case GL_TEXTURE_WRAP_T: *params = t.wrap_t; break;
    default: set_error(GL_INVALID_ENUM, "glGetTexParameteriv: unknown parameter"); break;
    }
}

void GLAPIENTRY GetTexLevelParameteriv(GLenum target, GLint level, GLenum pname, GLint* params) {
    if (!outside_begin("glGetTexLevelParameteriv") || !check_target(target, "glGetTexLevelParameteriv")) return;
    const Texture& t = bound_texture();
    const bool base = level == 0;
    switch (pname) {
    case GL_TEXTURE_WIDTH: *params = base ? t.width : 0; break;
    case GL_TEXTURE_HEIGHT: *params = base ? t.height : 0; break;
    case GL_TEXTURE_INTERNAL_FORMAT: *params = base ? t.internal_format : 1; break;
    default: set_error(GL_INVALID_ENUM, "glGetTexLevelParameteriv: unknown parameter"); break;
    }
}

void GLAPIENTRY GetTexImage(GLenum target, GLint level, GLenum format, GLenum type, void* pixels) {
    if (!outside_begin("glGetTexImage") || !check_target(target, "glGetTexImage")) return;
    if (type != GL_UNSIGNED_BYTE || (format != GL_RGB && format != GL_RGBA) || level != 0) {
        set_error(GL_INVALID_ENUM, "glGetTexImage: only level 0 as RGB or RGBA bytes");
        return;
    }
    const Texture& t = bound_texture();
    if (t.width == 0 || t.height == 0) return;
    GLint previous = 0;
    driver.GetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &previous);
    if (!ctx.texture_reader) driver.GenFramebuffers(1, &ctx.texture_reader);
    driver.BindFramebuffer(GL_READ_FRAMEBUFFER, ctx.texture_reader);
    driver.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, t.name, 0);
    read_pixels_as(0, 0, t.width, t.height, format, pixels);
    // Detached, so that no later draw into the texture reads from itself.
    driver.FramebufferTexture2D(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, 0, 0);
    driver.BindFramebuffer(GL_READ_FRAMEBUFFER, GLuint(previous));
}

} // namespace es3

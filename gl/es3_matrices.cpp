// The modelview, projection and texture matrix stacks and the matrix calls,
// in single precision as GL keeps them: each call multiplies its matrix onto
// the top of the stack glMatrixMode selects.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "gl/es3_context.h"
#include "gl/es3_renderer.h"

namespace es3 {

Matrix identity_matrix() {
    Matrix i{};
    i.m[0] = i.m[5] = i.m[10] = i.m[15] = 1.0f;
    return i;
}

Matrix multiply(const Matrix& a, const Matrix& b) {
    Matrix p;
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k) sum += a.m[k * 4 + row] * b.m[column * 4 + k];
            p.m[column * 4 + row] = sum;
        }
    return p;
}

bool is_identity(const Matrix& a) {
    static const Matrix i = identity_matrix();
    return std::memcmp(a.m, i.m, sizeof i.m) == 0;
}

std::vector<Matrix>& current_stack() {
    switch (ctx.s.matrix_mode) {
    case GL_PROJECTION: return ctx.stacks[1];
    case GL_TEXTURE: return ctx.stacks[2];
    default: return ctx.stacks[0];
    }
}

Matrix& current_matrix() { return current_stack().back(); }

void matrix_changed() {
    switch (ctx.s.matrix_mode) {
    case GL_PROJECTION: ++ctx.serials.projection; break;
    case GL_TEXTURE: ++ctx.serials.texture_matrix; break;
    default: ++ctx.serials.modelview; break;
    }
}

namespace {
void multiply_current(const Matrix& by) {
    Matrix& top = current_matrix();
    top = multiply(top, by);
    matrix_changed();
}

// glFrustum and glOrtho refuse an empty or inverted volume.
bool volume_valid(const char* function, double l, double r, double b, double t, double n, double f, bool frustum) {
    if (!outside_begin(function)) return false;
    if (l == r || b == t || n == f || (frustum && (n <= 0 || f <= 0))) {
        char message[96];
        std::snprintf(message, sizeof message, "%s: empty or invalid volume", function);
        set_error(GL_INVALID_VALUE, message);
        return false;
    }
    return true;
}
} // namespace

void GLAPIENTRY MatrixMode(GLenum mode) {
    if (!outside_begin("glMatrixMode")) return;
    if (mode != GL_MODELVIEW && mode != GL_PROJECTION && mode != GL_TEXTURE) {
        set_error(GL_INVALID_ENUM, "glMatrixMode: unknown mode");
        return;
    }
    ctx.s.matrix_mode = mode;
}

void GLAPIENTRY LoadIdentity() {
    if (!outside_begin("glLoadIdentity")) return;
    current_matrix() = identity_matrix();
    matrix_changed();
}

void GLAPIENTRY LoadMatrixf(const GLfloat* m) {
    if (!outside_begin("glLoadMatrixf")) return;
    std::memcpy(current_matrix().m, m, sizeof(Matrix::m));
    matrix_changed();
}

void GLAPIENTRY PushMatrix() {
    if (!outside_begin("glPushMatrix")) return;
    std::vector<Matrix>& stack = current_stack();
    if (stack.size() >= max_stack_depth) {
        set_error(GL_STACK_OVERFLOW, "glPushMatrix: matrix stack full");
        return;
    }
    stack.push_back(stack.back());
}

void GLAPIENTRY PopMatrix() {
    if (!outside_begin("glPopMatrix")) return;
    std::vector<Matrix>& stack = current_stack();
    if (stack.size() <= 1) {
        set_error(GL_STACK_UNDERFLOW, "glPopMatrix: matrix stack empty");
        return;
    }
    stack.pop_back();
    matrix_changed();
}

void GLAPIENTRY Translatef(GLfloat x, GLfloat y, GLfloat z) {
    if (!outside_begin("glTranslatef")) return;
    float* m = current_matrix().m;
    for (int row = 0; row < 4; ++row) m[12 + row] = m[row] * x + m[4 + row] * y + m[8 + row] * z + m[12 + row];
    matrix_changed();
}

void GLAPIENTRY Scalef(GLfloat x, GLfloat y, GLfloat z) {
    if (!outside_begin("glScalef")) return;
    float* m = current_matrix().m;
    for (int row = 0; row < 4; ++row) {
        m[row] *= x;
        m[4 + row] *= y;
        m[8 + row] *= z;
    }
    matrix_changed();
}

void GLAPIENTRY Rotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z) {
    if (!outside_begin("glRotatef")) return;
    const float s = static_cast<float>(std::sin(angle * 3.14159265358979323846 / 180.0));
    const float c = static_cast<float>(std::cos(angle * 3.14159265358979323846 / 180.0));
    const float length = std::sqrt(x * x + y * y + z * z);
    // No axis: nothing to turn about.
    if (length <= 1.0e-4f) return;
    x /= length;
    y /= length;
    z /= length;
    const float one_c = 1.0f - c;
    Matrix r = identity_matrix();
    r.m[0] = x * x * one_c + c;
    r.m[1] = y * x * one_c + z * s;
    r.m[2] = x * z * one_c - y * s;
    r.m[4] = x * y * one_c - z * s;
    r.m[5] = y * y * one_c + c;
    r.m[6] = y * z * one_c + x * s;
    r.m[8] = x * z * one_c + y * s;
    r.m[9] = y * z * one_c - x * s;
    r.m[10] = z * z * one_c + c;
    multiply_current(r);
}

void GLAPIENTRY Frustum(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (!volume_valid("glFrustum", l, r, b, t, n, f, true)) return;
    const float left = float(l), right = float(r), bottom = float(b), top = float(t), near = float(n), far = float(f);
    Matrix p{};
    p.m[0] = 2.0f * near / (right - left);
    p.m[5] = 2.0f * near / (top - bottom);
    p.m[8] = (right + left) / (right - left);
    p.m[9] = (top + bottom) / (top - bottom);
    p.m[10] = -(far + near) / (far - near);
    p.m[11] = -1.0f;
    p.m[14] = -(2.0f * far * near) / (far - near);
    multiply_current(p);
}

void GLAPIENTRY Ortho(GLdouble l, GLdouble r, GLdouble b, GLdouble t, GLdouble n, GLdouble f) {
    if (!volume_valid("glOrtho", l, r, b, t, n, f, false)) return;
    const float left = float(l), right = float(r), bottom = float(b), top = float(t), near = float(n), far = float(f);
    Matrix o = identity_matrix();
    o.m[0] = 2.0f / (right - left);
    o.m[5] = 2.0f / (top - bottom);
    o.m[10] = -2.0f / (far - near);
    o.m[12] = -(right + left) / (right - left);
    o.m[13] = -(top + bottom) / (top - bottom);
    o.m[14] = -(far + near) / (far - near);
    multiply_current(o);
}

} // namespace es3

// The room set and the ring segment, built from boxes, panels and cylinders
// to the exact face count of every group, and written in the MeshTable format.
// Faces are wound clockwise as seen from the side meant to be seen, because
// the show culls front faces.
#include "databuild.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace databuild {

namespace {

constexpr double pi = 3.1415926536;

struct V3 {
    double x, y, z;
};
V3 operator+(V3 a, V3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
V3 operator-(V3 a, V3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
V3 operator*(V3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }
double dot(V3 a, V3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
V3 cross(V3 a, V3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double len(V3 a) { return std::sqrt(dot(a, a)); }

struct Corner {
    V3 p;
    double s, t;    // texture coordinates, in repeats
    double os, ot;  // overlay coordinates, 0..1
};
struct Tri {
    Corner c[3];
};

struct Group {
    int faces;
    uint8_t rgba[4];
    const char* texture;
    int overlay;
    const char* overlay_name;
    std::vector<Tri> tris;
};

// Emits a triangle so that its counter-clockwise normal points away from
// `seen_from` (the direction towards the viewer).
void tri(Group& g, Corner a, Corner b, Corner c, V3 seen_from) {
    V3 n = cross(b.p - a.p, c.p - a.p);
    if (dot(n, seen_from) > 0) std::swap(b, c);
    g.tris.push_back({{a, b, c}});
}

double tex_scale = 1.0;

Corner corner(V3 p, V3 su, V3 sv, double os, double ot) {
    return {p, dot(p, su) / tex_scale, dot(p, sv) / tex_scale, os, ot};
}

// A panel o + u*i/nu + v*j/nv subdivided into nu x nv quads, seen from `seen`.
void grid(Group& g, V3 o, V3 u, V3 v, int nu, int nv, V3 seen) {
    V3 su = u * (1 / len(u)), sv = v * (1 / len(v));
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            auto P = [&](int a, int b) {
                return corner(o + u * ((double)a / nu) + v * ((double)b / nv), su, sv, (double)a / nu, (double)b / nv);
            };
            Corner p00 = P(i, j), p10 = P(i + 1, j), p11 = P(i + 1, j + 1), p01 = P(i, j + 1);
            tri(g, p00, p10, p11, seen);
            tri(g, p00, p11, p01, seen);
        }
}

// A box seen from outside, without its bottom; a, b, c subdivide x, y, z.
void box(Group& g, V3 lo, V3 hi, int a, int b, int c) {
    V3 d = hi - lo;
    V3 X{d.x, 0, 0}, Y{0, d.y, 0}, Z{0, 0, d.z};
    grid(g, {lo.x, hi.y, lo.z}, X, Z, a, c, {0, 1, 0});
    grid(g, lo, Z, Y, c, b, {-1, 0, 0});
    grid(g, {hi.x, lo.y, lo.z}, Z, Y, c, b, {1, 0, 0});
    grid(g, lo, X, Y, a, b, {0, 0, -1});
    grid(g, {lo.x, lo.y, hi.z}, X, Y, a, b, {0, 0, 1});
}

// A cylinder about `axis` through `base`, radius r, length l; seen from
// outside unless `inside`. Angles a0..a1 allow partial shells.
void cylinder(Group& g, V3 base, V3 axis, V3 u, V3 v, double r, double l, int segs, int stacks,
              bool inside, double a0 = 0, double a1 = 2 * pi) {
    for (int j = 0; j < stacks; ++j)
        for (int i = 0; i < segs; ++i) {
            auto P = [&](int a, int b) {
                double ang = a0 + (a1 - a0) * a / segs;
                V3 radial = u * std::cos(ang) + v * std::sin(ang);
                V3 p = base + axis * (l * b / stacks) + radial * r;
                return Corner{p, (double)a / segs * std::max(1.0, std::round(r * (a1 - a0) / 2)), l * b / stacks / tex_scale,
                              (double)a / segs, (double)b / stacks};
            };
            double mid = a0 + (a1 - a0) * (i + 0.5) / segs;
            V3 radial = u * std::cos(mid) + v * std::sin(mid);
            V3 seen = inside ? radial * -1 : radial;
            Corner p00 = P(i, j), p10 = P(i + 1, j), p11 = P(i + 1, j + 1), p01 = P(i, j + 1);
            tri(g, p00, p10, p11, seen);
            tri(g, p00, p11, p01, seen);
        }
}

int quads_left(const Group& g) {
    int left = g.faces - (int)g.tris.size();
    if (left < 0 || left % 2) throw std::logic_error("databuilder: mesh group overfilled");
    return left / 2;
}

// Maps every position affinely so that the table's extent is exactly lo..hi
// (in hundredths), then quantises. Equal inputs map to equal outputs, so
// shared positions stay shared.
void fit_extent(std::vector<Group>& groups, const int lo[3], const int hi[3]) {
    double mn[3] = {1e30, 1e30, 1e30}, mx[3] = {-1e30, -1e30, -1e30};
    for (auto& g : groups)
        for (auto& t : g.tris)
            for (auto& c : t.c) {
                double v[3] = {c.p.x, c.p.y, c.p.z};
                for (int k = 0; k < 3; ++k) { mn[k] = std::min(mn[k], v[k]); mx[k] = std::max(mx[k], v[k]); }
            }
    for (auto& g : groups)
        for (auto& t : g.tris)
            for (auto& c : t.c) {
                double* v[3] = {&c.p.x, &c.p.y, &c.p.z};
                for (int k = 0; k < 3; ++k)
                    *v[k] = (lo[k] + (*v[k] - mn[k]) * (hi[k] - lo[k]) / (mx[k] - mn[k])) / 100.0;
            }
}

void put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back((uint8_t)(v >> (8 * i)));
}
void put16(std::vector<uint8_t>& b, int v) {
    if (v < -32768 || v > 32767) throw std::logic_error("databuilder: mesh value out of int16 range");
    b.push_back((uint8_t)(v & 255));
    b.push_back((uint8_t)((v >> 8) & 255));
}
void put_name(std::vector<uint8_t>& b, const char* name) {
    uint8_t rec[100] = {0};
    std::strncpy((char*)rec, name, 99);
    b.insert(b.end(), rec, rec + 100);
}
int hundredths(double v) { return (int)std::lround(v * 100); }

std::vector<uint8_t> write_table(std::vector<Group>& groups, int mode, bool tex_fit,
                                 double tex_lo, double tex_hi) {
    int faces = 0;
    for (auto& g : groups) {
        if ((int)g.tris.size() != g.faces)
            throw std::logic_error(std::string("databuilder: mesh group ") + g.texture + ": wrong face count");
        faces += g.faces;
    }
    // Room texture coordinates are mapped onto their fixed range with one
    // common affine map, which keeps every panel's aspect.
    double tmin = 1e30, tmax = -1e30;
    for (auto& g : groups)
        for (auto& t : g.tris)
            for (auto& c : t.c) { tmin = std::min({tmin, c.s, c.t}); tmax = std::max({tmax, c.s, c.t}); }
    auto tex = [&](double v) {
        if (!tex_fit) return hundredths(v);
        return (int)std::lround(tex_lo + (v - tmin) * (tex_hi - tex_lo) / (tmax - tmin));
    };
    std::vector<uint8_t> b;
    put32(b, (uint32_t)groups.size());
    put32(b, (uint32_t)faces * 3);
    put32(b, (uint32_t)faces);
    for (auto& g : groups)
        for (auto& t : g.tris)
            for (auto& c : t.c) { put16(b, hundredths(c.p.x)); put16(b, hundredths(c.p.y)); put16(b, hundredths(c.p.z)); }
    int vertex = 0;
    for (auto& g : groups) {
        put32(b, (uint32_t)g.faces);
        b.insert(b.end(), g.rgba, g.rgba + 4);
        for (int f = 0; f < g.faces * 3; ++f) put16(b, 3 * vertex++);
    }
    b.push_back((uint8_t)mode);
    for (auto& g : groups)
        for (auto& t : g.tris)
            for (auto& c : t.c) { put16(b, tex(c.s)); put16(b, tex(c.t)); }
    b.insert(b.end(), 12, 0);
    for (auto& g : groups) put_name(b, g.texture);
    if (mode == 2) {
        int count = 0;
        for (auto& g : groups) count = std::max(count, g.overlay + 1);
        put32(b, (uint32_t)count);
        for (auto& g : groups) put32(b, (uint32_t)g.overlay);
        for (auto& g : groups)
            for (auto& t : g.tris)
                for (auto& c : t.c) {
                    float o[2] = {(float)c.os, (float)c.ot};
                    for (float f : o) {
                        uint32_t u;
                        std::memcpy(&u, &f, 4);
                        put32(b, u);
                    }
                }
        for (auto& g : groups)
            if (g.overlay >= 0) put_name(b, g.overlay_name);
    }
    return b;
}

}  // namespace

std::vector<uint8_t> make_room_table() {
    std::vector<Group> G = {
        {64, {200, 200, 200, 255}, "metalor.bmp", 0, "SB_main02.bmp", {}},
        {70, {200, 200, 200, 255}, "metalor.bmp", -1, "", {}},
        {128, {132, 194, 16, 255}, "wall_1.bmp", 1, "SB_antenna01.bmp", {}},
        {176, {199, 58, 12, 255}, "black.bmp", -1, "", {}},
        {16, {91, 48, 15, 255}, "door4.bmp", 2, "SB_cigle.bmp", {}},
        {112, {155, 85, 43, 255}, "u_floor03.bmp", 3, "SB_ground01.bmp", {}},
        {16, {56, 31, 16, 255}, "metalor.bmp", 4, "SB_ground02.bmp", {}},
        {6, {234, 239, 5, 255}, "plafond.jpg", -1, "", {}},
        {226, {107, 99, 90, 255}, "tips01.bmp", 5, "SB_main.bmp", {}},
        {344, {49, 57, 49, 255}, "metalor.bmp", 6, "SB_metal01.bmp", {}},
        {320, {54, 30, 77, 255}, "metalgr.bmp", 7, "SB_metal02.bmp", {}},
        {64, {87, 99, 7, 255}, "metalc2.bmp", 8, "SB_system.bmp", {}},
        {16, {19, 53, 87, 255}, "inside.bmp", 9, "SB_system02.bmp", {}},
        {16, {12, 61, 61, 255}, "u_floor04.bmp", 10, "SB_wall.bmp", {}},
    };
    tex_scale = 1.15;
    const double X0 = -20.21, X1 = 20.18, Y0 = -12.08, Y1 = 33.74, Z0 = -18.16, Z1 = 18.13;
    const double W = X1 - X0, H = Y1 - Y0, D = Z1 - Z0;
    const V3 ex{1, 0, 0}, ey{0, 1, 0}, ez{0, 0, 1};
    // Walls, seen from inside the room.
    grid(G[2], {X0, Y0, Z0}, ex * W, ey * H, 4, 4, {0, 0, 1});
    grid(G[2], {X0, Y0, Z1}, ex * W, ey * H, 4, 4, {0, 0, -1});
    grid(G[2], {X0, Y0, Z0}, ez * D, ey * H, 4, 4, {1, 0, 0});
    grid(G[2], {X1, Y0, Z0}, ez * D, ey * H, 4, 4, {-1, 0, 0});
    grid(G[5], {X0, Y0, Z0}, ex * W, ez * D, 8, 7, {0, 1, 0});
    grid(G[7], {X0, Y1, Z0}, ex * W, ez * D, 3, 1, {0, -1, 0});
    // Door in the front wall, a tread plate before it, a grate in the middle of the floor.
    grid(G[4], {-3, Y0, Z1 - 0.05}, ex * 6, ey * 9, 4, 2, {0, 0, -1});
    grid(G[6], {-4, Y0 + 0.04, Z1 - 6}, ex * 8, ez * 6, 4, 2, {0, 1, 0});
    grid(G[13], {-2.5, Y0 + 0.04, -2.5}, ex * 5, ez * 5, 4, 2, {0, 1, 0});
    // A screen on the left wall.
    grid(G[12], {X0 + 0.06, 0, -6}, ez * 12, ey * 8, 4, 2, {1, 0, 0});
    // Corner pillars.
    const double cxs[2] = {X0, X1 - 2}, czs[2] = {Z0, Z1 - 2};
    for (double cx : cxs)
        for (double cz : czs) {
            V3 lo{cx, Y0, cz};
            grid(G[0], lo, ez * 2, ey * H, 1, 2, {-1, 0, 0});
            grid(G[0], lo + ex * 2, ez * 2, ey * H, 1, 2, {1, 0, 0});
            grid(G[0], lo, ex * 2, ey * H, 1, 2, {0, 0, -1});
            grid(G[0], lo + ez * 2, ex * 2, ey * H, 1, 2, {0, 0, 1});
        }
    // Ceiling beams across the room.
    for (int k = 0; k < 7; ++k) {
        double zc = Z0 + D * (k + 0.5) / 7;
        V3 lo{X0, Y1 - 1.5, zc - 0.6};
        grid(G[1], lo, ex * W, ey * 1.5, 1, 1, {0, 0, -1});
        grid(G[1], lo + ez * 1.2, ex * W, ey * 1.5, 1, 1, {0, 0, 1});
        grid(G[1], lo, ex * W, ez * 1.2, 3, 1, {0, -1, 0});
    }
    // Two dark machines against the right wall, with a cable tray above them.
    box(G[3], {X1 - 5, Y0, -14}, {X1, Y0 + 10, -4}, 2, 2, 3);
    box(G[3], {X1 - 5, Y0, 4}, {X1, Y0 + 10, 14}, 2, 2, 3);
    grid(G[3], {X1 - 0.08, Y0 + 14, Z0 + 2}, ez * (D - 4), ey * 1.5, quads_left(G[3]), 1, {-1, 0, 0});
    // Tech panels on the back and left walls, and a strip of them along the front.
    grid(G[8], {-14, -6, Z0 + 0.08}, ex * 28, ey * 16, 8, 6, {0, 0, 1});
    grid(G[8], {X0 + 0.08, -8, Z0 + 2}, ez * 8, ey * 20, 3, 6, {1, 0, 0});
    grid(G[8], {X0 + 0.08, -8, Z1 - 10}, ez * 8, ey * 20, 3, 6, {1, 0, 0});
    grid(G[8], {X0 + 2, 12, Z1 - 0.08}, ex * (W - 4), ey * 3, quads_left(G[8]), 1, {0, 0, -1});
    // Pipes up the back wall and one along it.
    for (int k = 0; k < 4; ++k) {
        double x = -16 + k * 10.67;
        cylinder(G[9], {x, Y0, Z0 + 1.4}, ey, ex, ez, 0.6, H, 8, 5, false);
    }
    cylinder(G[9], {X0, 18, Z0 + 1.0}, ex, ey, ez, 0.45, W, quads_left(G[9]), 1, false);
    // Generators by the door and a reactor hanging from the ceiling.
    box(G[10], {-16, Y0, Z1 - 7}, {-8, Y0 + 14, Z1 - 1}, 2, 4, 2);
    box(G[10], {8, Y0, Z1 - 7}, {16, Y0 + 14, Z1 - 1}, 2, 4, 2);
    cylinder(G[10], {0, 23, 0}, ey, ex, ez, 4, Y1 - 1.5 - 23, 16, 4, false);
    grid(G[10], {-4, 23, -4}, ex * 8, ez * 8, quads_left(G[10]) / 4, 4, {0, -1, 0});
    cylinder(G[11], {0, Y0, 0}, ey, ex, ez, 3, 3, 16, 2, false);
    for (auto& g : G)
        if ((int)g.tris.size() != g.faces) quads_left(g);  // reports an overfilled group
    const int lo[3] = {-2021, -1208, -1816}, hi[3] = {2018, 3374, 1813};
    fit_extent(G, lo, hi);
    return write_table(G, 2, true, -1704, 2546);
}

std::vector<uint8_t> make_ring_table() {
    std::vector<Group> G = {
        {40, {58, 139, 117, 255}, "outside.bmp", -1, "", {}},
        {128, {27, 46, 75, 255}, "black.bmp", -1, "", {}},
        {32, {49, 86, 142, 255}, "inside.bmp", -1, "", {}},
        {32, {84, 92, 107, 255}, "metalor.bmp", -1, "", {}},
        {32, {55, 57, 142, 255}, "metalc2.bmp", -1, "", {}},
        {32, {101, 61, 1, 255}, "tips02.bmp", -1, "", {}},
        {32, {176, 56, 21, 255}, "tips01.bmp", -1, "", {}},
        {144, {104, 126, 71, 255}, "outside.bmp", -1, "", {}},
    };
    tex_scale = 1.0;
    const double RX = 5.53, RY = 4.33, Z0 = -1.74, Z1 = 1.32;
    const int N = 16;
    auto P = [&](double scale, int k, double z) {
        double a = 2 * pi * k / N;
        return V3{RX * scale * std::cos(a), RY * scale * std::sin(a), z};
    };
    // A band between two rings (scale, z), seen from `toward_axis` or from outside.
    auto band = [&](Group& g, double s0, double z0, double s1, double z1, int stacks, V3 seen_axis, bool radial_in) {
        for (int j = 0; j < stacks; ++j)
            for (int k = 0; k < N; ++k) {
                auto C = [&](int kk, int jj) {
                    double u = (double)jj / stacks;
                    V3 p = P(s0 + (s1 - s0) * u, kk, z0 + (z1 - z0) * u);
                    return Corner{p, 4.0 * kk / N, (z0 + (z1 - z0) * u) + (s0 + (s1 - s0) * u) * 2, 0, 0};
                };
                double am = 2 * pi * (k + 0.5) / N;
                V3 radial{std::cos(am), std::sin(am), 0};
                V3 seen = seen_axis.z != 0 ? seen_axis : (radial_in ? radial * -1 : radial);
                Corner a = C(k, j), b = C(k + 1, j), c = C(k + 1, j + 1), d = C(k, j + 1);
                tri(g, a, b, c, seen);
                tri(g, a, c, d, seen);
            }
    };
    const double SI = 0.78, SR = 0.70;
    // The black lining in front of and behind the rib.
    band(G[1], SI, Z0, SI, -0.4, 2, {0, 0, 0}, true);
    band(G[1], SI, 0.4, SI, Z1, 2, {0, 0, 0}, true);
    band(G[2], SI, Z1, 1.0, Z1, 1, {0, 0, 1}, false);
    band(G[3], SI, Z0, 1.0, Z0, 1, {0, 0, -1}, false);
    band(G[4], SR, -0.4, SR, 0.4, 1, {0, 0, 0}, true);
    band(G[5], SR, 0.4, SI, 0.4, 1, {0, 0, 1}, false);
    band(G[6], SR, -0.4, SI, -0.4, 1, {0, 0, -1}, false);
    band(G[7], 1.0, Z0, 1.0, Z1, 4, {0, 0, 0}, false);
    // Four lamps on the lining, at the diagonals.
    for (int q = 0; q < 4; ++q) {
        double a = pi / 4 + q * pi / 2;
        V3 c{RX * SI * std::cos(a), RY * SI * std::sin(a), -1.2};
        V3 in = V3{-std::cos(a), -std::sin(a), 0};
        V3 side = V3{-std::sin(a), std::cos(a), 0};
        V3 o = c - side * 0.3;
        V3 top = o + in * 0.25;
        grid(G[0], top, side * 0.6, V3{0, 0, 0.8}, 1, 1, in);
        grid(G[0], o, in * 0.25, V3{0, 0, 0.8}, 1, 1, side * -1);
        grid(G[0], o + side * 0.6, in * 0.25, V3{0, 0, 0.8}, 1, 1, side);
        grid(G[0], o, side * 0.6, in * 0.25, 1, 1, V3{0, 0, -1});
        grid(G[0], o + V3{0, 0, 0.8}, side * 0.6, in * 0.25, 1, 1, V3{0, 0, 1});
    }
    // A cable duct along the floor of the lining.
    cylinder(G[7], {0, -RY * SI + 0.05, Z0}, {0, 0, 1}, {1, 0, 0}, {0, 1, 0}, 0.25, Z1 - Z0, quads_left(G[7]), 1, false, 0, pi);
    const int lo[3] = {-553, -434, -174}, hi[3] = {553, 432, 132};
    fit_extent(G, lo, hi);
    return write_table(G, 1, false, 0, 0);
}

std::string tables_cpp(const std::vector<uint8_t>& room, const std::vector<uint8_t>& ring) {
    std::string out = "// Generated by vavurava-databuilder: the room set and the ring segment.\n#include \"data/tables.h\"\n\n";
    auto emit = [&](const char* name, const std::vector<uint8_t>& b) {
        out += "const unsigned char ";
        out += name;
        out += "[] = {";
        char buf[8];
        for (size_t i = 0; i < b.size(); ++i) {
            if (i % 24 == 0) out += "\n";
            std::snprintf(buf, sizeof buf, "%u,", b[i]);
            out += buf;
        }
        out += "\n};\nconst unsigned int ";
        out += name;
        out += "_size = " + std::to_string(b.size()) + ";\n\n";
    };
    emit("room_table", room);
    emit("ring_table", ring);
    return out;
}

}  // namespace databuild

// Mesh tables, overlay alpha, vertex normals (against the all-pairs
// reference), group ranges, strips and sprites.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "data/tables.h"
#include "geometry/draw.h"
#include "geometry/mesh.h"
#include "geometry/normals.h"
#include "geometry/normals_reference.h"
#include "geometry/overlay.h"
#include "geometry/sprites.h"
#include "geometry/strip.h"
#include "tests/support.h"

namespace {

// A MeshTable written in the test: groups of triangles given by vertex values.
struct TableGroup {
    std::vector<int16_t> corners; // vertex number x 3
    uint8_t colour[4];
    std::string name;
    int32_t overlay = -1;
    std::string overlay_name;
};

struct TableSpec {
    std::vector<int16_t> vertices; // x, y, z per vertex, hundredths
    std::vector<TableGroup> groups;
    uint8_t texcoord_mode = 0;
    bool names = true;
    int32_t overlay_name_count = 0;
};

void put_i32(std::vector<uint8_t>& b, int32_t v)
{
    for (int i = 0; i < 4; i++)
        b.push_back(uint8_t(uint32_t(v) >> (8 * i)));
}
void put_i16(std::vector<uint8_t>& b, int16_t v)
{
    b.push_back(uint8_t(uint16_t(v)));
    b.push_back(uint8_t(uint16_t(v) >> 8));
}
void put_name(std::vector<uint8_t>& b, const std::string& name)
{
    std::vector<uint8_t> record(100, 'x'); // filler after the NUL is arbitrary
    std::memcpy(record.data(), name.c_str(), name.size() + 1);
    b.insert(b.end(), record.begin(), record.end());
}

int32_t faces_of(const TableSpec& t)
{
    int32_t n = 0;
    for (const TableGroup& g : t.groups)
        n += int32_t(g.corners.size() / 3);
    return n;
}

// Texture coordinates are 10 * face + corner-slot; overlay ones are that / 1000.
std::vector<uint8_t> write_table(const TableSpec& t)
{
    std::vector<uint8_t> b;
    const int32_t faces = faces_of(t);
    put_i32(b, int32_t(t.groups.size()));
    put_i32(b, int32_t(t.vertices.size() / 3));
    put_i32(b, faces);
    for (int16_t v : t.vertices)
        put_i16(b, v);
    for (const TableGroup& g : t.groups) {
        put_i32(b, int32_t(g.corners.size() / 3));
        b.insert(b.end(), g.colour, g.colour + 4);
        for (int16_t c : g.corners)
            put_i16(b, c);
    }
    b.push_back(t.texcoord_mode);
    if (t.texcoord_mode != 0)
        for (int32_t i = 0; i < faces * 6; i++)
            put_i16(b, int16_t(10 * (i / 6) + i % 6));
    b.insert(b.end(), 12, 0);
    if (t.names)
        for (const TableGroup& g : t.groups)
            put_name(b, g.name);
    if (t.texcoord_mode == 2) {
        put_i32(b, t.overlay_name_count);
        for (const TableGroup& g : t.groups)
            put_i32(b, g.overlay);
        for (int32_t i = 0; i < faces * 6; i++) {
            const float v = float(10 * (i / 6) + i % 6) / 1000.0f;
            uint32_t bits;
            std::memcpy(&bits, &v, 4);
            put_i32(b, int32_t(bits));
        }
        for (const TableGroup& g : t.groups)
            if (g.overlay != -1)
                put_name(b, g.overlay_name);
    }
    return b;
}

// Two groups of one triangle each, six vertices; the first is the room's
// first triangle.
TableSpec two_triangle_table(uint8_t mode)
{
    TableSpec t;
    t.vertices = {390, -825, 143, 377, -825, 176, 320, -722, 155, 0, 0, 0, 100, 0, 0, 0, 100, 0};
    t.groups.push_back({{0, 3, 6}, {1, 2, 3, 4}, "metalor.bmp", -1, ""});
    t.groups.push_back({{9, 12, 15}, {5, 6, 7, 8}, "plafond.jpg", -1, ""});
    t.texcoord_mode = mode;
    return t;
}

Mesh* fresh_mesh()
{
    static Mesh mesh;
    std::memset(&mesh, 0, sizeof mesh);
    return &mesh;
}

} // namespace

// ---- building meshes from tables ----

TEST(BuildMesh, TexcoordMode0GivesNoTexcoordsAndNoOverlays)
{
    const std::vector<uint8_t> bytes = write_table(two_triangle_table(0));
    Mesh* m = fresh_mesh();
    m->overlay_name_count = 7;
    build_mesh(bytes.data(), m, true);
    EXPECT_EQ(m->group_count, 2);
    EXPECT_EQ(m->vertex_count, 6);
    EXPECT_EQ(m->face_count, 2);
    EXPECT_EQ(m->texcoords, nullptr);
    EXPECT_EQ(m->overlay_texcoords, nullptr);
    EXPECT_EQ(m->overlay_name_count, 0);
    for (int g = 0; g < mesh_max_groups; g++)
        EXPECT_EQ(m->overlay_index[g], -1) << g;
    EXPECT_FLOAT_EQ(m->positions[0], 3.90f);
    EXPECT_FLOAT_EQ(m->positions[1], -8.25f);
    EXPECT_FLOAT_EQ(m->positions[2], 1.43f);
    EXPECT_FLOAT_EQ(m->positions[12], 1.0f);
    EXPECT_EQ(m->indices[3], 9);
    EXPECT_STREQ(m->texture_names[0], "metalor.bmp");
    EXPECT_STREQ(m->texture_names[1], "plafond.jpg");
    EXPECT_EQ(m->colours[0][0], 1);
    EXPECT_EQ(m->colours[5][3], 8);
}

TEST(BuildMesh, TexcoordMode1GivesTexcoordsInHundredthsAndNoOverlays)
{
    const std::vector<uint8_t> bytes = write_table(two_triangle_table(1));
    Mesh* m = fresh_mesh();
    build_mesh(bytes.data(), m, true);
    ASSERT_NE(m->texcoords, nullptr);
    EXPECT_FLOAT_EQ(m->texcoords[1], 0.01f);
    EXPECT_FLOAT_EQ(m->texcoords[6 + 5], 0.15f);
    EXPECT_EQ(m->overlay_texcoords, nullptr);
    EXPECT_EQ(m->overlay_name_count, 0);
    EXPECT_EQ(m->overlay_index[0], -1);
    EXPECT_EQ(m->overlay_index[1], -1);
}

TEST(BuildMesh, TableWithoutNamesStillReadsTheGroups)
{
    TableSpec t = two_triangle_table(1);
    t.names = false;
    const std::vector<uint8_t> bytes = write_table(t);
    Mesh* m = fresh_mesh();
    build_mesh(bytes.data(), m, false);
    EXPECT_EQ(m->group_face_counts[1], 1);
    EXPECT_EQ(m->texture_names[0][0], 0);
}

TEST(BuildMesh, OverlayNamesArePlacedByNumberEvenWithGaps)
{
    TableSpec t;
    t.texcoord_mode = 2;
    for (int g = 0; g < 5; g++) {
        t.vertices.insert(t.vertices.end(), {int16_t(g), 0, 0, int16_t(g), 100, 0, int16_t(g + 100), 0, 0});
        t.groups.push_back({{int16_t(9 * g), int16_t(9 * g + 3), int16_t(9 * g + 6)}, {0, 0, 0, 255},
                            "g" + std::to_string(g), -1, ""});
    }
    t.groups[0].overlay = 2;
    t.groups[0].overlay_name = "SB_two.bmp";
    t.groups[2].overlay = 0;
    t.groups[2].overlay_name = "SB_zero.bmp";
    t.groups[4].overlay = 1;
    t.groups[4].overlay_name = "SB_wall.bmp";
    t.overlay_name_count = 3;
    const std::vector<uint8_t> bytes = write_table(t);
    Mesh* m = fresh_mesh();
    build_mesh(bytes.data(), m, true);
    EXPECT_EQ(m->overlay_name_count, 3);
    EXPECT_EQ(m->overlay_index[1], -1);
    EXPECT_EQ(m->overlay_index[3], -1);
    EXPECT_STREQ(m->overlay_names[0], "SB_zero.bmp");
    EXPECT_STREQ(m->overlay_names[1], "SB_wall.bmp");
    EXPECT_STREQ(m->overlay_names[2], "SB_two.bmp");
    ASSERT_NE(m->overlay_texcoords, nullptr);
    EXPECT_FLOAT_EQ(m->overlay_texcoords[6 * 4 + 3], 0.043f);
}

TEST(BuildMesh, VertexSharedByTwoGroupsKeepsTheLastGroupsColour)
{
    TableSpec t;
    t.vertices = {0, 0, 0, 100, 0, 0, 0, 100, 0, 100, 100, 0};
    t.groups.push_back({{0, 3, 6}, {10, 20, 30, 40}, "a.bmp", -1, ""});
    t.groups.push_back({{3, 9, 6}, {50, 60, 70, 80}, "b.bmp", -1, ""});
    const std::vector<uint8_t> bytes = write_table(t);
    Mesh* m = fresh_mesh();
    build_mesh(bytes.data(), m, true);
    EXPECT_EQ(m->colours[0][0], 10);
    EXPECT_EQ(m->colours[1][0], 50);
    EXPECT_EQ(m->colours[2][3], 80);
}

TEST(BuildMesh, ShippedTablesHaveTheirCountsGroupsAndNames)
{
    Mesh* m = fresh_mesh();
    build_mesh(room_table, m, true);
    EXPECT_EQ(m->group_count, 14);
    EXPECT_EQ(m->vertex_count, 4722);
    EXPECT_EQ(m->face_count, 1574);
    EXPECT_EQ(m->overlay_name_count, 11);
    EXPECT_STREQ(m->overlay_names[10], "SB_wall.bmp");
    EXPECT_STREQ(m->texture_names[7], "plafond.jpg");
    EXPECT_EQ(m->group_face_counts[9], 344);
    EXPECT_EQ(room_table_size, 97137u);
    build_mesh(ring_table, m, true);
    EXPECT_EQ(m->group_count, 8);
    EXPECT_EQ(m->vertex_count, 1416);
    EXPECT_EQ(m->face_count, 472);
    EXPECT_EQ(m->overlay_name_count, 0);
    EXPECT_STREQ(m->texture_names[5], "tips02.bmp");
    EXPECT_EQ(ring_table_size, 17881u);
}

TEST(InterleaveMesh, FirstCornerHoldsTexcoordsNormalThenPosition)
{
    const std::vector<uint8_t> bytes = write_table(two_triangle_table(1));
    Mesh* m = fresh_mesh();
    build_mesh(bytes.data(), m, true);
    m->normals = new float[18];
    for (int i = 0; i < 18; i++)
        m->normals[i] = 100.0f + i;
    interleave_mesh(m);
    const float* v = m->interleaved;
    EXPECT_FLOAT_EQ(v[0], 0.0f);
    EXPECT_FLOAT_EQ(v[1], 0.01f);
    EXPECT_FLOAT_EQ(v[2], 100.0f);
    EXPECT_FLOAT_EQ(v[4], 102.0f);
    EXPECT_FLOAT_EQ(v[5], 3.90f);
    EXPECT_FLOAT_EQ(v[7], 1.43f);
    // second face, corner 2: vertex 5 at (0, 1, 0)
    const float* w = m->interleaved + 24 + 16;
    EXPECT_FLOAT_EQ(w[0], 0.14f);
    EXPECT_FLOAT_EQ(w[2], 115.0f);
    EXPECT_FLOAT_EQ(w[6], 1.0f);
}

// ---- overlay alpha ----

TEST(OverlayAlpha, WhiteIsTransparentBlackOpaqueAndIntegerDivision)
{
    const uint8_t rgb[9] = {255, 255, 255, 0, 0, 0, 10, 10, 11};
    uint8_t rgba[12];
    make_overlay_pixels(rgb, rgba, 3);
    EXPECT_EQ(rgba[3], 0);
    EXPECT_EQ(rgba[7], 255);
    EXPECT_EQ(rgba[11], 245);
    EXPECT_EQ(rgba[8], 10);
    EXPECT_EQ(rgba[10], 11);
}

// ---- vertex normals ----

namespace {
// Two triangles meeting along x = 1 by position only: (0,0,0) (1,0,0) (1,1,0)
// in the z = 0 plane, and (1,0,0) (1,1,0) (1,0,2) in the x = 1 plane, twice
// the area.
const float hinge_positions[18] = {0, 0, 0, 1, 0, 0, 1, 1, 0, 1, 0, 0, 1, 1, 0, 1, 0, 2};
const int32_t hinge_indices[6] = {0, 3, 6, 9, 12, 15};
} // namespace

TEST(VertexNormals, Mode0WritesNothing)
{
    float normals[18];
    for (float& n : normals)
        n = 7.0f;
    compute_vertex_normals(hinge_indices, 2, hinge_positions, normals, 6, 0);
    for (float n : normals)
        EXPECT_EQ(n, 7.0f);
}

TEST(VertexNormals, SingleTriangleGivesEveryVertexItsPlaneNormal)
{
    const float positions[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    const int32_t indices[3] = {0, 3, 6};
    float normals[9];
    compute_vertex_normals(indices, 1, positions, normals, 3, 1);
    for (int v = 0; v < 3; v++) {
        EXPECT_EQ(normals[3 * v], 0.0f);
        EXPECT_EQ(normals[3 * v + 1], 0.0f);
        EXPECT_EQ(normals[3 * v + 2], 1.0f);
    }
}

TEST(VertexNormals, TrianglesSharingAnEdgeByPositionStayApartInMode1)
{
    float normals[18];
    compute_vertex_normals(hinge_indices, 2, hinge_positions, normals, 6, 1);
    for (int v = 0; v < 3; v++)
        EXPECT_EQ(normals[3 * v + 2], 1.0f) << v;
    for (int v = 3; v < 6; v++)
        EXPECT_EQ(normals[3 * v], 1.0f) << v;
}

TEST(VertexNormals, TrianglesSharingAnEdgeByPositionJoinInMode2WeightedByArea)
{
    float normals[18];
    compute_vertex_normals(hinge_indices, 2, hinge_positions, normals, 6, 2);
    // Face normals (0, 0, 1) and (2, 0, 0): the shared edge gets (2, 0, 1) / sqrt 5.
    const float inv = float(1.0 / std::sqrt(5.0));
    for (int v : {1, 2, 3, 4}) {
        EXPECT_NEAR(normals[3 * v], 2.0f * inv, 1e-6) << v;
        EXPECT_EQ(normals[3 * v + 1], 0.0f) << v;
        EXPECT_NEAR(normals[3 * v + 2], inv, 1e-6) << v;
    }
    EXPECT_EQ(normals[2], 1.0f);
    EXPECT_EQ(normals[15], 1.0f);
}

TEST(VertexNormals, DegenerateTriangleTakesItsNeighboursNormalInMode2)
{
    // A flat triangle plus a zero-area one whose corners all sit on its vertices.
    const float positions[18] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 1, 0, 0};
    const int32_t indices[6] = {0, 3, 6, 9, 12, 15};
    float normals[18];
    compute_vertex_normals(indices, 2, positions, normals, 6, 2);
    for (int v = 0; v < 6; v++) {
        EXPECT_EQ(normals[3 * v], 0.0f) << v;
        EXPECT_EQ(normals[3 * v + 2], 1.0f) << v;
    }
}

TEST(VertexNormals, ZeroSummedNormalStaysZeroInsteadOfNaN)
{
    // A lone degenerate triangle and a vertex no face uses.
    const float positions[12] = {0, 0, 0, 1, 1, 1, 2, 2, 2, 5, 5, 5};
    const int32_t indices[3] = {0, 3, 6};
    float normals[12];
    for (float& n : normals)
        n = 7.0f;
    compute_vertex_normals(indices, 1, positions, normals, 4, 2);
    for (float n : normals)
        EXPECT_EQ(n, 0.0f);
}

namespace {
void expect_same_bits_as_reference(const Mesh* m, int32_t mode)
{
    std::vector<float> fast(size_t(m->vertex_count) * 3, -1.0f), slow(size_t(m->vertex_count) * 3, -2.0f);
    compute_vertex_normals(m->indices, m->face_count, m->positions, fast.data(), m->vertex_count, mode);
    compute_vertex_normals_all_pairs(m->indices, m->face_count, m->positions, slow.data(), m->vertex_count,
                                     mode);
    int32_t differing = 0;
    for (size_t i = 0; i < fast.size(); i++)
        if (std::memcmp(&fast[i], &slow[i], 4) != 0)
            differing++;
    EXPECT_EQ(differing, 0) << "of " << fast.size() << " values, mode " << mode;
}
} // namespace

TEST(VertexNormals, PositionLookupMatchesAllPairsBitForBitOnRoomTable)
{
    Mesh* m = fresh_mesh();
    build_mesh(room_table, m, true);
    expect_same_bits_as_reference(m, 1);
    expect_same_bits_as_reference(m, 2);
}

TEST(VertexNormals, PositionLookupMatchesAllPairsBitForBitOnRingTable)
{
    Mesh* m = fresh_mesh();
    build_mesh(ring_table, m, true);
    expect_same_bits_as_reference(m, 2);
}

TEST(VertexNormals, PositionLookupMatchesAllPairsOnSharedIndicesAndSignedZero)
{
    // Vertices shared by index, repeated corners, -0 against +0, and a coarse
    // grid so that many faces meet at each position.
    Mesh m{};
    const int32_t faces = 300, vertices = 200;
    std::vector<float> positions(vertices * 3);
    std::vector<int32_t> indices(faces * 3);
    uint32_t x = 12345;
    auto next = [&x]() { return x = x * 1103515245u + 12345u, (x >> 16) & 0x7fff; };
    for (int v = 0; v < vertices; v++)
        for (int a = 0; a < 3; a++)
            positions[3 * v + a] = float(int(next() % 5) - 2) * ((next() & 1) ? 1.0f : -1.0f) * 0.5f;
    for (int i = 0; i < faces * 3; i++)
        indices[i] = 3 * int32_t(next() % vertices);
    indices[3] = indices[4]; // a face using one vertex twice
    m.indices = indices.data();
    m.positions = positions.data();
    m.face_count = 60; // keeps every list within 100 faces
    m.vertex_count = vertices;
    expect_same_bits_as_reference(&m, 2);
    expect_same_bits_as_reference(&m, 1);
}

// ---- drawing from the interleaved array ----

TEST(DrawMeshGroup, RingGroupRangesFollowTheFaceCounts)
{
    Mesh* m = fresh_mesh();
    build_mesh(ring_table, m, true);
    int32_t first = -1, count = -1;
    ASSERT_TRUE(mesh_group_range(m, 1, &first, &count));
    EXPECT_EQ(first, 120);
    EXPECT_EQ(count, 384);
    ASSERT_TRUE(mesh_group_range(m, 7, &first, &count));
    EXPECT_EQ(first, 3 * (472 - 144));
    EXPECT_EQ(count, 432);
    EXPECT_FALSE(mesh_group_range(m, 8, &first, &count));
}

namespace {
// Counts the polygons GL receives while draw runs, through feedback mode.
template <typename Draw>
int32_t polygons_drawn(Draw draw)
{
    static GLfloat buffer[200000];
    glFeedbackBuffer(200000, GL_2D, buffer);
    glRenderMode(GL_FEEDBACK);
    draw();
    const GLint values = glRenderMode(GL_RENDER);
    int32_t polygons = 0;
    for (GLint i = 0; i < values;) {
        const int token = int(buffer[i]);
        if (token == GL_POLYGON_TOKEN) {
            polygons++;
            i += 2 + 2 * int(buffer[i + 1]);
        } else if (token == GL_PASS_THROUGH_TOKEN) {
            i += 2;
        } else {
            i += 1 + 2 * (token == GL_POINT_TOKEN ? 1 : 2);
        }
    }
    return polygons;
}

void wide_view()
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-50, 50, -50, 50, -50, 50);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}
} // namespace

TEST(DrawMeshGroup, RingGroup1SendsItsTrianglesAndGroup8Nothing)
{
    ensure_gl_context();
    static Mesh ring;
    build_mesh(ring_table, &ring, true);
    ring.normals = new float[ring.vertex_count * 3];
    compute_vertex_normals(ring.indices, ring.face_count, ring.positions, ring.normals, ring.vertex_count, 2);
    interleave_mesh(&ring);
    wide_view();
    glInterleavedArrays(GL_T2F_N3F_V3F, 0, ring.interleaved);
    EXPECT_EQ(polygons_drawn([] { draw_mesh_group(&ring, 1); }), 128);
    EXPECT_EQ(polygons_drawn([] { draw_mesh_group(&ring, 8); }), 0);
}

TEST(DrawMesh, OverlayGroupsGetASecondBatchAndOnlyGroupDrawsOneGroup)
{
    ensure_gl_context();
    static Mesh room;
    build_mesh(room_table, &room, true);
    room.normals = new float[room.vertex_count * 3];
    compute_vertex_normals(room.indices, room.face_count, room.positions, room.normals, room.vertex_count, 2);
    wide_view();
    // Without textures: every face once, plus the overlay faces (all groups but 1, 3 and 7).
    const int32_t overlay_faces = 1574 - 70 - 176 - 6;
    EXPECT_EQ(polygons_drawn([] { draw_mesh(&room, 1, 0, 1, 0); }), 1574 + overlay_faces);
    EXPECT_EQ(polygons_drawn([] { draw_mesh(&room, 2, 1, 1, 5); }), 112 + overlay_faces);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// ---- strips ----

namespace {
void fill_bands(float value)
{
    for (int i = 0; i < 1000; i++) {
        strip_band_a[i] = {value, value, value, value, value};
        strip_band_b[i] = {value, value, value, value, value};
    }
}
} // namespace

TEST(Strip, OneSegmentGivesFiveVerticesWithTZeroOrOne)
{
    const float points[6] = {0, 0, 0, 0, 0, -4};
    fill_bands(9.0f);
    ASSERT_TRUE(build_strip_bands(1, points, 0.5f));
    const float s[5] = {1.8f, 0.8f, 0.8f, 1.8f, 1.8f};
    const float t[5] = {1, 0, 1, 0, 1};
    const float ax[5] = {-0.5f, 0.5f, 0.5f, -0.5f, -0.5f};
    const float bz[5] = {0, 0, -4, 0, -4};
    for (int i = 0; i < 5; i++) {
        EXPECT_FLOAT_EQ(strip_band_a[i].s, s[i]) << i;
        EXPECT_FLOAT_EQ(strip_band_a[i].t, t[i]) << i;
        EXPECT_FLOAT_EQ(strip_band_a[i].x, ax[i]) << i;
        EXPECT_FLOAT_EQ(strip_band_b[i].y, ax[i]) << i; // segment 0 of band B is offset along y
        EXPECT_FLOAT_EQ(strip_band_b[i].z, bz[i]) << i;
    }
    EXPECT_EQ(strip_band_a[5].s, 9.0f);
}

TEST(Strip, SegmentParallelToXFlattensBandAButNotBandB)
{
    const float points[9] = {0, 0, 0, 0, 1, 0, 3, 1, 0}; // segment 1 runs along x
    ASSERT_TRUE(build_strip_bands(2, points, 0.2f));
    for (int i = 5; i < 9; i++) {
        EXPECT_FLOAT_EQ(strip_band_a[i].y, 1.0f) << i;
        EXPECT_FLOAT_EQ(strip_band_a[i].z, 0.0f) << i;
    }
    // Band B is offset along z from segment 1 on: + edge, + edge, - edge, - edge.
    EXPECT_FLOAT_EQ(strip_band_b[5].z, 0.2f);
    EXPECT_FLOAT_EQ(strip_band_b[6].z, 0.2f);
    EXPECT_FLOAT_EQ(strip_band_b[7].z, -0.2f);
    EXPECT_FLOAT_EQ(strip_band_b[8].x, 3.0f);
}

TEST(Strip, TReachesOneAtTheLastPointHoweverUneven)
{
    float points[98 * 3];
    for (int i = 0; i < 98; i++) {
        points[3 * i] = float(i * i) * 0.01f;
        points[3 * i + 1] = float(i % 3);
        points[3 * i + 2] = 0.0f;
    }
    ASSERT_TRUE(build_strip_bands(97, points, 0.2f));
    const int last = 4 * 97;
    EXPECT_NEAR(strip_band_a[last].t, 1.0f, 1e-5);
    EXPECT_NEAR(strip_band_a[last - 2].t, 1.0f, 1e-5); // + edge at the last point
    EXPECT_NEAR(strip_band_a[last - 1].t, 96.0f / 97.0f, 1e-5);
    EXPECT_FLOAT_EQ(strip_band_a[last].x, points[3 * 97] - 0.2f);
}

TEST(Strip, SegmentCountOutside1To249IsRefusedAndWritesNothing)
{
    static float points[251 * 3] = {};
    fill_bands(5.0f);
    EXPECT_FALSE(build_strip_bands(0, points, 0.2f));
    EXPECT_FALSE(build_strip_bands(250, points, 0.2f));
    EXPECT_FALSE(build_strip_bands(-3, points, 0.2f));
    EXPECT_EQ(strip_band_a[0].s, 5.0f);
    EXPECT_EQ(strip_band_b[999].t, 5.0f);
    EXPECT_TRUE(build_strip_bands(249, points, 0.2f));
    EXPECT_FLOAT_EQ(strip_band_a[4 * 249].s, 1.8f);
}

TEST(Strip, RefusedCountDrawsNothing)
{
    ensure_gl_context();
    wide_view();
    static float points[6] = {0, 0, 0, 10, 10, 0};
    EXPECT_EQ(polygons_drawn([] { draw_strip(0, points, 0.2f); }), 0);
    // Two strips of one segment: three triangles each.
    EXPECT_EQ(polygons_drawn([] { draw_strip(1, points, 0.2f); }), 6);
}

// ---- sprites ----

namespace {
void sprite_view()
{
    glDisable(GL_CULL_FACE);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_FOG);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-40, 40, -30, 30, -100, 100); // 10 pixels a unit
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}

Sprite white_sprite(float x, float y)
{
    Sprite s{};
    s.x = x;
    s.y = y;
    s.alpha = 255.0f;
    s.aux[0].i = 123456; // scene state: must not matter
    s.r = s.g = s.b = 1.0f;
    return s;
}

bool lit(int x, int y) { return read_pixel(x, y).r > 128; }
} // namespace

TEST(Sprite, SquareIsFourByFourUnderIdentity)
{
    ensure_gl_context();
    sprite_view();
    draw_sprite(white_sprite(0, 0));
    EXPECT_TRUE(lit(400, 300));
    EXPECT_TRUE(lit(381, 281));
    EXPECT_TRUE(lit(418, 318));
    EXPECT_FALSE(lit(422, 300));
    EXPECT_FALSE(lit(400, 277));
}

TEST(Sprite, RotatedAndScaledMatrixMovesTheCentreButKeepsTheSquare)
{
    ensure_gl_context();
    sprite_view();
    glRotatef(90.0f, 0, 0, 1);
    glScalef(5, 5, 5);
    draw_sprite(white_sprite(2, 0)); // lands at eye (0, 10): pixel (400, 400)
    EXPECT_FALSE(lit(400, 300));
    EXPECT_TRUE(lit(400, 400));
    EXPECT_TRUE(lit(381, 381));
    EXPECT_TRUE(lit(418, 418));
    EXPECT_FALSE(lit(422, 400));
    EXPECT_FALSE(lit(400, 422));
    // The caller's matrix is back as it was.
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[4], -5.0f, 1e-5);
}

namespace {
// A lit, fogged, textured, additively blended run of sprites under a
// perspective view and a rotated, scaled, moved matrix, as the room draws
// its swirl; `batch` draws it with draw_sprites, else sprite by sprite.
std::vector<uint8_t> sprite_run_picture(bool batch)
{
    static GLuint texture = 0;
    if (!texture) {
        std::vector<uint8_t> rgb(16 * 16 * 3);
        for (int i = 0; i < 16 * 16; i++) {
            rgb[3 * i] = static_cast<uint8_t>(i);
            rgb[3 * i + 1] = static_cast<uint8_t>(255 - i);
            rgb[3 * i + 2] = static_cast<uint8_t>((i * 37) & 255);
        }
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 16, 16, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    }
    sprite_view();
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5, 0.5, -0.375, 0.375, 1, 500);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    // A light by the viewer, so that the sprites' diffuse term counts.
    const float at[4] = {0, 0, 10, 1};
    glLightfv(GL_LIGHT0, GL_POSITION, at);
    glTranslatef(0, 0, -35);
    glRotatef(35, 0.3f, 1, 0.2f);
    glScalef(5, 5, 5);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_LIGHTING);
    glDisable(GL_NORMALIZE); // the scale reaches the normals unchanged
    glEnable(GL_LIGHT0);
    const float colour[4] = {1, 0.5f, 0.4f, 1};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, colour);
    const float dim[4] = {0.25f, 0.12f, 0.1f, 1};
    glLightfv(GL_LIGHT0, GL_AMBIENT, dim);
    glLightf(GL_LIGHT0, GL_QUADRATIC_ATTENUATION, 0.0003f);
    glNormal3f(-0.2f, -0.3f, 0.9f);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_EXP2);
    glFogf(GL_FOG_DENSITY, 0.01f);
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE);
    std::vector<Sprite> run;
    for (int i = 0; i < 60; i++) {
        Sprite s = white_sprite(float(i % 10) - 4.5f, float(i / 10) - 3.0f);
        s.z = float(i % 7) - 3.0f;
        s.r = float(i % 3) / 2.0f;
        s.g = float(i % 5) / 4.0f;
        s.alpha = float(i * 4);
        run.push_back(s);
    }
    if (batch)
        draw_sprites(run.data(), int32_t(run.size()));
    else
        for (const Sprite& s : run)
            draw_sprite(s);
    std::vector<uint8_t> pixels(800 * 600 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 800, 600, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glDisable(GL_LIGHTING);
    glDisable(GL_LIGHT0);
    glDisable(GL_FOG);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    return pixels;
}
} // namespace

TEST(Sprite, BatchGivesThePictureOfOneDrawPerSprite)
{
    ensure_gl_context();
    const std::vector<uint8_t> one_by_one = sprite_run_picture(false);
    float before[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    const std::vector<uint8_t> batched = sprite_run_picture(true);
    float after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(after[i], before[i]) << "the caller's matrix, element " << i;
    size_t lit_bytes = 0, differing = 0;
    int largest = 0;
    for (size_t i = 0; i < one_by_one.size(); i++) {
        lit_bytes += one_by_one[i] > 8;
        const int d = std::abs(int(one_by_one[i]) - int(batched[i]));
        differing += d != 0;
        largest = std::max(largest, d);
    }
    // The run covers a good part of the screen, lit and textured.
    EXPECT_GT(lit_bytes, one_by_one.size() / 10);
    // Eye positions, normals and fog are the same; only the projection's
    // rounding may move an edge pixel here and there.
    EXPECT_LE(differing, one_by_one.size() / 10000) << "largest difference " << largest;
    EXPECT_LE(largest, 2);
}

TEST(Sprite, EmptyBatchDrawsNothing)
{
    ensure_gl_context();
    sprite_view();
    draw_sprites(nullptr, 0);
    EXPECT_FALSE(lit(400, 300));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST(Sprite, BillboardMatrixKeepsOnlyTheTranslation)
{
    ensure_gl_context();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(33, 1, 1, 0);
    glScalef(2, 3, 4);
    billboard_matrix();
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    const float expected[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; i++)
        EXPECT_NEAR(m[i], expected[i], 1e-6) << i;
    glLoadIdentity();
}

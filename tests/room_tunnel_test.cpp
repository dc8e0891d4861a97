// Parts 3 and 5 under the virtual clock: camera phases, the closing cover and
// hand-over of the room; the step clock, sprite stream and hand-over of the
// tunnel; and how many random draws each entry takes.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "geometry/draw.h"
#include "geometry/mesh.h"
#include "geometry/normals.h"
#include "geometry/sprites.h"
#include "data/tables.h"
#include "runtime/demo.h"
#include "runtime/ranrot.h"
#include "scenes/parts.h"
#include "tests/support.h"

extern int32_t camera_phase;
extern float orbit_angle;
extern float yaw_offset;
extern float pitch_angle;
extern float orbit_radius;
extern float camera_offset[3];
extern float beat_count;
extern float spin_angles[20];

namespace {

// The two meshes as start-up builds them, without their textures.
void ensure_meshes()
{
    static bool built = false;
    if (built)
        return;
    built = true;
    build_mesh(room_table, &room_mesh, true);
    room_mesh.normals = new float[room_mesh.vertex_count * 3];
    compute_vertex_normals(room_mesh.indices, room_mesh.face_count, room_mesh.positions, room_mesh.normals,
                           room_mesh.vertex_count, 2);
    build_mesh(ring_table, &ring_mesh, true);
    ring_mesh.normals = new float[ring_mesh.vertex_count * 3];
    compute_vertex_normals(ring_mesh.indices, ring_mesh.face_count, ring_mesh.positions, ring_mesh.normals,
                           ring_mesh.vertex_count, 2);
    interleave_mesh(&ring_mesh);
}

// Part 3 entered at 10000 ms of a show that started at 1000 ms.
void start_room()
{
    ensure_gl_context();
    ensure_meshes();
    ranrot_init(0);
    fill_particle_arrays();
    demo_start_time = 1000.0;
    cover_level = 0.0f;
    set_virtual_clock_ms(10000.0);
    enter_part_3();
}

void room_frame_at(double t)
{
    set_virtual_clock_ms(10000.0 + t);
    frame_time = 10000.0 + t - demo_start_time;
    draw_part_3();
}

void start_tunnel()
{
    ensure_gl_context();
    ensure_meshes();
    ranrot_init(0);
    fill_particle_arrays();
    demo_start_time = 1000.0;
    set_virtual_clock_ms(50000.0);
    enter_part_5();
}

void tunnel_frame_at(double elapsed)
{
    set_virtual_clock_ms(50000.0 + elapsed);
    frame_time = 50000.0 + elapsed - demo_start_time;
    draw_part_5();
}

// The generator's state after n further draws from the given one.
RanrotState after_draws(const RanrotState& from, int n)
{
    const RanrotState saved = ranrot_state;
    ranrot_state = from;
    for (int i = 0; i < n; i++)
        ranrot_next();
    const RanrotState result = ranrot_state;
    ranrot_state = saved;
    return result;
}

bool same_state(const RanrotState& a, const RanrotState& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

} // namespace

// ---- part 3: the room ----

TEST(RoomCamera, FirstFrameHasNoOrbitOffsetThenTheRadiusIsAbout50)
{
    start_room();
    EXPECT_EQ(current_part, 3);
    room_frame_at(0.0);
    EXPECT_EQ(camera_phase, 0);
    EXPECT_EQ(camera_offset[0], 0.0f);
    EXPECT_EQ(camera_offset[2], 0.0f);
    EXPECT_NEAR(orbit_radius, 50.0f, 1e-4);
    room_frame_at(16.0);
    EXPECT_NEAR(camera_offset[2], std::cos(16.0 * 360.0 / 12000.0 * 3.1415926536 / 180.0) * 50.0, 1e-3);
}

TEST(RoomCamera, YawOffsetEasesFrom90Towards220DuringTheOrbit)
{
    start_room();
    for (double t = 0.0; t < 8000.0; t += 16.0)
        room_frame_at(t);
    EXPECT_EQ(camera_phase, 0);
    EXPECT_GT(yaw_offset, 195.0f);
    EXPECT_LT(yaw_offset, 210.0f);
}

TEST(RoomCamera, PhaseOneStartsAtExactly8000WithItsOwnOffsets)
{
    start_room();
    room_frame_at(0.0);
    room_frame_at(7999.0);
    EXPECT_EQ(camera_phase, 0);
    room_frame_at(8000.0);
    EXPECT_EQ(camera_phase, 1);
    EXPECT_EQ(yaw_offset, 180.0f);
    EXPECT_FLOAT_EQ(orbit_angle, 240.0f);
    EXPECT_NEAR(camera_offset[0], 54.59f, 0.01);
    EXPECT_FLOAT_EQ(camera_offset[1], 40.0f);
    EXPECT_FLOAT_EQ(camera_offset[2], 2.0f);
    EXPECT_FLOAT_EQ(orbit_radius, 65.0f);
}

TEST(RoomCamera, DescentLastsMoreThan8000msThenTheRiseStartsFromRest)
{
    start_room();
    room_frame_at(0.0);
    room_frame_at(8000.0);
    room_frame_at(16000.0);
    EXPECT_EQ(camera_phase, 1);
    EXPECT_NEAR(pitch_angle, 45.0 + (-std::asin(-24.0 / 65.0) * 180.0 / 3.1415926536 + 35.0), 1e-3);
    room_frame_at(16001.0);
    EXPECT_EQ(camera_phase, 2);
    const float y = camera_offset[1];
    EXPECT_NEAR(y, 40.0 - 8001.0 * 0.008, 1e-4); // d was 0 in the hand-over frame
    room_frame_at(16101.0);
    EXPECT_NEAR(camera_offset[1], y + 100.0 * 100.0 * 0.00016, 1e-4);
}

TEST(RoomCover, NotDrawnAtExactly20000ThenOpaqueAndPart4Entered)
{
    start_room();
    room_frame_at(0.0);
    room_frame_at(20000.0);
    EXPECT_EQ(current_part, 3);
    EXPECT_EQ(cover_level, 0.0f);
    room_frame_at(20000.5);
    EXPECT_GE(cover_level, 1.25f);
    EXPECT_EQ(current_part, 4);
}

TEST(RoomCover, ClosingFrameIsWhiteUnderneathTheText)
{
    start_room();
    room_frame_at(0.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    room_frame_at(20001.0);
    const Rgb corner = read_pixel(5, 595);
    EXPECT_GT(corner.r, 240);
    EXPECT_GT(corner.g, 240);
    EXPECT_GT(corner.b, 240);
}

TEST(RoomEntry, TakesExactly2400DrawsAndEachFrame400)
{
    ensure_gl_context();
    ensure_meshes();
    ranrot_init(0);
    const RanrotState before = ranrot_state;
    set_virtual_clock_ms(1.0);
    enter_part_3();
    EXPECT_TRUE(same_state(ranrot_state, after_draws(before, 2400)));
    const RanrotState entered = ranrot_state;
    draw_part_3();
    EXPECT_TRUE(same_state(ranrot_state, after_draws(entered, 400)));
}

TEST(RoomSprites, OnlyTheFirst400AreMoved)
{
    start_room();
    sprite_table[400].x = 77.0f;
    sprite_table[799].y = -77.0f;
    room_frame_at(500.0);
    EXPECT_EQ(sprite_table[400].x, 77.0f);
    EXPECT_EQ(sprite_table[799].y, -77.0f);
    // Short column: y steps by 0.007 from -1.1.
    EXPECT_NEAR(sprite_table[0].y, -1.1f, 1e-6);
    EXPECT_NEAR(sprite_table[100].y, -1.1f + 0.7f, 1e-5);
    const float r = std::hypot(sprite_table[5].x, sprite_table[5].z);
    EXPECT_LE(r, 0.8f + 1e-5f);
}

TEST(ParticleFill, TakesTheFirst400DrawsAndSetsTheMirrorSigns)
{
    ranrot_init(0);
    const RanrotState before = ranrot_state;
    fill_particle_arrays();
    EXPECT_TRUE(same_state(ranrot_state, after_draws(before, 400)));
    EXPECT_EQ(mirror_signs[0], 1);
    EXPECT_EQ(mirror_signs[1], -1);
    EXPECT_EQ(mirror_signs[2], 1);
    for (int i = 0; i < 100; i++) {
        EXPECT_GE(scatter_positions[i][0], -40.0f);
        EXPECT_LE(scatter_positions[i][0], 40.0f);
        EXPECT_GE(scatter_positions[i][2], -10.0f);
        EXPECT_LE(scatter_positions[i][2], 10.0f);
        EXPECT_EQ(scatter_positions[i][1], std::floor(scatter_positions[i][1]));
        EXPECT_GE(particle_phases[i], 0.0f);
        EXPECT_LE(particle_phases[i], 3.1415927f);
    }
}

// ---- part 5: the tunnel ----

TEST(TunnelStepClock, DtOfExactly2000StartsNoStepAnythingMoreDoes)
{
    start_tunnel();
    EXPECT_EQ(current_part, 5);
    tunnel_frame_at(0.0);
    tunnel_frame_at(2000.0);
    EXPECT_EQ(beat_count, 0.0f);
    EXPECT_EQ(phase_start_time, 50000.0);
    tunnel_frame_at(2000.5);
    EXPECT_EQ(beat_count, 1.0f);
    EXPECT_EQ(phase_start_time, 52000.5);
    tunnel_frame_at(4000.0);
    EXPECT_EQ(beat_count, 1.0f);
}

TEST(TunnelStepClock, SpinAnglesAdvanceWithTheBeat)
{
    start_tunnel();
    tunnel_frame_at(2001.0);
    const double run = 52001.0 - 1000.0;
    EXPECT_NEAR(spin_angles[0], run * 360.0 / 20000.0 + 20.0, 1e-3);
    EXPECT_NEAR(spin_angles[9], run * 360.0 / 20000.0 + 200.0, 1e-3);
}

TEST(TunnelHandOver, Elapsed14000ExactlyStaysThenPart7)
{
    start_tunnel();
    tunnel_frame_at(0.0);
    tunnel_frame_at(14000.0);
    EXPECT_EQ(current_part, 5);
    tunnel_frame_at(14000.5);
    EXPECT_EQ(current_part, 7);
}

TEST(TunnelEntry, Takes550DrawsAndSetsTheLights)
{
    ensure_gl_context();
    ensure_meshes();
    ranrot_init(0);
    const RanrotState before = ranrot_state;
    set_virtual_clock_ms(3.0);
    enter_part_5();
    EXPECT_TRUE(same_state(ranrot_state, after_draws(before, 100 + 100 + 50 * 7)));
    EXPECT_FLOAT_EQ(light_records[1].colour[0], 0.7f);
    EXPECT_FLOAT_EQ(light_records[1].quadratic_attenuation, 0.00004f);
    EXPECT_FLOAT_EQ(light_records[0].colour[2], 0.8f);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT2));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
}

TEST(TunnelSprites, FirstFrameSendsTheRingsBackAndKeepsLooseOnes)
{
    start_tunnel();
    const float loose = particle_phases[210];
    tunnel_frame_at(0.0);
    EXPECT_FLOAT_EQ(particle_phases[0], 0.0f - 15.0f);
    EXPECT_FLOAT_EQ(particle_phases[99], 99 * 15 / 100.0f - 15.0f);
    EXPECT_FLOAT_EQ(particle_phases[150], (150 * 15 - 100) / 100.0f - 15.0f);
    EXPECT_EQ(particle_phases[210], loose);
    // The wave is added only while a ring sprite is drawn.
    EXPECT_FLOAT_EQ(sprite_table[0].y, float(std::cos(0.0) * 0.8 + 0.16));
    // Every sprite sits in [-15, 0) after a few frames.
    for (double t = 16.0; t < 200.0; t += 16.0)
        tunnel_frame_at(t);
    for (int i = 0; i < 250; i++) {
        EXPECT_LT(sprite_table[i].z, 0.0f) << i;
        EXPECT_GE(sprite_table[i].z, -15.0f) << i;
    }
}

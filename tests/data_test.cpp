// Data builder: the tables parse back to their counts, groups and extents; the
// clips parse back with libogg and decode in ffmpeg; the music and images have
// the expected form; the generators give the same bytes on every call.
#include "databuild.h"
#include "music_analysis.h"
#include "ogm_mux.h"

#include <gtest/gtest.h>
#include <ogg/ogg.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

using namespace databuild;

namespace {

const std::string out_dir = DATABUILD_OUT_DIR;

std::vector<uint8_t> read_file(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

// A parsed MeshTable.
struct Table {
    int groups = 0, vertices = 0, faces = 0, mode = 0;
    std::vector<int16_t> pos;
    std::vector<int> group_faces;
    std::vector<std::array<uint8_t, 4>> colours;
    std::vector<int16_t> corners;
    std::vector<int16_t> tex;
    std::vector<std::string> names;
    int overlay_count = 0;
    std::vector<int> overlay_index;
    std::vector<float> overlay_tex;
    std::vector<std::string> overlay_names;
    size_t bytes_read = 0;
};

Table parse(const std::vector<uint8_t>& b) {
    Table t;
    size_t p = 0;
    auto i32 = [&] { int32_t v; std::memcpy(&v, &b.at(p + 3) - 3, 4); p += 4; return v; };
    auto i16 = [&] { int16_t v; std::memcpy(&v, &b.at(p + 1) - 1, 2); p += 2; return v; };
    auto name = [&] { std::string s((const char*)&b.at(p + 99) - 99); p += 100; return s; };
    t.groups = i32(); t.vertices = i32(); t.faces = i32();
    for (int i = 0; i < t.vertices * 3; ++i) t.pos.push_back(i16());
    for (int g = 0; g < t.groups; ++g) {
        int n = i32();
        t.group_faces.push_back(n);
        t.colours.push_back({b.at(p), b.at(p + 1), b.at(p + 2), b.at(p + 3)});
        p += 4;
        for (int k = 0; k < n * 3; ++k) t.corners.push_back(i16());
    }
    t.mode = b.at(p++);
    if (t.mode) for (int i = 0; i < t.faces * 6; ++i) t.tex.push_back(i16());
    p += 12;
    for (int g = 0; g < t.groups; ++g) t.names.push_back(name());
    if (t.mode == 2) {
        t.overlay_count = i32();
        for (int g = 0; g < t.groups; ++g) t.overlay_index.push_back(i32());
        for (int i = 0; i < t.faces * 6; ++i) { float f; std::memcpy(&f, &b.at(p + 3) - 3, 4); p += 4; t.overlay_tex.push_back(f); }
        for (int g = 0; g < t.groups; ++g)
            if (t.overlay_index[g] >= 0) t.overlay_names.push_back(name());
    }
    t.bytes_read = p;
    return t;
}

struct V { double x, y, z; };
V vertex(const Table& t, int ref) { return {t.pos[ref] / 100.0, t.pos[ref + 1] / 100.0, t.pos[ref + 2] / 100.0}; }
V normal_of(const Table& t, int f) {
    V a = vertex(t, t.corners[3 * f]), b = vertex(t, t.corners[3 * f + 1]), c = vertex(t, t.corners[3 * f + 2]);
    V u{b.x - a.x, b.y - a.y, b.z - a.z}, v{c.x - a.x, c.y - a.y, c.z - a.z};
    return {u.y * v.z - u.z * v.y, u.z * v.x - u.x * v.z, u.x * v.y - u.y * v.x};
}
V centroid(const Table& t, int f) {
    V s{0, 0, 0};
    for (int c = 0; c < 3; ++c) {
        V p = vertex(t, t.corners[3 * f + c]);
        s.x += p.x / 3; s.y += p.y / 3; s.z += p.z / 3;
    }
    return s;
}
int first_face(const Table& t, int g) {
    int f = 0;
    for (int k = 0; k < g; ++k) f += t.group_faces[k];
    return f;
}

void expect_extent(const Table& t, const int lo[3], const int hi[3]) {
    for (int a = 0; a < 3; ++a) {
        int mn = 99999, mx = -99999;
        for (int v = 0; v < t.vertices; ++v) { mn = std::min<int>(mn, t.pos[3 * v + a]); mx = std::max<int>(mx, t.pos[3 * v + a]); }
        EXPECT_EQ(mn, lo[a]) << "axis " << a;
        EXPECT_EQ(mx, hi[a]) << "axis " << a;
    }
}

void expect_own_vertices(const Table& t) {
    ASSERT_EQ(t.vertices, 3 * t.faces);
    ASSERT_EQ((int)t.corners.size(), 3 * t.faces);
    for (int i = 0; i < 3 * t.faces; ++i) ASSERT_EQ(t.corners[i], 3 * i) << "corner " << i;
}

// Fraction of triangle edges whose two end positions also form an edge of another triangle.
double shared_edge_fraction(const Table& t) {
    std::map<std::array<int, 6>, int> edges;
    auto key = [&](int r0, int r1) {
        std::array<int, 3> a{t.pos[r0], t.pos[r0 + 1], t.pos[r0 + 2]}, b{t.pos[r1], t.pos[r1 + 1], t.pos[r1 + 2]};
        if (b < a) std::swap(a, b);
        return std::array<int, 6>{a[0], a[1], a[2], b[0], b[1], b[2]};
    };
    for (int f = 0; f < t.faces; ++f)
        for (int c = 0; c < 3; ++c) edges[key(t.corners[3 * f + c], t.corners[3 * f + (c + 1) % 3])]++;
    int shared = 0, total = 0;
    for (auto& e : edges) { total += e.second; if (e.second > 1) shared += e.second; }
    return (double)shared / total;
}

}  // namespace

// ---- Geometry tables ---------------------------------------------------------

TEST(RoomTable, HasItsCountsSizeAndModeAndParsesToTheLastByte) {
    std::vector<uint8_t> b = make_room_table();
    ASSERT_EQ(b.size(), 97137u);
    Table t = parse(b);
    EXPECT_EQ(t.groups, 14);
    EXPECT_EQ(t.vertices, 4722);
    EXPECT_EQ(t.faces, 1574);
    EXPECT_EQ(t.mode, 2);
    EXPECT_EQ(t.bytes_read, b.size());
    expect_own_vertices(t);
}

TEST(RoomTable, GroupsCarryTheirFaceCountsColoursTexturesAndOverlays) {
    Table t = parse(make_room_table());
    const int faces[14] = {64, 70, 128, 176, 16, 112, 16, 6, 226, 344, 320, 64, 16, 16};
    const uint8_t col[14][3] = {{200, 200, 200}, {200, 200, 200}, {132, 194, 16}, {199, 58, 12}, {91, 48, 15},
                                {155, 85, 43},   {56, 31, 16},    {234, 239, 5},  {107, 99, 90}, {49, 57, 49},
                                {54, 30, 77},    {87, 99, 7},     {19, 53, 87},   {12, 61, 61}};
    const char* tex[14] = {"metalor.bmp", "metalor.bmp", "wall_1.bmp", "black.bmp", "door4.bmp", "u_floor03.bmp",
                           "metalor.bmp", "plafond.jpg", "tips01.bmp", "metalor.bmp", "metalgr.bmp", "metalc2.bmp",
                           "inside.bmp", "u_floor04.bmp"};
    const int ov[14] = {0, -1, 1, -1, 2, 3, 4, -1, 5, 6, 7, 8, 9, 10};
    const char* ovn[11] = {"SB_main02.bmp", "SB_antenna01.bmp", "SB_cigle.bmp", "SB_ground01.bmp",
                           "SB_ground02.bmp", "SB_main.bmp", "SB_metal01.bmp", "SB_metal02.bmp",
                           "SB_system.bmp", "SB_system02.bmp", "SB_wall.bmp"};
    for (int g = 0; g < 14; ++g) {
        EXPECT_EQ(t.group_faces[g], faces[g]) << g;
        for (int c = 0; c < 3; ++c) EXPECT_EQ(t.colours[g][c], col[g][c]) << g;
        EXPECT_EQ(t.colours[g][3], 255);
        EXPECT_EQ(t.names[g], tex[g]);
        EXPECT_EQ(t.overlay_index[g], ov[g]);
    }
    EXPECT_EQ(t.overlay_count, 11);
    ASSERT_EQ(t.overlay_names.size(), 11u);
    for (int k = 0; k < 11; ++k) EXPECT_EQ(t.overlay_names[k], ovn[k]);
}

TEST(RoomTable, ExtentsAndTextureRangesAreExact) {
    Table t = parse(make_room_table());
    const int lo[3] = {-2021, -1208, -1816}, hi[3] = {2018, 3374, 1813};
    expect_extent(t, lo, hi);
    int mn = 99999, mx = -99999;
    for (int16_t v : t.tex) { mn = std::min<int>(mn, v); mx = std::max<int>(mx, v); }
    EXPECT_EQ(mn, -1704);
    EXPECT_EQ(mx, 2546);
    for (float v : t.overlay_tex) { EXPECT_GE(v, 0.0f); EXPECT_LE(v, 1.0f); }
}

TEST(RoomTable, WallsFloorAndCeilingAreWoundToFaceOutwardSoTheInsideSurvivesFrontCulling) {
    Table t = parse(make_room_table());
    for (int g : {2, 5, 7}) {
        int f0 = first_face(t, g);
        for (int f = f0; f < f0 + t.group_faces[g]; ++f) {
            V n = normal_of(t, f), c = centroid(t, f);
            V centre{0, 10.8, 0};
            double d = n.x * (c.x - centre.x) + n.y * (c.y - centre.y) + n.z * (c.z - centre.z);
            EXPECT_GT(d, 0) << "group " << g << " face " << f;
        }
    }
}

TEST(RoomTable, NeighbouringTrianglesSharePositionsExactly) {
    // Only the outer edges of free-standing panels and pieces stay unshared.
    EXPECT_GT(shared_edge_fraction(parse(make_room_table())), 0.8);
}

TEST(RingTable, HasItsCountsSizeGroupsAndExtents) {
    std::vector<uint8_t> b = make_ring_table();
    ASSERT_EQ(b.size(), 17881u);
    Table t = parse(b);
    EXPECT_EQ(t.groups, 8);
    EXPECT_EQ(t.vertices, 1416);
    EXPECT_EQ(t.faces, 472);
    EXPECT_EQ(t.mode, 1);
    EXPECT_EQ(t.bytes_read, b.size());
    expect_own_vertices(t);
    const int faces[8] = {40, 128, 32, 32, 32, 32, 32, 144};
    const uint8_t col[8][3] = {{58, 139, 117}, {27, 46, 75}, {49, 86, 142}, {84, 92, 107},
                               {55, 57, 142},  {101, 61, 1}, {176, 56, 21}, {104, 126, 71}};
    const char* tex[8] = {"outside.bmp", "black.bmp", "inside.bmp", "metalor.bmp",
                          "metalc2.bmp", "tips02.bmp", "tips01.bmp", "outside.bmp"};
    for (int g = 0; g < 8; ++g) {
        EXPECT_EQ(t.group_faces[g], faces[g]);
        for (int c = 0; c < 3; ++c) EXPECT_EQ(t.colours[g][c], col[g][c]);
        EXPECT_EQ(t.names[g], tex[g]);
    }
    const int lo[3] = {-553, -434, -174}, hi[3] = {553, 432, 132};
    expect_extent(t, lo, hi);
}

TEST(RingTable, LiningFacesOutwardFromTheTunnelAxis) {
    Table t = parse(make_ring_table());
    int f0 = first_face(t, 1);
    for (int f = f0; f < f0 + t.group_faces[1]; ++f) {
        V n = normal_of(t, f), c = centroid(t, f);
        EXPECT_GT(n.x * c.x + n.y * c.y, 0) << "face " << f;
    }
    EXPECT_GT(shared_edge_fraction(t), 0.9);
}

TEST(Tables, GeneratedFilesMatchTheGeneratorsAndTheEmbeddedSource) {
    EXPECT_EQ(read_file(out_dir + "/data/room_table.bin"), make_room_table());
    EXPECT_EQ(read_file(out_dir + "/data/ring_table.bin"), make_ring_table());
    std::vector<uint8_t> cpp = read_file(out_dir + "/data/tables.cpp");
    std::string s(cpp.begin(), cpp.end());
    EXPECT_NE(s.find("#include \"data/tables.h\""), std::string::npos);
    EXPECT_NE(s.find("const unsigned int room_table_size = 97137;"), std::string::npos);
    EXPECT_NE(s.find("const unsigned int ring_table_size = 17881;"), std::string::npos);
    EXPECT_NE(s.find("const unsigned char room_table[] = {\n"), std::string::npos);
}

// ---- Clips -----------------------------------------------------------------

namespace {
struct OgmParse {
    std::vector<std::vector<uint8_t>> packets;
    std::vector<int64_t> granules;
    int bos_pages = 0, eos_pages = 0, first_page_packets = 0;
    std::set<int> serials;
};

OgmParse parse_ogm(const std::vector<uint8_t>& file, int serial_filter = -1) {
    OgmParse r;
    ogg_sync_state oy;
    ogg_sync_init(&oy);
    char* buf = ogg_sync_buffer(&oy, (long)file.size());
    std::memcpy(buf, file.data(), file.size());
    ogg_sync_wrote(&oy, (long)file.size());
    ogg_stream_state os;
    bool have = false;
    ogg_page pg;
    int page_no = 0;
    while (ogg_sync_pageout(&oy, &pg) == 1) {
        r.serials.insert(ogg_page_serialno(&pg));
        if (ogg_page_bos(&pg)) r.bos_pages++;
        if (ogg_page_eos(&pg)) r.eos_pages++;
        if (serial_filter >= 0 && ogg_page_serialno(&pg) != serial_filter) continue;
        if (!have) { ogg_stream_init(&os, ogg_page_serialno(&pg)); have = true; }
        ogg_stream_pagein(&os, &pg);
        ogg_packet op;
        int n = 0;
        while (ogg_stream_packetout(&os, &op) == 1) {
            r.packets.emplace_back(op.packet, op.packet + op.bytes);
            r.granules.push_back(op.granulepos);
            ++n;
        }
        if (page_no++ == 0) r.first_page_packets = n;
    }
    if (have) ogg_stream_clear(&os);
    ogg_sync_clear(&oy);
    return r;
}

int64_t le(const std::vector<uint8_t>& p, int at, int n) {
    uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | p.at(at + i);
    if (n < 8 && (v >> (8 * n - 1))) v |= ~0ull << (8 * n);
    return (int64_t)v;
}

bool have_ffmpeg() { return std::system("ffmpeg -version > /dev/null 2>&1") == 0; }

std::string run(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return "popen failed";
    char b[512];
    while (std::fgets(b, sizeof b, p)) out += b;
    pclose(p);
    return out;
}
}  // namespace

class ClipFile : public ::testing::TestWithParam<int> {};

TEST_P(ClipFile, ParsesBackToItsHeaderAndOnePacketPerFrame) {
    const char* names[4] = {"scene03.ogm", "scene05.ogm", "scene07.ogm", "scene09.ogm"};
    int k = GetParam();
    std::vector<uint8_t> file = read_file(out_dir + "/dats/" + names[k]);
    ASSERT_FALSE(file.empty()) << names[k];
    OgmParse r = parse_ogm(file);
    EXPECT_EQ(r.bos_pages, 1);
    EXPECT_EQ(r.eos_pages, 1);
    EXPECT_EQ(r.first_page_packets, 1) << "the stream header is alone on its page";
    int frames = k == 3 ? 150 : 400;
    ASSERT_EQ((int)r.packets.size(), frames + 2);
    const std::vector<uint8_t>& h = r.packets[0];
    ASSERT_GE(h.size(), 53u);
    EXPECT_EQ(h[0], 0x01);
    EXPECT_EQ(std::string((const char*)&h[1], 5), "video");
    EXPECT_EQ(h[6], 0); EXPECT_EQ(h[7], 0); EXPECT_EQ(h[8], 0);
    EXPECT_EQ(std::string((const char*)&h[9], 4), "XVID");
    EXPECT_EQ(le(h, 17, 8), 400000);
    EXPECT_EQ(le(h, 25, 8), 1);
    EXPECT_EQ(le(h, 45, 4), 640);
    EXPECT_EQ(le(h, 49, 4), 480);
    EXPECT_EQ(r.packets[1][0], 0x03);
    int keyframes = 0;
    for (int f = 0; f < frames; ++f) {
        const std::vector<uint8_t>& p = r.packets[f + 2];
        int b = p[0];
        int len_bytes = ((b >> 6) & 3) | ((b & 2) << 1);
        ASSERT_EQ(len_bytes, 1) << "frame " << f;
        ASSERT_GT(p.size(), 2u);
        if (b & 0x08) ++keyframes;
        if (f == 0) {
            EXPECT_TRUE(b & 0x08) << "the first frame is a keyframe";
        }
        // MPEG-4 payloads begin with a start code.
        EXPECT_EQ(p[2], 0); EXPECT_EQ(p[3], 0); EXPECT_EQ(p[4], 1);
        // The show decodes through a 20000-byte window: a frame must fit in it.
        EXPECT_LE(p.size() - 2, 18000u) << "frame " << f;
    }
    EXPECT_GE(keyframes, frames / 100);
    // Granules of the pages never go back and end on the last frame.
    int64_t last = -1;
    for (size_t i = 2; i < r.granules.size(); ++i)
        if (r.granules[i] >= 0) { EXPECT_GE(r.granules[i], last); last = r.granules[i]; }
    EXPECT_EQ(last, frames - 1);
}

TEST_P(ClipFile, FfmpegDecodesEveryFrameWithoutError) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const char* names[4] = {"scene03.ogm", "scene05.ogm", "scene07.ogm", "scene09.ogm"};
    std::string path = out_dir + "/dats/" + names[GetParam()];
    EXPECT_EQ(run("ffmpeg -nostdin -v error -i '" + path + "' -f null - 2>&1"), "");
    std::string probe = run("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                            "stream=codec_name,width,height,nb_read_frames -of csv=p=0 '" + path + "'");
    EXPECT_EQ(probe, std::string("mpeg4,640,480,") + (GetParam() == 3 ? "150" : "400") + "\n");
}

INSTANTIATE_TEST_SUITE_P(AllClips, ClipFile, ::testing::Values(0, 1, 2, 3));

TEST(OgmMuxer, ExtraStreamsGetTheirOwnBeginningAndEndPages) {
    OgmMuxer mux;
    int v = mux.add_video_stream(7, 320, 240);
    std::vector<uint8_t> text_header = {0x01, 't', 'e', 'x', 't', 0, 0, 0, 0};
    int t = mux.add_stream(9, text_header);
    const uint8_t frame[4] = {0, 0, 1, 0xb6};
    for (int i = 0; i < 5; ++i) mux.add_frame(v, frame, 4, i == 0);
    mux.add_packet(t, {0x08, 'h', 'i'}, 0);
    std::vector<uint8_t> file = mux.finish();
    OgmParse all = parse_ogm(file);
    EXPECT_EQ(all.bos_pages, 2);
    EXPECT_EQ(all.eos_pages, 2);
    EXPECT_EQ(all.serials, (std::set<int>{7, 9}));
    OgmParse video = parse_ogm(file, 7);
    ASSERT_EQ(video.packets.size(), 7u);
    EXPECT_EQ(le(video.packets[0], 45, 4), 320);
    EXPECT_EQ(video.packets[2][0], 0x48);
    EXPECT_EQ(video.packets[3][0], 0x40);
    EXPECT_EQ(video.packets[2][1], 1);
    OgmParse text = parse_ogm(file, 9);
    ASSERT_EQ(text.packets.size(), 3u);
    EXPECT_EQ(text.packets[2], (std::vector<uint8_t>{0x08, 'h', 'i'}));
}

TEST(OgmMuxer, AStreamAddedAfterDataIsRefused) {
    OgmMuxer mux;
    int v = mux.add_video_stream(1, 16, 16);
    const uint8_t frame[1] = {0};
    mux.add_frame(v, frame, 1, true);
    EXPECT_THROW(mux.add_stream(2, {0x01}), std::logic_error);
}

// ---- Music -----------------------------------------------------------------

TEST(Music, IsOneStereoVorbisStreamCoveringTheShowWithHeadroom) {
    std::vector<uint8_t> file = read_file(out_dir + "/dats/zad2.ogg");
    ASSERT_FALSE(file.empty());
    OgmParse r = parse_ogm(file);
    EXPECT_EQ(r.bos_pages, 1);
    EXPECT_EQ(r.eos_pages, 1);
    EXPECT_EQ(r.serials.size(), 1u);
    ASSERT_GE(r.packets.size(), 3u);
    const std::vector<uint8_t>& id = r.packets[0];
    EXPECT_EQ(std::string((const char*)&id[1], 6), "vorbis");
    EXPECT_EQ(id[11], 2) << "channels";
    EXPECT_EQ(le(id, 12, 4), 44100);
    // The greetings leave the screen 92 s after the finale begins at 107 s.
    EXPECT_GE(r.granules.back(), (long long)(44100 * 199.1)) << "lasts through the greetings";
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    std::string path = out_dir + "/dats/zad2.ogg";
    EXPECT_EQ(run("ffmpeg -nostdin -v error -i '" + path + "' -f null - 2>&1"), "");
    std::string vd = run("ffmpeg -nostdin -i '" + path + "' -af volumedetect -f null - 2>&1");
    size_t at = vd.find("max_volume:");
    ASSERT_NE(at, std::string::npos);
    double peak = std::atof(vd.c_str() + at + 11);
    EXPECT_LE(peak, -1.0) << "peak in dBFS";
    EXPECT_GT(peak, -12.0) << "the track is not near silent";
}

// The track as a listener meets it: mastered to its loudness with nothing
// clipped, bright and wide enough, a hit on every part change that stands
// out from the downbeats after it, a finale that never repeats a stretch,
// and an ending that rings out to silence.
TEST(Music, IsMasteredHitsEveryPartChangeAndEndsInSilence) {
    analysis::Track t = analysis::decode_ogg(out_dir + "/dats/zad2.ogg");
    ASSERT_EQ(t.rate, 44100);
    analysis::Loudness all = analysis::loudness(t);
    EXPECT_NEAR(all.integrated_lufs, -14.0, 1.0);
    EXPECT_LE(all.true_peak_dbtp, -1.0);
    EXPECT_LT(all.sample_peak, 0.99) << "nothing clipped";
    EXPECT_GT(analysis::band_share_db(t, 1000, 4000), -16.0) << "presence";
    EXPECT_GT(analysis::side_over_mid(t), 0.02) << "stereo width";
    for (double cut : {7.017, 23.000, 26.017, 46.033, 62.017, 76.017, 92.000, 107.017}) {
        double hit = analysis::accent_db(t, cut), beats = -100;
        for (int bar = 1; bar <= 3; ++bar) beats = std::max(beats, analysis::accent_db(t, cut + 2.0 * bar));
        EXPECT_GT(hit, 3.0) << "at " << cut << " s";
        EXPECT_GT(hit, beats + 1.0) << "at " << cut << " s";
    }
    EXPECT_GT(analysis::closest_windows(t, 108, 200, 16).difference_db, 3.0) << "a stretch of the finale repeats";
    analysis::Track last = analysis::slice(t, t.seconds() - 0.5, t.seconds());
    EXPECT_LT(analysis::loudness(last).sample_peak, 0.003) << "the tail has died away";
}

TEST(Music, RegeneratingTheTrackGivesTheSameBytes) {
    EXPECT_EQ(encode_vorbis(synthesise_music(), music_rate, music_quality), read_file(out_dir + "/dats/zad2.ogg"));
}

TEST(Music, EncodingTheSameSamplesTwiceGivesTheSameBytes) {
    std::vector<float> pcm(44100 * 2);
    for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = 0.3f * (float)std::sin(i * 0.01);
    EXPECT_EQ(encode_vorbis(pcm, 44100, 0.1f), encode_vorbis(pcm, 44100, 0.1f));
}

// ---- Images ----------------------------------------------------------------

namespace {
using Decoded = DecodedJpeg;
double mean(const Decoded& d) {
    double s = 0;
    for (uint8_t v : d.rgb) s += v;
    return s / d.rgb.size() / 255.0;
}
bool pow2(int v) { return v > 0 && (v & (v - 1)) == 0; }
Decoded load(const std::string& name) { return decode_jpeg(read_file(out_dir + "/dats/" + name)); }
}  // namespace

TEST(Images, EveryNameTheShowOpensIsAColourPowerOfTwoJpegAndAllFitTheirBudget) {
    std::vector<std::string> names = {
        "LogoQorv", "Presents", "Vorlane", "eyes", "text01", "text02", "text03", "text04", "gfxadd03",
        "code", "t4rnix", "gfx", "pelm", "sound", "zug", "eclair", "nebu02", "part", "greets",
        "metalor", "wall_1", "black", "door4", "u_floor03", "plafond", "tips01", "tips02", "metalgr",
        "metalc2", "inside", "u_floor04", "outside", "SB_main02", "SB_antenna01", "SB_cigle",
        "SB_ground01", "SB_ground02", "SB_main", "SB_metal01", "SB_metal02", "SB_system",
        "SB_system02", "SB_wall"};
    for (int k = 1; k <= 17; ++k) { char n[4]; std::snprintf(n, sizeof n, "%02d", k); names.push_back(n); }
    size_t total = 0;
    for (const std::string& n : names) {
        std::vector<uint8_t> b = read_file(out_dir + "/dats/" + n + ".jpg");
        total += b.size();
        ASSERT_FALSE(b.empty()) << n;
        Decoded d = decode_jpeg(b);
        EXPECT_EQ(d.comps, 3) << n;
        EXPECT_TRUE(pow2(d.w) && pow2(d.h)) << n << " " << d.w << "x" << d.h;
        EXPECT_LE((size_t)d.w * d.h * 3, 4u * 1024 * 1024) << n;
    }
    // The browser's page holds the images beside the program, music and clips.
    EXPECT_LE(total, 3000000u);
}

TEST(Images, LogoAndCaptionHaveTheSizesThePixelWarpCopies) {
    Decoded logo = load("LogoQorv.jpg"), cap = load("Presents.jpg");
    EXPECT_EQ(logo.w, 512); EXPECT_EQ(logo.h, 512);
    EXPECT_EQ(cap.w, 256); EXPECT_EQ(cap.h, 128);
}

TEST(Images, AdditiveImagesAreBrightOnBlackAndOverlaysDarkOnWhite) {
    for (const char* n : {"code.jpg", "zug.jpg", "greets.jpg", "01.jpg", "text01.jpg", "Vorlane.jpg"}) {
        Decoded d = load(n);
        EXPECT_LT(mean(d), 0.25) << n << " is mostly black";
        int maxv = 0;
        for (uint8_t v : d.rgb) maxv = std::max<int>(maxv, v);
        EXPECT_GT(maxv, 200) << n << " has bright lettering";
    }
    for (const char* n : {"SB_main02.jpg", "SB_wall.jpg", "SB_cigle.jpg"}) EXPECT_GT(mean(load(n)), 0.6) << n;
    Decoded p = load("part.jpg");
    const uint8_t* corner = &p.rgb[0];
    const uint8_t* centre = &p.rgb[((size_t)(p.h / 2) * p.w + p.w / 2) * 3];
    EXPECT_LT(corner[0] + corner[1] + corner[2], 15);
    EXPECT_GT(centre[2], 200);
}

TEST(Images, GreetingsKeepToTheMiddleOfTheirBandsSoRisingNeighboursNeverOverlap) {
    // Each band is 10 units high; the next one comes in 2000 ms later, 2000 / 700 units below.
    const double share = 2000.0 / 700 / 10;
    std::vector<std::string> names = {"greets"};
    for (int k = 1; k <= 17; ++k) { char n[4]; std::snprintf(n, sizeof n, "%02d", k); names.push_back(n); }
    for (const std::string& n : names) {
        Decoded d = load(n + ".jpg");
        int top = d.h, bottom = -1;
        for (int y = 0; y < d.h; ++y)
            for (int x = 0; x < d.w; ++x) {
                const uint8_t* p = &d.rgb[((size_t)y * d.w + x) * 3];
                if (std::min({p[0], p[1], p[2]}) > 128) { top = std::min(top, y); bottom = y; }  // white core, not glow
            }
        ASSERT_GE(bottom, top) << n << " has no lettering";
        EXPECT_LE(bottom - top + 1, share * d.h) << n;
        EXPECT_NEAR((top + bottom) / 2.0, d.h / 2.0, 0.05 * d.h) << n;
    }
}

TEST(Images, SpriteGlowIsBlackToTheBitBeyondItsEdge) {
    // JPEG's 8 x 8 blocks may carry the glow's noise at most a block's
    // diagonal past its edge; the show leaves everything beyond undrawn.
    Decoded p = load("part.jpg");
    const double reach = sprite_glow_edge * p.w / 2.0 + 8 * std::sqrt(2.0) + 1;
    size_t beyond = 0, black = 0;
    for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
            if (std::hypot(x - (p.w - 1) / 2.0, y - (p.h - 1) / 2.0) <= reach) continue;
            const uint8_t* rgb = &p.rgb[((size_t)y * p.w + x) * 3];
            ++beyond;
            black += (rgb[0] | rgb[1] | rgb[2]) == 0;
        }
    EXPECT_GT(beyond, (size_t)p.w * p.h / 5);
    EXPECT_EQ(black, beyond);
}

TEST(Images, LightningIsBlackAtTheBandEdgesAndWrapsAlongIt) {
    Decoded d = load("eclair.jpg");
    double edge = 0, mid = 0;
    for (int y = 0; y < d.h; ++y) {
        edge += d.rgb[(size_t)y * d.w * 3 + 2];
        mid += d.rgb[((size_t)y * d.w + d.w / 2) * 3 + 2];
    }
    EXPECT_LT(edge / d.h, 20);
    EXPECT_GT(mid / d.h, 60);
}

TEST(Images, GeneratingAnImageTwiceGivesTheSameBytes) {
    for (const char* n : {"LogoQorv.jpg", "metalor.jpg", "SB_wall.jpg", "nebu02.jpg"}) {
        std::vector<uint8_t> a = make_image(n);
        EXPECT_EQ(a, make_image(n)) << n;
        EXPECT_EQ(a, read_file(out_dir + "/dats/" + n)) << n;
    }
}

TEST(Images, AnUnknownNameIsRefusedWithTheFileName) {
    try {
        make_image("nosuch.jpg");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("dats/nosuch.jpg"), std::string::npos);
    }
}

TEST(Lettering, IsCentredShrunkIntoItsBoxAndNarrowedByItsScale) {
    auto ink = [](const Lettering& l, int w, int h, int box[4]) {  // x0, y0, x1, y1 of coverage above one half
        box[0] = w; box[1] = h; box[2] = box[3] = -1;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (l.mask[(size_t)y * w + x] > 0.5f) {
                    box[0] = std::min(box[0], x); box[1] = std::min(box[1], y);
                    box[2] = std::max(box[2], x); box[3] = std::max(box[3], y);
                }
    };
    int b[4];
    const Lettering big = lettering("Wexholt", 256, 64, {200});  // far too large for 256 x 64
    ink(big, 256, 64, b);
    EXPECT_LT(big.pixel_height, 200);
    EXPECT_LE(b[2] - b[0] + 1, 0.92 * 256 + 1);
    EXPECT_LE(b[3] - b[1] + 1, 0.9 * 64 + 1);
    EXPECT_NEAR((b[0] + b[2]) / 2.0, 127.5, 1.5);
    EXPECT_NEAR((b[1] + b[3]) / 2.0, 31.5, 1.5);
    TextStyle low{20};
    low.centre_y = 0.75f;
    ink(lettering("Wexholt", 256, 64, low), 256, 64, b);
    EXPECT_NEAR((b[1] + b[3]) / 2.0, 47.5, 1.5);
    TextStyle narrow{30};
    narrow.x_scale = 0.5f;
    EXPECT_NEAR(lettering("Wexholt", 256, 64, narrow).ink_width, lettering("Wexholt", 256, 64, {30}).ink_width / 2, 1.0);
}

TEST(ImageOps, BlurSpreadsEvenlyAcrossTheWrapAndKeepsTheTotal) {
    std::vector<float> v(16 * 8, 0.0f);
    v[0] = 1;
    blur(v, 16, 8, 2, 2);
    double total = 0;
    for (float x : v) total += x;
    EXPECT_NEAR(total, 1.0, 1e-5);
    EXPECT_NEAR(v[1], v[15], 1e-6);       // left and right of the corner, across the wrap
    EXPECT_NEAR(v[16], v[7 * 16], 1e-6);  // above and below it
    EXPECT_GT(v[0], v[2]);
    EXPECT_GT(v[2], 0.0f);
}

TEST(ImageOps, BandLimitRemovesTexelStripesAcrossAndKeepsSlowWavesAndEverythingDown) {
    // Columns alternate (0.5 cycles a texel) on a slow wave across (1/16);
    // rows alternate too, which a cut of 0.5 down must leave alone.
    Image img(64, 16);
    const double pi = 3.14159265358979;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x)
            img.at(x, y)[0] = (float)(0.5 + 0.2 * std::sin(2 * pi * x / 16) + 0.1 * (x % 2 ? 1 : -1)),
            img.at(x, y)[1] = y % 2 ? 0.7f : 0.3f;
    band_limit(img, 0.3f, 0.5f);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 64; ++x) {
            EXPECT_NEAR(img.at(x, y)[0], 0.5 + 0.2 * std::sin(2 * pi * x / 16), 0.015) << x;
            EXPECT_FLOAT_EQ(img.at(x, y)[1], y % 2 ? 0.7f : 0.3f);
        }
}

// Round, so the corners show the desktop through; the logo's blue ring and
// lettering inside at every size.
TEST(Icons, EachSizeIsTheLogoOnATransparentDisc) {
    const std::vector<std::vector<uint8_t>> icons = make_icons();
    ASSERT_EQ(icons.size(), std::size(icon_sizes));
    for (size_t k = 0; k < icons.size(); ++k) {
        const int size = icon_sizes[k];
        const std::vector<uint8_t>& png = icons[k];
        png_image image = {};
        image.version = PNG_IMAGE_VERSION;
        ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size())) << size;
        EXPECT_EQ(image.width, (unsigned)size);
        EXPECT_EQ(image.height, (unsigned)size);
        EXPECT_NE(image.format & PNG_FORMAT_FLAG_ALPHA, 0u) << size;
        image.format = PNG_FORMAT_RGBA;
        std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
        ASSERT_TRUE(png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) << size;
        auto at = [&](int x, int y) { return &rgba[((size_t)y * size + x) * 4]; };
        EXPECT_EQ(at(0, 0)[3], 0) << size;
        EXPECT_EQ(at(size - 1, size - 1)[3], 0) << size;
        EXPECT_EQ(at(size / 2, size / 2)[3], 255) << size;
        double red = 0, blue = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) red += at(x, y)[0], blue += at(x, y)[2];
        EXPECT_GT(blue / (size * size), 30) << size;
        EXPECT_GT(blue, 1.5 * red) << size;
    }
}

// ---- Determinism of the clips ------------------------------------------------

TEST(Clips, FramesAndTheirEncodingAreTheSameOnEveryRun) {
    for (int clip = 0; clip < 4; ++clip) {
        std::vector<uint8_t> a, b;
        render_clip_frame(clip, 37, a);
        render_clip_frame(clip, 37, b);
        EXPECT_EQ(a, b) << clip;
        std::vector<uint8_t> c;
        render_clip_frame(clip, 38, c);
        EXPECT_NE(a, c) << "clip " << clip << " moves";
    }
    std::vector<EncodedFrame> x = encode_clip(1, 4, 5), y = encode_clip(1, 4, 5);
    ASSERT_EQ(x.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(x[i].data, y[i].data);
    EXPECT_TRUE(x[0].keyframe);
}

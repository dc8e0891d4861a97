// vavurava-databuilder OUTDIR: writes OUTDIR/dats/* (images, music, clips) and
// OUTDIR/data/{room_table.bin,ring_table.bin,tables.cpp}. The music is made on a
// worker thread while the clips are encoded; one progress line per file.
// vavurava-databuilder --icons FOLDER NAME: the icon at every size, as
// FOLDER/hicolor/NxN/apps/NAME.png.
#include "databuild.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <future>
#include <iterator>
#include <string>

using namespace databuild;

static void make_dir(const std::string& d) {
    if (mkdir(d.c_str(), 0755) != 0 && errno != EEXIST)
        throw std::runtime_error("databuilder: " + d + ": cannot create the folder: " + std::strerror(errno));
}

// Writes through a temporary name so that an interrupted build leaves no half file.
static void write_file(const std::string& path, const void* data, size_t size) {
    std::string tmp = path + ".tmp";
    FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) throw std::runtime_error("databuilder: " + path + ": cannot write: " + std::strerror(errno));
    bool ok = std::fwrite(data, 1, size, f) == size;
    ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(tmp.c_str(), path.c_str()) != 0)
        throw std::runtime_error("databuilder: " + path + ": write failed: " + std::strerror(errno));
}

static void write_file(const std::string& path, const std::vector<uint8_t>& b) { write_file(path, b.data(), b.size()); }

static void write_icons(const std::string& folder, const std::string& name) {
    make_dir(folder);
    make_dir(folder + "/hicolor");
    const std::vector<std::vector<uint8_t>> icons = make_icons();
    for (size_t k = 0; k < icons.size(); ++k) {
        const std::string side = std::to_string(icon_sizes[k]);
        const std::string apps = folder + "/hicolor/" + side + "x" + side + "/apps";
        make_dir(folder + "/hicolor/" + side + "x" + side);
        make_dir(apps);
        write_file(apps + "/" + name + ".png", icons[k]);
    }
    std::printf("databuilder: %s/hicolor/*/apps/%s.png (%zu sizes)\n", folder.c_str(), name.c_str(),
                std::size(icon_sizes));
}

int main(int argc, char** argv) {
    const bool icons = argc == 4 && std::strcmp(argv[1], "--icons") == 0;
    if (argc != 2 && !icons) {
        std::fprintf(stderr, "usage: vavurava-databuilder OUTDIR\n       vavurava-databuilder --icons FOLDER NAME\n");
        return 2;
    }
    try {
        if (icons) {
            write_icons(argv[2], argv[3]);
            return 0;
        }
        std::string out = argv[1];
        make_dir(out);
        make_dir(out + "/dats");
        make_dir(out + "/data");
        auto music = std::async(std::launch::async, [] {
            std::vector<float> pcm = synthesise_music();
            return encode_vorbis(pcm, music_rate, music_quality);
        });
        std::vector<uint8_t> room = make_room_table(), ring = make_ring_table();
        write_file(out + "/data/room_table.bin", room);
        write_file(out + "/data/ring_table.bin", ring);
        std::string cpp = tables_cpp(room, ring);
        write_file(out + "/data/tables.cpp", cpp.data(), cpp.size());
        std::printf("databuilder: data/room_table.bin, ring_table.bin, tables.cpp (%zu, %zu bytes)\n", room.size(), ring.size());
        std::fflush(stdout);
        std::vector<std::string> names = image_names();
        for (size_t i = 0; i < names.size(); ++i) {
            write_file(out + "/dats/" + names[i], make_image(names[i]));
        }
        std::printf("databuilder: dats/*.jpg (%zu images)\n", names.size());
        std::fflush(stdout);
        const char* clips[4] = {"scene03.ogm", "scene05.ogm", "scene07.ogm", "scene09.ogm"};
        for (int k = 0; k < 4; ++k) {
            write_file(out + "/dats/" + clips[k], make_clip(k));
            std::printf("databuilder: dats/%s (%d frames)\n", clips[k], clip_frame_count(k));
            std::fflush(stdout);
        }
        write_file(out + "/dats/zad2.ogg", music.get());
        std::printf("databuilder: dats/zad2.ogg (%.0f s)\n", music_seconds);
        write_file(out + "/dats/.stamp", "ok\n", 3);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

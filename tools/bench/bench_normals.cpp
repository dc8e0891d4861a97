// Times compute_vertex_normals (position lookup) against the all-pairs form
// on both shipped tables, and checks they agree bit for bit.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "data/tables.h"
#include "geometry/mesh.h"
#include "geometry/normals.h"
#include "geometry/normals_reference.h"

namespace {

template <typename Normals>
double best_ms(const Mesh& m, std::vector<float>& out, int runs, Normals normals)
{
    double best = 1e30;
    for (int i = 0; i < runs; i++) {
        const auto start = std::chrono::steady_clock::now();
        normals(m.indices, m.face_count, m.positions, out.data(), m.vertex_count, 2);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        if (took.count() < best)
            best = took.count();
    }
    return best;
}

bool bench_table(const char* name, const unsigned char* table)
{
    static Mesh m;
    build_mesh(table, &m, true);
    std::vector<float> fast(size_t(m.vertex_count) * 3), slow(size_t(m.vertex_count) * 3);
    const double fast_ms = best_ms(m, fast, 20, compute_vertex_normals);
    const double slow_ms = best_ms(m, slow, 3, compute_vertex_normals_all_pairs);
    const bool same = std::memcmp(fast.data(), slow.data(), fast.size() * sizeof(float)) == 0;
    std::printf("%-10s %5d faces  lookup %8.3f ms  all-pairs %9.3f ms  %6.1fx  %s\n", name, int(m.face_count),
                fast_ms, slow_ms, slow_ms / fast_ms, same ? "identical" : "DIFFERENT");
    return same;
}

} // namespace

int main()
{
    const bool room = bench_table("room", room_table);
    const bool ring = bench_table("ring", ring_table);
    return room && ring ? 0 : 1;
}

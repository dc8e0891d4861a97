// How close a part comes to the renderer's fill limit: counts the fragments
// each pass of the part produces (an occlusion query per pass, a pass being
// the draws between two texture binds; beside it the fragment shader's
// invocations, which include fragments the depth test rejects), then measures what one fragment
// costs here with full-window quads, and prints the time the part's
// fragments need at that rate beside its frame time.
//
// Usage: bench_fragments PART [--skip-ms N] [--finale-ms N]
// The parts before PART run on a coarse virtual clock as in bench_part.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tools/bench/fill_rate.h"
#include "tools/bench/part_run.h"

namespace {

struct Pass {
    GLuint texture;
    GLuint query;   // samples that passed the depth test
    GLuint shaded;  // fragment shader invocations, rejected fragments included
};

bool counting = false;
std::vector<Pass> frame_passes;
// Query objects for reuse, one pool for each target (an object keeps the
// target it was first begun with).
std::vector<GLuint> spare_sample_queries, spare_shader_queries;

GLuint take_query(std::vector<GLuint>* spare) {
    if (spare->empty()) {
        GLuint q = 0;
        glGenQueries(1, &q);
        return q;
    }
    const GLuint q = spare->back();
    spare->pop_back();
    return q;
}

void end_pass() {
    glEndQuery(GL_SAMPLES_PASSED);
    glEndQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB);
}

void begin_pass(GLuint texture) {
    if (!frame_passes.empty()) end_pass();
    frame_passes.push_back({texture, take_query(&spare_sample_queries), take_query(&spare_shader_queries)});
    glBeginQuery(GL_SAMPLES_PASSED, frame_passes.back().query);
    glBeginQuery(GL_FRAGMENT_SHADER_INVOCATIONS_ARB, frame_passes.back().shaded);
}

// The passes of the show's parts by the texture they bind (the finale's
// greetings reuse ids the parts before it give to other images).
std::string pass_name(GLuint t) {
    if (current_part == 100 && ((t >= 3000 && t < 3017) || t == 10000)) return "greetings";
    if (t == 5) return "background layers";
    if (t >= 100 && t < 200) return "room";
    if (t >= 200 && t < 300) return "room overlays";
    if (t >= 300 && t < 400) return "tunnel";
    if (t == 900) return "clip";
    if (t == 1000) return "sprites";
    if (t == 1001) return current_part == 100 ? "bolts (untextured)" : "lightning";
    if (t == 3002) return "title quads";
    if (t >= 3004 && t <= 3007) return "text images";
    if (t == 800000) return "white cover";
    return "texture " + std::to_string(t);
}

} // namespace

// Every texture bind of the show goes through here (this definition takes the
// place of the library's for this program) and starts a new pass.
extern "C" GLAPI void GLAPIENTRY glBindTexture(GLenum target, GLuint texture) {
    using Bind = void (*)(GLenum, GLuint);
    static const Bind real = reinterpret_cast<Bind>(dlsym(RTLD_NEXT, "glBindTexture"));
    if (counting) begin_pass(texture);
    real(target, texture);
}

int main(int argc, char** argv) {
    part_run::Options options;
    if (!part_run::parse(argc, argv, "bench_fragments", "PART [--skip-ms N] [--finale-ms N]", &options,
                         [](const std::string&, const char*) { return false; }))
        return 2;

    std::map<std::string, double> sums;  // fragments of each pass over all frames
    std::map<std::string, double> shaded_sums;
    std::vector<std::string> order;      // passes in the order they first appear
    std::vector<double> frame_fragments, frame_shaded, frame_ms, frame_cpu_ms;
    std::chrono::steady_clock::time_point start;
    double cpu_start = 0;
    const int frames = part_run::run(
        options,
        [&](int) {
            start = std::chrono::steady_clock::now();
            cpu_start = part_run::process_cpu_ms();
            counting = true;
            GLint bound = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            begin_pass(static_cast<GLuint>(bound));
        },
        [&](int) {
            end_pass();
            counting = false;
            double total = 0, total_shaded = 0;
            for (const Pass& p : frame_passes) {
                GLuint samples = 0, shaded = 0;
                glGetQueryObjectuiv(p.query, GL_QUERY_RESULT, &samples);
                glGetQueryObjectuiv(p.shaded, GL_QUERY_RESULT, &shaded);
                const std::string name = pass_name(p.texture);
                if (!sums.count(name)) order.push_back(name);
                sums[name] += samples;
                shaded_sums[name] += shaded;
                total += samples;
                total_shaded += shaded;
                spare_sample_queries.push_back(p.query);
                spare_shader_queries.push_back(p.shaded);
            }
            frame_shaded.push_back(total_shaded);
            frame_passes.clear();
            frame_fragments.push_back(total);
        },
        [&](int) {
            frame_ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
            frame_cpu_ms.push_back(part_run::process_cpu_ms() - cpu_start);
        });
    if (frames < 0) return 1;

    const double screen = static_cast<double>(window_width) * window_height;
    const double median_ms = part_run::percentile(frame_ms, 0.5);
    const double median_cpu_ms = part_run::percentile(frame_cpu_ms, 0.5);
    std::printf("part %d: %d frames at %dx%d; frame time (counting on) median %.2f ms, p99 %.2f ms; "
                "CPU time a frame median %.2f ms\n",
                options.part, frames, window_width, window_height, median_ms, part_run::percentile(frame_ms, 0.99),
                median_cpu_ms);
    std::printf("%-20s %14s %8s %14s\n", "pass", "fragments", "screens", "shaded");
    for (const std::string& name : order) {
        const double mean = sums[name] / frames;
        if (mean < 0.5) continue;
        std::printf("%-20s %14.0f %8.2f %14.0f\n", name.c_str(), mean, mean / screen, shaded_sums[name] / frames);
    }
    double mean_total = 0;
    for (double f : frame_fragments) mean_total += f;
    mean_total /= frames;
    const double p99_total = part_run::percentile(frame_fragments, 0.99);
    double mean_shaded = 0;
    for (double f : frame_shaded) mean_shaded += f;
    mean_shaded /= frames;
    std::printf("%-20s %14.0f %8.2f %14.0f (per frame: median %.0f, p99 %.0f)\n", "all", mean_total,
                mean_total / screen, mean_shaded, part_run::percentile(frame_fragments, 0.5), p99_total);

    fill_rate::Rate blended{};
    for (fill_rate::Kind kind : {fill_rate::Kind::blended, fill_rate::Kind::blended_without_fog, fill_rate::Kind::opaque,
                                  fill_rate::Kind::rejected}) {
        const fill_rate::Rate rate = fill_rate::measure(kind, window_width, window_height);
        std::printf("fill: %-38s %.2f ns a fragment, %.2f ns of CPU time\n", fill_rate::name(kind),
                    rate.ns_per_fragment, rate.cpu_ns_per_fragment);
        if (kind == fill_rate::Kind::blended) blended = rate;
    }
    // The part's fragments at the rate of textured, fogged, blended ones:
    // on the clock against the median frame, and in CPU time against the
    // median frame's CPU time, which other work on the machine hardly moves.
    const double fill_ms = mean_total * blended.ns_per_fragment / 1e6;
    const double fill_cpu_ms = mean_total * blended.cpu_ns_per_fragment / 1e6;
    std::printf("summary: part %d fragments %.2f M (p99 frame %.2f M) fill %.2f ms of frame %.2f ms (%.2f); "
                "fill CPU %.2f ms of frame CPU %.2f ms (%.2f)\n",
                options.part, mean_total / 1e6, p99_total / 1e6, fill_ms, median_ms, fill_ms / median_ms, fill_cpu_ms,
                median_cpu_ms, fill_cpu_ms / median_cpu_ms);
    return 0;
}

// Sound in step with the picture: the show's clock starts when the sound card
// first takes sound after the restart, plus the short buffer it holds; and on
// a real sound server (PulseAudio with a null sink, started here) the show's
// stream plays with that short buffer.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/wave_out.h"
#include "tests/support.h"

TEST(AudioSync, TheClockStartsAfterTheCardFirstTakesSoundPlusItsShortBuffer) {
    // Real time: a virtual counter would leave the card's timing out.
    platform_install_virtual_counter(nullptr, 0);
    wave_out_use_sink(nullptr, nullptr);
    AutoEvent event;
    WaveOutDevice* device = wave_out_open(2, 44100, &event);
    if (!device) GTEST_SKIP() << "no audio device: " << wave_out_error();
    std::vector<uint8_t> silence(44100 * 4);
    WaveHeader header = {silence.data(), static_cast<uint32_t>(silence.size()), 0, 0, 0, 0, nullptr};
    wave_out_pause(device);
    wave_out_prepare(device, &header);
    wave_out_write(device, &header);
    const double before_restart = platform_counter() * 1000.0 / platform_counter_frequency();
    wave_out_restart(device);
    const double origin = wave_out_playback_origin(device);
    ASSERT_TRUE(device->pulled);
    EXPECT_GE(device->first_pull_ms, before_restart);
    // At most 1024 frames buffered: about 23 ms at 44.1 kHz.
    EXPECT_GT(device->latency_ms, 0);
    EXPECT_LE(device->latency_ms, 1024 * 1000.0 / 44100 + 0.01);
    EXPECT_DOUBLE_EQ(origin, device->first_pull_ms + device->latency_ms);
    wave_out_reset(device);
}

namespace {
bool have(const char* program) { return std::system((std::string("command -v ") + program + " >/dev/null").c_str()) == 0; }

// A PulseAudio server of this test's own with one null sink, on a socket in a
// scratch folder.
struct SoundServer {
    std::string folder = scratch_path("pulse");
    std::string env;

    SoundServer() {
        env = "HOME=" + folder + " XDG_RUNTIME_DIR=" + folder + " PULSE_SERVER=unix:" + folder + "/native ";
        command_output("mkdir -p " + folder + " && " + env +
                       "pulseaudio -n --daemonize=yes --use-pid-file=yes --exit-idle-time=-1 "
                       "-L 'module-null-sink sink_name=null rate=44100' "
                       "-L 'module-native-protocol-unix auth-anonymous=1 socket=" + folder + "/native' >/dev/null 2>&1");
        for (int k = 0; k < 50 && !ready(); ++k) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ~SoundServer() { command_output(env + "pulseaudio --kill >/dev/null 2>&1"); }
    bool ready() const { return run("pactl info").find("Default Sink: null") != std::string::npos; }
    std::string run(const std::string& command) const { return command_output(env + command + " 2>/dev/null"); }
};

double field_ms(const std::string& text, const std::string& name) {
    const size_t at = text.find(name + ": ");
    return at == std::string::npos ? -1 : std::stod(text.substr(at + name.size() + 2)) / 1000.0;
}
} // namespace

TEST(AudioSync, TheShowPlaysOnARealSoundServerWithAShortBuffer) {
    for (const char* program : {"pulseaudio", "pactl", "parec"})
        if (!have(program)) GTEST_SKIP() << program << " is not installed";
    SoundServer server;
    ASSERT_TRUE(server.ready()) << "the sound server did not start";
    const std::string status_file = server.folder + "/show_status";
    const std::string pid_file = server.folder + "/show_pid";
    command_output("(cd " VAVURAVA_BUILD_DIR " && " + server.env +
                   "SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=pulseaudio ./vavurava-rive --window >/dev/null 2>&1 &"
                   " echo $! > " + pid_file + "; wait $!; echo $? > " + status_file + ") >/dev/null 2>&1 &");
    // A show the test could not end must not outlive it.
    struct Reaper {
        std::string pid_file;
        ~Reaper() { command_output("kill -KILL $(cat " + pid_file + ") 2>/dev/null"); }
    } reaper{pid_file};
    // The stream appears when the device opens and fills once the show has
    // loaded, which a busy machine (or a sanitizer) can stretch.
    std::string inputs;
    for (int k = 0; k < 300 && field_ms(inputs, "Buffer Latency") <= 0; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        inputs = server.run("pactl list sink-inputs");
    }
    ASSERT_NE(inputs.find("Buffer Latency"), std::string::npos) << "the show's stream never appeared";
    // What the server holds for the stream: 1536 frames (34.8 ms) with SDL's
    // old 2048-frame period, 768 (17.4 ms) with 1024.
    const double buffer_ms = field_ms(inputs, "Buffer Latency");
    EXPECT_GT(buffer_ms, 0) << inputs;
    EXPECT_LE(buffer_ms, 25.0) << inputs;
    // The music is heard: what the sink plays is not silence.
    const std::string count = server.run(
        "timeout 3 parec -d null.monitor --raw --format=s16le --rate=44100 --channels=2 2>/dev/null | head -c 176400 | tr -d '\\000' | wc -c");
    EXPECT_GT(std::stol("0" + count), 10000) << "nothing but silence reached the sink";
    // SDL turns the terminate signal into a quit event, as closing the window.
    command_output("kill -TERM $(cat " + pid_file + ")");
    int status = -1;
    for (int k = 0; k < 100 && status < 0; ++k) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        const std::string text = command_output("cat " + status_file + " 2>/dev/null");
        if (!text.empty()) status = std::stoi(text);
    }
    EXPECT_EQ(status, 0);
}

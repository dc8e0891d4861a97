// Recordings in the formats people share, read back by ffprobe and ffmpeg:
// one video and one audio stream of the right codec, size and length, frames
// that match what the capture tool renders for the same show times, and the
// music thread's own sound. The span crosses the hand-over from part 1 to 2.
#include <gtest/gtest.h>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support.h"

namespace {
const int fps = 20;
const char span[] = " --fps 20 --from 6800 --to 7600";
const int span_frames = 16; // 800 ms at 20 fps

struct CaptureResult {
    int status;
    std::string errors;
};

// shell: commands run first in the same shell (limits on the run).
CaptureResult capture(const std::string& arguments, const std::string& shell = "") {
    const std::string errors = scratch_path("errors.txt");
    int status = 0;
    command_output("cd " VAVURAVA_BUILD_DIR " && " + shell + " ./vavurava-capture " + arguments + " 2>" + errors,
                   &status);
    const auto bytes = read_file(errors);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, std::string(bytes.begin(), bytes.end())};
}

bool record(const std::string& arguments) {
    const CaptureResult run = capture(arguments);
    EXPECT_EQ(run.status, 0) << arguments << "\n" << run.errors;
    return run.status == 0;
}

bool have_ffmpeg() { return std::system("command -v ffmpeg >/dev/null && command -v ffprobe >/dev/null") == 0; }

// ffprobe's view of one stream ("video" or "audio"): its entries by name,
// frames counted by decoding.
std::map<std::string, std::string> probe(const std::string& path, const char* type) {
    const std::string text =
        command_output(std::string("ffprobe -v error -count_frames -select_streams ") + type[0] +
                       " -show_entries stream=codec_name,pix_fmt,width,height,nb_read_frames,sample_rate,"
                       "channels:format=duration -of default=nw=1 " + path);
    std::map<std::string, std::string> entries;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) entries[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return entries;
}

int stream_count(const std::string& path) {
    return std::stoi("0" + command_output("ffprobe -v error -show_entries format=nb_streams -of csv=p=0 " + path));
}

std::vector<std::vector<uint8_t>> decode_frames(const std::string& input, int width, int height) {
    const std::string bytes = command_output("ffmpeg -v error -i " + input + " -f rawvideo -pix_fmt rgb24 -");
    const size_t frame = static_cast<size_t>(width) * height * 3;
    std::vector<std::vector<uint8_t>> frames;
    for (size_t at = 0; at + frame <= bytes.size(); at += frame)
        frames.emplace_back(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                            bytes.begin() + static_cast<std::ptrdiff_t>(at + frame));
    return frames;
}

// 44.1 kHz stereo 16-bit, as the music thread plays it.
std::vector<int16_t> decode_sound(const std::string& input) {
    const std::string bytes = command_output("ffmpeg -v error -i " + input + " -f s16le -ar 44100 -ac 2 -");
    std::vector<int16_t> samples(bytes.size() / 2);
    std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

double snr_db(const std::vector<int16_t>& reference, const std::vector<int16_t>& test) {
    double signal = 0, noise = 0;
    for (size_t k = 0; k < reference.size() && k < test.size(); ++k) {
        const double d = double(reference[k]) - test[k];
        signal += double(reference[k]) * reference[k];
        noise += d * d;
    }
    return noise == 0 ? 99.0 : 10 * std::log10(signal / noise);
}

// The frames and sound of the span as a PNG sequence with a WAV.
struct Reference {
    std::vector<std::vector<uint8_t>> frames;
    std::vector<int16_t> sound;
};

// Made once per size and kept: a sequence's folder takes one sequence only.
Reference reference_recording(const std::string& arguments, int width, int height) {
    static std::map<int, Reference> made;
    if (made.count(width)) return made[width];
    const std::string folder = scratch_path("reference" + std::to_string(width) + "/");
    if (!record("-o " + folder + arguments)) return {};
    return made[width] = {decode_frames(folder + "%06d.png", width, height), decode_sound(folder + "sound.wav")};
}

struct Quality {
    double luma = 0, rgb = 0; // mean PSNR over the frames, dB
};

Quality compare_frames(const std::vector<std::vector<uint8_t>>& reference,
                       const std::vector<std::vector<uint8_t>>& frames) {
    Quality q;
    EXPECT_EQ(frames.size(), reference.size());
    const size_t n = std::min(frames.size(), reference.size());
    for (size_t k = 0; k < n; ++k) {
        q.luma += luma_psnr(reference[k], frames[k]) / n;
        q.rgb += psnr(reference[k], frames[k]) / n;
    }
    return q;
}

struct Expected {
    const char* file;
    const char* extra_arguments;
    const char* video_codec;
    const char* pixels;
    const char* audio_codec;
    double min_luma_db;     // 99: every frame exact
    double min_sound_snr_db; // 99: every sample exact
};

void check_recording(const Expected& e) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const Reference reference = reference_recording(span, 800, 600);
    ASSERT_EQ(reference.frames.size(), static_cast<size_t>(span_frames));
    const std::string path = scratch_path(e.file);
    ASSERT_TRUE(record("-o " + path + span + e.extra_arguments));

    EXPECT_EQ(stream_count(path), 2);
    auto video = probe(path, "video");
    EXPECT_EQ(video["codec_name"], e.video_codec);
    EXPECT_EQ(video["pix_fmt"], e.pixels);
    EXPECT_EQ(video["width"], "800");
    EXPECT_EQ(video["height"], "600");
    EXPECT_EQ(video["nb_read_frames"], std::to_string(span_frames));
    auto audio = probe(path, "audio");
    EXPECT_EQ(audio["codec_name"], e.audio_codec);
    EXPECT_EQ(audio["channels"], "2");
    EXPECT_NEAR(std::stod("0" + audio["duration"]), span_frames / double(fps), 1.0 / fps);

    const Quality q = compare_frames(reference.frames, decode_frames(path, 800, 600));
    EXPECT_GE(q.luma, e.min_luma_db) << "RGB " << q.rgb << " dB";
    std::printf("%s: luma %.2f dB, RGB %.2f dB over %d frames\n", e.file, q.luma, q.rgb, span_frames);

    const std::vector<int16_t> sound = decode_sound(path);
    // Same length to within one frame, and the same sound from the start.
    EXPECT_NEAR(double(sound.size()), double(reference.sound.size()), 2.0 * 44100 / fps);
    const double snr = snr_db(reference.sound, sound);
    EXPECT_GE(snr, e.min_sound_snr_db);
    std::printf("%s: sound %.2f dB SNR\n", e.file, snr);
}
} // namespace

TEST(RecordingFormats, PngSequenceHoldsEveryRenderedFrameExactlyWithTheSoundBeside) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string folder = scratch_path("shots/"), frames = scratch_path("frames");
    ASSERT_TRUE(record("-o " + folder + span));
    ASSERT_EQ(mkdir(frames.c_str(), 0777), 0);
    std::string times;
    for (int k = 0; k < span_frames; ++k) times += (k ? "," : "") + std::to_string(6800 + k * 1000 / fps);
    ASSERT_TRUE(record("--frames " + times + " -o " + frames + " --fps 20"));
    for (int k = 0; k < span_frames; ++k) {
        char name[32];
        std::snprintf(name, sizeof name, "%06d.png", k + 1);
        const auto picture = decode_frames(folder + name, 800, 600);
        const auto rendered = decode_frames(frames + "/frame_" + std::to_string(6800 + k * 1000 / fps) + ".png", 800, 600);
        ASSERT_EQ(picture.size(), 1u) << name;
        EXPECT_TRUE(picture == rendered) << name;
    }
    struct stat info;
    EXPECT_NE(stat((folder + "000017.png").c_str(), &info), 0);
    auto sound = probe(folder + "sound.wav", "audio");
    EXPECT_EQ(sound["codec_name"], "pcm_s16le");
    EXPECT_EQ(sound["sample_rate"], "44100");
    // Exactly the span: 800 ms of stereo samples.
    EXPECT_EQ(decode_sound(folder + "sound.wav").size(), 2u * 44100 * span_frames / fps);
}

// Over the span the music is a snare roll, a noise riser and a cymbal hit,
// whose waveform lossy codecs keep least well (AAC about 27 dB SNR, Opus 20);
// a sound out of step or not the show's own falls far below either check.
TEST(RecordingFormats, Mp4IsH264AndAacCloseToTheRenderedFrames) {
    check_recording({"show.mp4", "", "h264", "yuv420p", "aac", 42, 24});
}

TEST(RecordingFormats, MkvIsH264WithTheSoundExact) {
    check_recording({"show.mkv", "", "h264", "yuv420p", "flac", 42, 99});
}

TEST(RecordingFormats, LosslessMkvHoldsEveryFrameAndSampleExactly) {
    check_recording({"master.mkv", " --lossless", "ffv1", "bgr0", "flac", 99, 99});
}

// Opus keeps what is heard, not the waveform, so its check is looser than AAC's.
TEST(RecordingFormats, WebmIsVp9AndOpusCloseToTheRenderedFrames) {
    check_recording({"show.webm", "", "vp9", "yuv420p", "opus", 40, 16});
}

// The first 400 ms: the show's start is the cheapest place to render large.
TEST(RecordingFormats, Mp4At1600x1200IsRenderedAtThatSize) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string start = " --fps 20 --to 400 --size 1600x1200";
    const Reference reference = reference_recording(start, 1600, 1200);
    const std::string path = scratch_path("large.mp4");
    ASSERT_TRUE(record("-o " + path + start));
    auto video = probe(path, "video");
    EXPECT_EQ(video["width"], "1600");
    EXPECT_EQ(video["height"], "1200");
    EXPECT_EQ(video["nb_read_frames"], "8");
    const Quality q = compare_frames(reference.frames, decode_frames(path, 1600, 1200));
    EXPECT_GE(q.luma, 42) << "RGB " << q.rgb << " dB";
    std::printf("large.mp4: luma %.2f dB, RGB %.2f dB\n", q.luma, q.rgb);
}

TEST(RecordingFormats, TheSameMp4TwiceIsByteIdentical) {
    const std::string a = scratch_path("a.mp4"), b = scratch_path("b.mp4");
    ASSERT_TRUE(record("-o " + a + span));
    ASSERT_TRUE(record("-o " + b + span));
    const auto bytes = read_file(a);
    EXPECT_GT(bytes.size(), 10000u);
    EXPECT_TRUE(bytes == read_file(b));
}

// Supersampling renders at twice the size and averages each 2 x 2 block.
TEST(RecordingFormats, SupersampledFrameIsTheLargeRenderFilteredDown) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string small = scratch_path("ssaa.png"), large = scratch_path("large.png");
    // A credit sliding over the first clip: hard edges on moving video.
    ASSERT_TRUE(record("--fps 5 --frame 9000 --ssaa 2 -o " + small));
    ASSERT_TRUE(record("--fps 5 --frame 9000 --size 1600x1200 -o " + large));
    const auto filtered = decode_frames(small, 800, 600), big = decode_frames(large, 1600, 1200);
    ASSERT_EQ(filtered.size(), 1u);
    ASSERT_EQ(big.size(), 1u);
    std::vector<uint8_t> averaged(filtered[0].size());
    const size_t row = 1600 * 3;
    for (size_t y = 0; y < 600; ++y)
        for (size_t x = 0; x < 800 * 3; ++x) {
            const size_t at = 2 * y * row + (x / 3) * 6 + x % 3;
            averaged[y * 800 * 3 + x] =
                static_cast<uint8_t>((big[0][at] + big[0][at + 3] + big[0][at + row] + big[0][at + row + 3] + 2) / 4);
        }
    EXPECT_GT(psnr(averaged, filtered[0]), 50);
}

namespace {
// Temporaries ("NAME.XXXXXX.part") left in the scratch folder.
int temporaries_left() {
    int count = 0;
    if (DIR* dir = opendir(scratch_path("").c_str())) {
        while (const dirent* entry = readdir(dir))
            if (std::string(entry->d_name).find(".part") != std::string::npos) ++count;
        closedir(dir);
    }
    return count;
}
} // namespace

// A bad command line costs no rendering: one line naming the problem, status
// 2 (1 when the output cannot be written), and no file left behind; nor does
// a disk that fills up while the recording is written, or an encoder that
// cannot start for want of memory. A folder that holds numbered pictures
// already is refused rather than mixed with a new sequence.
TEST(RecordingFormats, BadArgumentsAndFailuresGiveOneLineAndLeaveNoFile) {
    const std::string folder_named_like_a_file = scratch_path("taken.mp4");
    ASSERT_EQ(mkdir(folder_named_like_a_file.c_str(), 0777), 0);
    const std::string device = scratch_path("device.mp4");
    ASSERT_EQ(symlink("/dev/full", device.c_str()), 0);
    const std::string sequence = scratch_path("sequence/");
    ASSERT_EQ(mkdir(sequence.c_str(), 0777), 0);
    write_file(sequence + "000003.png", {1, 2, 3});
    struct Case {
        std::string output, arguments;
        int status;
        const char* says;
        std::string shell = ""; // run before the tool: limits on this run
    };
    const Case cases[] = {
        {scratch_path("bad.avi"), "", 2, "-o takes .mp4"},
        {scratch_path("bad.mp4"), " --size 800x601", 2, "--size: 800x601 is not 4:3"},
        {scratch_path("bad.mp4"), " --size 800x600x", 2, "--size: '800x600x' is not"},
        {scratch_path("bad.mp4"), " --lossless", 2, "--lossless: only .mkv"},
        {scratch_path("bad.mp4"), " --crf 52", 2, "--crf: '52' is not from 0 to 51"},
        {scratch_path("bad.ogm"), " --crf 20", 2, "--crf: .ogm has no quality setting"},
        {scratch_path("bad.mp4"), " --ssaa 4", 2, "--ssaa: '4' is not"},
        {scratch_path("bad.mp4"), " --size 36x27", 2, "needs an even width and height"},
        {scratch_path("missing/bad.mp4"), "", 1, "cannot write (no folder"},
        {folder_named_like_a_file, "", 1, "cannot write (is a folder)"},
        {device, "", 1, "cannot write (is not a regular file)"},
        {sequence, "", 1, "cannot write (the folder already holds numbered pictures, such as 000003.png"},
        // A full disk, as a file size limit: writes fail with EFBIG.
        {scratch_path("full.mp4"), " --fps 20 --to 3000", 1, "cannot write: File too large; nothing kept",
         "trap '' XFSZ; ulimit -f 200;"},
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__) // they reserve more than the limit
        // x264 cannot get the memory for a picture this large.
        {scratch_path("huge.mp4"), " --size 8192x6144 --to 20", 1, "; nothing kept", "ulimit -v 2000000;"},
#endif
    };
    for (const Case& c : cases) {
        const CaptureResult run = capture("-o " + c.output + c.arguments, c.shell);
        EXPECT_EQ(run.status, c.status) << c.output << c.arguments << "\n" << run.errors;
        // A mistake's line comes first, before the usage; a failure's last.
        const std::string line = c.status == 2 ? run.errors.substr(0, run.errors.find('\n'))
                                               : run.errors.substr(run.errors.rfind('\n', run.errors.size() - 2) + 1);
        EXPECT_NE(line.find(c.says), std::string::npos) << run.errors;
        EXPECT_EQ(line.rfind(c.status == 2 ? "vavurava-capture: " : "capture: ", 0), 0u) << run.errors;
        struct stat info;
        if (c.output == folder_named_like_a_file || c.output == device) continue;
        if (c.output == sequence) {
            EXPECT_EQ(stat((sequence + "000001.png").c_str(), &info), -1);
            EXPECT_EQ(stat((sequence + "000003.png").c_str(), &info), 0);
        } else {
            EXPECT_NE(lstat(c.output.c_str(), &info), 0) << c.output;
        }
    }
    EXPECT_EQ(temporaries_left(), 0);
}

// A file appears under its name only when complete: a recording killed
// outright leaves nothing there (its temporary stays beside it); SIGTERM
// stops one and finishes the file, which plays with both streams ending
// together, status 143.
TEST(RecordingFormats, KilledMp4LeavesNoFileAndTerminatedOnePlays) {
    if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
    const std::string path = scratch_path("interrupted.mp4"), errors = scratch_path("interrupted.txt");
    int status = 0;
    for (int signal_number : {SIGKILL, SIGTERM}) {
        const pid_t pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            if (chdir(VAVURAVA_BUILD_DIR) != 0 || !std::freopen(errors.c_str(), "w", stderr)) _exit(127);
            execl("./vavurava-capture", "vavurava-capture", "-o", path.c_str(), "--fps", "20", nullptr);
            _exit(127);
        }
        // Once frames are being written, let a few seconds of show be recorded.
        const std::string temporaries = "ls " + path + ".*.part 2>/dev/null | head -1";
        std::string temporary;
        struct stat info;
        for (int k = 0; k < 600; ++k) {
            temporary = command_output(temporaries);
            if (!temporary.empty()) temporary.pop_back();
            if (!temporary.empty() && stat(temporary.c_str(), &info) == 0 && info.st_size > 0) break;
            usleep(100000);
        }
        sleep(2);
        EXPECT_NE(stat(path.c_str(), &info), 0) << "the name is taken before the recording is complete";
        kill(pid, signal_number);
        pid_t ended = 0;
        for (int k = 0; k < 600 && (ended = waitpid(pid, &status, WNOHANG)) == 0; ++k) usleep(100000);
        if (ended == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            FAIL() << "the recording did not stop on signal " << signal_number;
        }
        if (signal_number == SIGKILL) {
            EXPECT_NE(stat(path.c_str(), &info), 0) << "a killed recording took the name";
            std::remove(temporary.c_str());
        }
    }
    const auto said = read_file(errors);
    const std::string text(said.begin(), said.end());
    ASSERT_TRUE(WIFEXITED(status)) << text;
    EXPECT_EQ(WEXITSTATUS(status), 143) << text;
    EXPECT_NE(text.find("stopped early; kept"), std::string::npos) << text;

    EXPECT_EQ(stream_count(path), 2);
    const int frames = std::stoi("0" + probe(path, "video")["nb_read_frames"]);
    EXPECT_GT(frames, 0);
    EXPECT_EQ(decode_frames(path, 800, 600).size(), static_cast<size_t>(frames));
    const double sound_s = std::stod("0" + probe(path, "audio")["duration"]);
    EXPECT_NEAR(sound_s, frames / double(fps), 1.0 / fps);
    std::printf("interrupted.mp4: %d frames, %.3f s of sound\n", frames, sound_s);
    EXPECT_EQ(temporaries_left(), 0);
}

// Reads the music file whole into one Ogg stream state, then takes the Vorbis
// headers from it and sets up the decoder.
#include <cstdio>
#include <cstdlib>

#include "audio/music_state.h"

ogg_stream_state music_stream;
vorbis_info music_info;
vorbis_comment music_comment;
vorbis_dsp_state music_dsp;
vorbis_block music_block;
bool stream_exhausted;
int32_t music_pages_read;
const char* music_name = "";

namespace {
ogg_sync_state music_sync;
bool sync_made, stream_made, info_made, decoder_made;
int skipped_spans;

void report(const char* what, const char* problem) {
    std::fprintf(stderr, "audio: %s: %s; the show runs without music\n", what, problem);
}

// The whole file goes into one stream state, and libogg grows its body by
// each page's size alone: a copy of everything read so far per page wherever
// realloc cannot grow in place (a sanitizer's allocator, for one). Doubling
// the body (its fields are public) keeps the reading linear.
bool reserve_body(ogg_stream_state* stream, long needed) {
    if (stream->body_storage - stream->body_fill > needed) return true;
    const long storage = 2 * (stream->body_fill + needed) + 4096;
    void* grown = std::realloc(stream->body_data, static_cast<size_t>(storage));
    if (!grown) return false;
    stream->body_data = static_cast<unsigned char*>(grown);
    stream->body_storage = storage;
    return true;
}

// A second reading (tests, fuzzing) starts from clean library state.
void release_previous() {
    if (decoder_made) {
        vorbis_block_clear(&music_block);
        vorbis_dsp_clear(&music_dsp);
        decoder_made = false;
    }
    if (info_made) {
        vorbis_comment_clear(&music_comment);
        vorbis_info_clear(&music_info);
        info_made = false;
    }
    if (stream_made) {
        ogg_stream_clear(&music_stream);
        stream_made = false;
    }
    if (sync_made) ogg_sync_clear(&music_sync);
    sync_made = false;
}
} // namespace

bool read_music_stream(MusicRead read, void* source, const char* what) {
    release_previous();
    music_name = what;
    ogg_sync_init(&music_sync);
    ogg_sync_reset(&music_sync);
    sync_made = true;
    stream_exhausted = false;
    music_pages_read = 0;
    bool end_seen = false;
    int damaged_spans = 0;
    while (!end_seen) {
        char* into = ogg_sync_buffer(&music_sync, 4096);
        bool failed = false;
        const size_t count = read(source, reinterpret_cast<uint8_t*>(into), 4096, &failed);
        if (failed) {
            report(what, "read error");
            return false;
        }
        // Without an end-of-stream page the end of the file ends the reading.
        if (count == 0) {
            report(what, "no end-of-stream page");
            return false;
        }
        ogg_sync_wrote(&music_sync, static_cast<long>(count));
        ogg_page page;
        int paged;
        while ((paged = ogg_sync_pageout(&music_sync, &page)) != 0) {
            // Bytes that are not a whole page with a good checksum are
            // skipped; the pages after them are still read.
            if (paged < 0) {
                ++damaged_spans;
                continue;
            }
            // Only the first logical stream is read: a later beginning (a
            // chained or multiplexed file) would otherwise throw away what
            // was read so far.
            if (ogg_page_bos(&page) && !stream_made) {
                ogg_stream_init(&music_stream, ogg_page_serialno(&page));
                ogg_stream_reset(&music_stream);
                stream_made = true;
            }
            if (ogg_page_eos(&page)) end_seen = true;
            if (stream_made && !reserve_body(&music_stream, page.body_len)) {
                report(what, "out of memory");
                return false;
            }
            if (stream_made && ogg_stream_pagein(&music_stream, &page) == 0) ++music_pages_read;
        }
    }
    // Told once the headers are read: a file refused there is named once.
    skipped_spans = damaged_spans;
    return true;
}

bool read_music_headers(const char* what) {
    vorbis_info_init(&music_info);
    vorbis_comment_init(&music_comment);
    info_made = true;
    if (!stream_made) {
        report(what, "no Vorbis headers");
        return false;
    }
    int headers = 0;
    ogg_packet packet;
    for (;;) {
        const int got = ogg_stream_packetout(&music_stream, &packet);
        if (got < 0) continue;  // a gap in the data; the next packet follows
        if (got == 0) {
            report(what, headers == 0 ? "no Vorbis headers" : headers < 3 ? "incomplete Vorbis headers"
                                                                       : "no audio packet");
            return false;
        }
        if (vorbis_synthesis_headerin(&music_info, &music_comment, &packet) >= 0) {
            ++headers;
            continue;
        }
        // The first packet refused is the first audio packet; it is not
        // decoded.
        if (headers < 3) {
            report(what, headers == 0 ? "no Vorbis headers" : "incomplete Vorbis headers");
            return false;
        }
        break;
    }
    // The last packet a refill decodes may overshoot the refill target by up
    // to half a long block per channel; that must fit the accumulator.
    const long long worst_fill = (refill_target_bytes - 2) +
                                 static_cast<long long>(music_info.channels) * vorbis_info_blocksize(&music_info, 1);
    if (music_info.channels < 1 || worst_fill > pcm_accumulator_bytes) {
        char problem[160];
        std::snprintf(problem, sizeof(problem), "%d channels with %d-sample blocks do not fit the decode buffer",
                      music_info.channels, vorbis_info_blocksize(&music_info, 1));
        report(what, problem);
        return false;
    }
    if (vorbis_synthesis_init(&music_dsp, &music_info) != 0) {
        report(what, "the decoder cannot be set up");
        return false;
    }
    vorbis_block_init(&music_dsp, &music_block);
    decoder_made = true;
    if (skipped_spans > 0)
        std::fprintf(stderr, "audio: %s: %d damaged stretch%s of data skipped; the music plays with gaps\n", what,
                     skipped_spans, skipped_spans == 1 ? "" : "es");
    return true;
}

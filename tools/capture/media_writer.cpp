// Picks the writer for a recording's output kind.
#include "media_writer.h"

std::unique_ptr<MediaWriter> open_media_writer(const OutputFormat& format, const MediaLayout& layout,
                                               std::string* problem) {
    if (format.kind == OutputKind::ogm) return open_ogm_writer(format, layout, problem);
    return open_ffmpeg_writer(format, layout, problem);
}

// Payload extraction for OGM packets.
#include "video/ogm_packet.h"

#include <cstring>

int32_t ogm_length_bytes(uint8_t flag) {
    return ((flag >> 6) & 3) | ((flag & 2) << 1);
}

bool append_packet_payload(uint8_t* block, const ogg_packet* packet, uint32_t* fill) {
    if (packet->bytes < 1) return false;
    const int32_t k = ogm_length_bytes(packet->packet[0]);
    if (packet->bytes < 1 + k) return false;
    const uint32_t count = static_cast<uint32_t>(packet->bytes - 1 - k);
    std::memcpy(block + *fill, packet->packet + 1 + k, count);
    *fill += count;
    return true;
}

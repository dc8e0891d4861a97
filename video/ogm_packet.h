// The OGM packet layout: a flag byte, 0 to 7 length bytes, then the payload
// that the clip loader gathers into one block.
#pragma once
#include <ogg/ogg.h>

#include <cstdint>

// Number of length bytes after the flag byte b: bits 6-7 give bits 0-1,
// bit 1 gives bit 2.
int32_t ogm_length_bytes(uint8_t flag);

// Appends the packet's payload to block at *fill and advances *fill by its
// size. Returns false (and appends nothing) when the packet is too short to
// hold its flag byte and length bytes.
bool append_packet_payload(uint8_t* block, const ogg_packet* packet, uint32_t* fill);

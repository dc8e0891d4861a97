// The two geometry tables, generated at build time by the data builder and
// compiled into the show. Byte layout: the MeshTable format read by build_mesh.
#pragma once

extern const unsigned char room_table[];
extern const unsigned int room_table_size;
extern const unsigned char ring_table[];
extern const unsigned int ring_table_size;

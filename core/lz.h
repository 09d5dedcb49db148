// The LZ unpacker: expands the game's one packed stream (packed models of scene streams and
// containers, the IZ pictures of films).
#pragma once
#include <cstdint>

// A stream mixes 32-bit little-endian control words, whose bits are taken from the top bit down, with
// the data bytes of its codes in the order they are consumed:
//   1           + byte c                 literal c
//   0 0 h l     + byte b                 match, length 2h + l + 2 (2..5), distance 256 - b (1..256)
//   0 1         + word w (w & 7 != 0)    match, length (w & 7) + 2 (3..9), distance 8192 - (w >> 3)
//   0 1         + word w (w & 7 == 0)
//               + byte n (n != 0)        match of the same distance, length n + 2 (3..257)
//   0 1         + word w + byte 0        end of stream
// A new control word is read where the stream stands the moment a bit is needed and the current word
// is used up, so it may sit between a code's bits and its data. Matches copy forward one byte at a
// time: a distance shorter than the length repeats the last bytes.
//
// Nothing in the stream states a size. Control words, 16-bit words and match sources are read byte by
// byte, so source and destination may lie at any address.

// Unpacks a whole stream and returns the number of bytes written. It trusts the stream: a damaged
// one reads and writes wherever its codes say, and it writes nothing past the unpacked bytes. Only for
// data made in memory by the program itself; everything read from a file goes through the bounded form,
// which is also the faster one.
int32_t LZ_Unpack(const uint8_t *source, uint8_t *destination);

// The form for data read from files. Returns the number of bytes written, or -1 when a match would
// reach before the destination's start, when output would pass the capacity, or when a control word,
// data byte or data word would be read at or past the source length. It never reads outside
// [source, source + sourceLength) nor writes outside [destination, destination + destinationCapacity);
// bytes written before a failing code stay. Bytes after the end code are not read. Where the room
// allows it copies in fixed 16-byte moves, so the room past the unpacked bytes (up to 31 of them) may
// be scribbled on: give it a buffer of its own, not a window into live data.
int32_t LZ_UnpackChecked(const uint8_t *source, uint32_t sourceLength, uint8_t *destination,
                         uint32_t destinationCapacity);

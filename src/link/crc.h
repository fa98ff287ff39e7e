// CRC-16/MODBUS and byte-order helpers shared by the link layer and the simulated instrument.
// Pure functions on byte buffers: no I/O, so they are tested alone.
#pragma once

// One checksum step for one byte (only its low 8 bits count). Start at 0xFFFF.
unsigned CRC16(unsigned crc, unsigned byte);

// Checksum of a whole buffer, as appended to a frame (low byte first).
unsigned FrameCrc(const unsigned char *bytes, int count);

// Appends the checksum of bytes[0..count) at bytes[count], bytes[count+1]; returns count + 2.
int AppendCrc(unsigned char *bytes, int count);

// 1 when the last two bytes of a frame of `count` bytes hold the checksum of the rest.
int CrcMatches(const unsigned char *bytes, int count);

// In-place byte-order conversion between wire order and memory order. Width 2 swaps the two
// bytes of a 16-bit value; width 4 swaps the bytes inside each 16-bit half of a 32-bit value and
// keeps the halves (the wire carries the low half first).
void Buff(char *bytes, int width);

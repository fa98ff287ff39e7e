// CRC-16/MODBUS (reflected polynomial 0xA001, initial 0xFFFF, no final XOR) and byte swaps.
#include "link/crc.h"

unsigned CRC16(unsigned crc, unsigned byte) {
    crc ^= byte & 0xFFu;
    for (int i = 0; i < 8; ++i) crc = (crc & 1u) ? (crc >> 1) ^ 0xA001u : crc >> 1;
    return crc & 0xFFFFu;
}

unsigned FrameCrc(const unsigned char *bytes, int count) {
    unsigned crc = 0xFFFF;
    for (int i = 0; i < count; ++i) crc = CRC16(crc, bytes[i]);
    return crc;
}

int AppendCrc(unsigned char *bytes, int count) {
    unsigned crc = FrameCrc(bytes, count);
    bytes[count] = static_cast<unsigned char>(crc & 0xFF);
    bytes[count + 1] = static_cast<unsigned char>(crc >> 8);
    return count + 2;
}

int CrcMatches(const unsigned char *bytes, int count) {
    if (count < 3) return 0;
    unsigned crc = FrameCrc(bytes, count - 2);
    return bytes[count - 2] == (crc & 0xFF) && bytes[count - 1] == (crc >> 8);
}

void Buff(char *bytes, int width) {
    char t;
    if (width == 2 || width == 4) {
        t = bytes[0], bytes[0] = bytes[1], bytes[1] = t;
    }
    if (width == 4) {
        t = bytes[2], bytes[2] = bytes[3], bytes[3] = t;
    }
}

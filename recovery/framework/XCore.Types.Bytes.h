// XCore.Types.Bytes.h: byte arrays and byte patterns of the recovery program, and the FAT12
// entry unpacking. Plain functions; any thread may call them.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>
#include <vector>

using TXByteArray = std::vector<uint8_t>;
// A list of byte patterns (the signature table's first bytes, for example).
using TXByteArrays = std::vector<TXByteArray>;

// The 12-bit entry of the even (AOdd False) or odd member of the 3 bytes at AEntries, which
// hold two FAT12 entries.
uint16_t UnpackFAT12Entry(const uint8_t* AEntries, bool AOdd);
void ByteStringToBytes(std::string_view AText, TXByteArray& ABytes);
void ByteArrayFromBytes(std::initializer_list<uint8_t> ASource, TXByteArray& ABytes);
void AddByteArray(std::initializer_list<uint8_t> ASource, TXByteArrays& AArrays);

// XCore.Types.Bytes.cpp: byte arrays and FAT12 entries.
#include "XCore.Types.Bytes.h"

uint16_t UnpackFAT12Entry(const uint8_t* AEntries, bool AOdd)
{
    if (AOdd)
        return static_cast<uint16_t>((AEntries[1] >> 4) | AEntries[2] << 4);
    return static_cast<uint16_t>(AEntries[0] | (AEntries[1] & 0x0F) << 8);
}

void ByteStringToBytes(std::string_view AText, TXByteArray& ABytes)
{
    ABytes.assign(AText.begin(), AText.end());
}

void ByteArrayFromBytes(std::initializer_list<uint8_t> ASource, TXByteArray& ABytes)
{
    ABytes.assign(ASource.begin(), ASource.end());
}

void AddByteArray(std::initializer_list<uint8_t> ASource, TXByteArrays& AArrays)
{
    AArrays.emplace_back(ASource.begin(), ASource.end());
}

// Win.Version.cpp: reads the version section of an ELF file.
#include "Win.Version.h"

#include <elf.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <vector>

#include "Rtl.Files.h"

namespace {

// All ACount bytes at AOffset; an offset past what a file can hold fails like a short read.
bool ReadBytesAt(int AFile, uint64_t AOffset, void* ABuffer, size_t ACount)
{
    if (AOffset > uint64_t(INT64_MAX))
        return false;
    auto* Into = static_cast<char*>(ABuffer);
    while (ACount > 0) {
        ssize_t Read = ::pread(AFile, Into, ACount, static_cast<off_t>(AOffset));
        if (Read < 0 && errno == EINTR)
            continue;
        if (Read <= 0)
            return false;
        Into += Read;
        AOffset += static_cast<uint64_t>(Read);
        ACount -= static_cast<size_t>(Read);
    }
    return true;
}

template <class T>
bool ReadAt(int AFile, uint64_t AOffset, T& AValue)
{
    return ReadBytesAt(AFile, AOffset, &AValue, sizeof AValue);
}

// The section "nv_version" of a 64-bit ELF file. Every offset and size comes from the file, so
// each is checked before use: any file may be asked for its version.
bool ReadEmbeddedVersion(int AFile, TEmbeddedFileVersion& AVersion)
{
    Elf64_Ehdr Header;
    if (!ReadAt(AFile, 0, Header) || std::memcmp(Header.e_ident, ELFMAG, SELFMAG) != 0
        || Header.e_ident[EI_CLASS] != ELFCLASS64 || Header.e_shentsize != sizeof(Elf64_Shdr)
        || Header.e_shstrndx >= Header.e_shnum)
        return false;
    auto SectionAt = [&](uint64_t AIndex, Elf64_Shdr& ASection) {
        return ReadAt(AFile, Header.e_shoff + AIndex * sizeof(Elf64_Shdr), ASection);
    };
    Elf64_Shdr Names;
    if (!SectionAt(Header.e_shstrndx, Names))
        return false;
    constexpr char kName[] = "nv_version";
    for (uint64_t I = 0; I < Header.e_shnum; ++I) {
        Elf64_Shdr Section;
        if (!SectionAt(I, Section) || Section.sh_name >= Names.sh_size || Section.sh_size < sizeof AVersion)
            continue;
        char Name[sizeof kName] = {};
        if (!ReadBytesAt(AFile, Names.sh_offset + Section.sh_name, Name, sizeof Name)
            || std::memcmp(Name, kName, sizeof kName) != 0)
            continue;
        return ReadAt(AFile, Section.sh_offset, AVersion)
               && std::memcmp(AVersion.Marker, kFileVersionMarker, sizeof kFileVersionMarker) == 0;
    }
    return false;
}

}  // namespace

bool GetFileVersionInfo(const String& AFileName, VS_FIXEDFILEINFO& AInfo)
{
    AInfo = VS_FIXEDFILEINFO();
    // Any path may be asked: a FIFO must not stop the program, a device is no program file.
    int File = OpenDataFile(NativePath(AFileName), O_RDONLY);
    if (File < 0)
        return false;
    TEmbeddedFileVersion Version;
    bool Found = ReadEmbeddedVersion(File, Version);
    ::close(File);
    if (!Found)
        return false;
    AInfo.dwFileVersionMS = static_cast<uint32_t>(Version.Major) << 16 | Version.Minor;
    AInfo.dwFileVersionLS = static_cast<uint32_t>(Version.Release) << 16 | Version.Build;
    return true;
}

// Win.Version.cpp: reads the version section of an ELF file.
#include "Win.Version.h"

#include <elf.h>

#include <cstring>
#include <fstream>
#include <vector>

#include "Rtl.Files.h"

namespace {

template <class T>
bool ReadAt(std::ifstream& AFile, uint64_t AOffset, T& AValue)
{
    AFile.seekg(static_cast<std::streamoff>(AOffset));
    AFile.read(reinterpret_cast<char*>(&AValue), sizeof AValue);
    return static_cast<bool>(AFile);
}

// The section "nv_version" of a 64-bit ELF file. Every offset and size comes from the file, so
// each is checked before use: any file may be asked for its version.
bool ReadEmbeddedVersion(std::ifstream& AFile, TEmbeddedFileVersion& AVersion)
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
        AFile.clear();
        Elf64_Shdr Section;
        if (!SectionAt(I, Section) || Section.sh_name >= Names.sh_size || Section.sh_size < sizeof AVersion)
            continue;
        char Name[sizeof kName] = {};
        AFile.seekg(static_cast<std::streamoff>(Names.sh_offset + Section.sh_name));
        AFile.read(Name, sizeof Name);   // a short read leaves a name that does not match
        if (std::memcmp(Name, kName, sizeof kName) != 0)
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
    std::ifstream File(NativePath(AFileName), std::ios::binary);
    TEmbeddedFileVersion Version;
    if (!File || !ReadEmbeddedVersion(File, Version))
        return false;
    AInfo.dwFileVersionMS = static_cast<uint32_t>(Version.Major) << 16 | Version.Minor;
    AInfo.dwFileVersionLS = static_cast<uint32_t>(Version.Release) << 16 | Version.Build;
    return true;
}

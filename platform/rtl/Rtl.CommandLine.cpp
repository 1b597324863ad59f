// Rtl.CommandLine.cpp: parameters from /proc/self/cmdline, read once.
#include "Rtl.CommandLine.h"

#include <unistd.h>

#include <climits>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

const std::vector<String>& Parameters()
{
    static const std::vector<String> List = [] {
        std::ifstream File("/proc/self/cmdline", std::ios::binary);
        String Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
        std::vector<String> Result;
        for (size_t Start = 0; Start < Bytes.size();) {
            size_t End = Bytes.find('\0', Start);
            if (End == String::npos)
                End = Bytes.size();
            Result.push_back(Bytes.substr(Start, End - Start));
            Start = End + 1;
        }
        // Parameter 0 is the program's full path, whatever name it was started by.
        char Path[PATH_MAX];
        ssize_t Length = ::readlink("/proc/self/exe", Path, sizeof Path);
        if (Length > 0) {
            if (Result.empty())
                Result.emplace_back();
            Result[0].assign(Path, static_cast<size_t>(Length));
        }
        return Result;
    }();
    return List;
}

}  // namespace

int ParamCount()
{
    return Parameters().empty() ? 0 : static_cast<int>(Parameters().size()) - 1;
}

String ParamStr(int AIndex)
{
    const auto& List = Parameters();
    return AIndex >= 0 && AIndex < static_cast<int>(List.size()) ? List[static_cast<size_t>(AIndex)] : String();
}

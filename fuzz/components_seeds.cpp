// Writes the seed corpus of the component text fuzzer: the test zoo's text.
#include <cstdio>

#include "Rtl.TestZoo.h"

int main(int AArgc, char** AArgv)
{
    if (AArgc != 2) {
        std::fprintf(stderr, "usage: components_seeds CORPUS_FOLDER\n");
        return 2;
    }
    XTestZoo::RegisterZoo();
    auto Zoo = XTestZoo::MakeZoo();
    auto Text = Owned(TStringStream::Create(XTestZoo::ComponentToText(Zoo.get())));
    Text->SaveToFile(String(AArgv[1]) + "/zoo.txt");
    return 0;
}

// remote_window_peer: the other process of the remote-window tests.
//   post NAME MESSAGE WPARAM LPARAM   posts a registered message; exit 0 when it was taken
//   copy NAME FROM TYPE TEXT          sends TEXT as UTF-16 with its terminator; prints the answer
//   hold NAME                         publishes a window under NAME, prints "ready" (or "taken")
//                                     and keeps it until killed or 30 s have passed
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "Rtl.Encoding.h"
#include "Win.Messages.h"
#include "Win.RemoteWindows.h"

namespace {

int Usage()
{
    std::fprintf(stderr, "usage: remote_window_peer post|copy|hold NAME ...\n");
    return 64;
}

struct TIdle {
    void WndProc(TMessage&) {}
};

int Hold(const String& AName)
{
    TIdle Idle;
    HWND Window = AllocateHWnd(TWndMethod::Bind<&TIdle::WndProc>(&Idle));
    if (!PublishWindow(Window, AName)) {
        std::printf("taken\n");
        return 3;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    ::sleep(30);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return Usage();
    String Mode = argv[1], Name = argv[2];
    if (Mode == "post" && argc == 6) {
        bool Taken = PostPublishedMessage(Name, argv[3], std::strtoull(argv[4], nullptr, 10),
                                          std::strtoll(argv[5], nullptr, 10));
        return Taken ? 0 : 1;
    }
    if (Mode == "copy" && argc == 6) {
        std::u16string Text = Utf8ToUtf16(argv[5]);
        COPYDATASTRUCT Data{std::strtoull(argv[4], nullptr, 10), uint32_t((Text.size() + 1) * sizeof(char16_t)),
                            Text.c_str()};
        LRESULT Result = 0;
        if (!SendPublishedCopyData(Name, std::strtoull(argv[3], nullptr, 10), Data, Result))
            return 1;
        std::printf("%lld\n", static_cast<long long>(Result));
        return 0;
    }
    if (Mode == "hold" && argc == 3)
        return Hold(Name);
    return Usage();
}

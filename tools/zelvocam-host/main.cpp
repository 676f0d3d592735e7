// zelvocam-host: a host application's messages to the running station, from a shell.
//
//   zelvocam-host [--timeout S] register|hide|show|close|wait-stored|wait-closed
//
// hide, show and close ask once and end when the station has carried the request out.
// register stays connected as the station's host and prints what it is told, one line each,
// until the station closes; wait-stored and wait-closed register and end at the first
// "stored ..." (or "failed ...") or at "closed". The path or reason is printed as it is, its
// escapes undone. Every line is flushed at once, for a script reading a pipe.
// Exit codes: 0 done, 1 bad command line, 2 no station answered in time, 3 the connection ended
// first, 4 the station refused, 5 wait-stored saw the capture fail.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <string_view>

#include "platform/hostlink/HostClient.h"
#include "platform/hostlink/RuntimeFolder.h"
#include "platform/system/ProgramInfo.h"

namespace {

using hostlink::HostClient;
using hostlink::Notice;
using hostlink::Request;

enum Exit {
    kDone = 0,
    kUsage = 1,
    kNoAnswer = 2,
    kConnectionEnded = 3,
    kRefused = 4,
    kCaptureFailed = 5,
};

constexpr int kDefaultTimeoutMs = 10'000;

constexpr std::string_view kHelp =
    "usage: zelvocam-host [--timeout S] register|hide|show|close|wait-stored|wait-closed\n"
    "Sends a host application's request to the running ZelvoCam USB station.\n"
    "\n"
    "  hide, show, close  ask once; end when the station has done it\n"
    "  register           stay connected as the station's host; print \"registered\",\n"
    "                     then each notification, one a line, until \"closed\"\n"
    "  wait-stored        the same, ending at the first \"stored ...\"\n"
    "  wait-closed        the same, ending at \"closed\"\n"
    "  --timeout S        seconds to wait for the station's answer (default 10)\n"
    "  --help, --version  print this help or the version\n"
    "\n"
    "Exit codes: 0 done, 1 bad command line, 2 no station answered in time,\n"
    "3 the connection ended first, 4 the station refused the request.\n"
    "See zelvocam-host(1).\n";

int Fail(int code, const std::string& reason) {
    std::fprintf(stderr, "zelvocam-host: %s\n", reason.c_str());
    return code;
}

int Usage() {
    return Fail(kUsage,
                "usage: zelvocam-host [--timeout S] "
                "register|hide|show|close|wait-stored|wait-closed");
}

void Print(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int ForRead(HostClient::Read read) {
    return read == HostClient::Read::kTimeout
               ? Fail(kNoAnswer, "the station did not answer in time")
               : Fail(kConnectionEnded, "the station ended the connection");
}

// Sends `request` and checks its answer; kDone or the exit code.
int AskStation(HostClient& client, Request request, int timeoutMs) {
    HostClient::Read read{};
    const std::optional<std::string> answer = client.Ask(request, timeoutMs, read);
    if (!answer)
        return ForRead(read);
    if (*answer != "ok " + std::string(hostlink::RequestWord(request)))
        return Fail(kRefused, "refused: " + *answer);
    return kDone;
}

}  // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> answered =
            AnswerProgramInfo(argc, argv, "zelvocam-host", kHelp, std::cout))
        return *answered;
    int timeoutMs = kDefaultTimeoutMs;
    bool timeoutGiven = false;
    int at = 1;
    if (at + 1 < argc && std::strcmp(argv[at], "--timeout") == 0) {
        char* end = nullptr;
        const double seconds = std::strtod(argv[at + 1], &end);
        if (end == argv[at + 1] || *end != '\0' || !(seconds >= 0) || seconds > 86400)
            return Usage();
        timeoutMs = static_cast<int>(seconds * 1000);
        timeoutGiven = true;
        at += 2;
    }
    if (at + 1 != argc)
        return Usage();
    const std::string_view command = argv[at];
    const bool asks = command == "hide" || command == "show" || command == "close";
    const bool registers =
        command == "register" || command == "wait-stored" || command == "wait-closed";
    if (!asks && !registers)
        return Usage();

    std::string error;
    const std::optional<std::string> socket =
        hostlink::StationSocketPath(std::getenv("XDG_RUNTIME_DIR"), error);
    if (!socket)
        return Fail(kNoAnswer, error);
    HostClient client;
    if (!client.ConnectWithin(*socket, timeoutMs))
        return Fail(kNoAnswer, "no station answers at " + *socket);

    if (asks)
        return AskStation(client, *hostlink::ParseRequest(command), timeoutMs);

    if (const int result = AskStation(client, Request::kRegister, timeoutMs); result != kDone)
        return result;
    Print("registered");
    while (true) {
        std::string line;
        const HostClient::Read read = client.ReadLine(line, timeoutGiven ? timeoutMs : -1);
        if (read != HostClient::Read::kLine)
            return ForRead(read);
        const std::optional<hostlink::Notification> notification =
            hostlink::ParseNotification(line);
        if (!notification)
            continue;  // a word of a later version of the station
        switch (notification->notice) {
            case Notice::kStored:
                Print(notification->text.empty() ? "stored" : "stored " + notification->text);
                if (command == "wait-stored")
                    return kDone;
                break;
            case Notice::kFailed:
                Print("failed " + notification->text);
                if (command == "wait-stored")
                    return kCaptureFailed;
                break;
            case Notice::kClosed:
                Print("closed");
                return kDone;
        }
    }
}

// The zelvocam program: the capture station.
#include "platform/ui/TerminationSignals.h"
#include "station/Application.h"

int main(int argc, char** argv) {
    // Before anything else: a log-out in the first moments of start-up closes the station
    // cleanly instead of killing it.
    ui::CatchTerminationSignals();
    CTRIPOD01App app;
    return app.Run(argc, argv);
}

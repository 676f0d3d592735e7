// The zelvocam program: the capture station.
#include "station/Application.h"

int main(int argc, char** argv) {
    CTRIPOD01App app;
    return app.Run(argc, argv);
}

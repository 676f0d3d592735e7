// Capture, review and store: the handlers of CAPTURE, Save and Don't Save.
#include "station/MainDialog.h"

void CTRIPOD01Dlg::ApplyCaptureCorrection() {}

// The camera's start-up and the reads around it, as timed command sequences over the
// head-command unit. Each write to the camera is followed by the wait the camera head needs
// before its next command or before its answer can be read; the order and the waits are the
// camera's, not ours to tidy. The sequences return what the head answered and leave telling
// the operator to their caller.
#pragma once

#include <cstdint>
#include <optional>

struct StationSettings;

namespace camera_seq {

// The stream the station takes: 640 x 480, the whole sensor area, BGR frames decoded on the
// host at quality 75, streaming on.
void ConfigureStream();

// The hand-shake: command 137 until the head answers 175 in argument B, ten tries 100 ms apart
// after a first wait of 50 ms. False when the last try is still unanswered.
bool Handshake();

// Asks for the focus mode and switches auto focus on until the head reports it, up to ten
// times. False when the head still does not report auto focus.
bool EnsureAutoFocus();

// The operator's colour: automatic white balance with the colour level, or manual white balance
// with the red and blue gains (base plus offset) and the colour level.
void ApplyColorSettings(const StationSettings& settings);

// Brightness, contrast and, for a stored aperture that has a code, the sharpness code.
void ApplyImageSettings(const StationSettings& settings);

// Drives the zoom to `position`.
void RestoreZoom(int32_t position);

// Asks the head for the zoom position: argument A cleared, `settleMs` later the report command,
// the answer read `answerMs` after it. Nothing when the read failed (camera gone).
std::optional<uint16_t> ReadZoom(int settleMs, int answerMs);

// The model number the head reports; the first answer may be stale, the second counts.
int32_t ReadModel();

// The stream of the live picture after a capture: streaming restarted with host decoding at
// quality 75; after a flash capture the flash is disarmed first and the colour set again after.
void RestoreLiveStream(const StationSettings& settings, bool flash);

}  // namespace camera_seq

// A dialog's controls as data: one row per control (its id, kind, caption, place and style),
// made by MakeControl and added to a dialog, a whole table at once, by Dialog::AddControls.
#pragma once

#include <cstdint>

class QWidget;

namespace ui {

// A row's id when the control is only drawn (a frame or a caption) and never looked up.
constexpr int kNoId = -1;

enum class ControlKind : uint8_t {
    kGroupBox,       // a frame with a title; kept behind every control
    kLabel,          // a caption
    kButton,         // a push button
    kPictureButton,  // a push button that shows a picture, set later by its dialog
    kCheckBox,
    kRadio,   // exclusive groups are made by Dialog::AddRadioGroup
    kEdit,    // a one-line edit, the caption its first text
    kSlider,  // vertical, the smallest value at the top
    kUpDown,  // an edit with up-down arrows on its right that step the number it shows
};

// How a control differs from the plain one of its kind; the bits combine.
enum ControlStyle : unsigned {
    kPlain = 0,
    kHidden = 1u << 0,
    kDisabled = 1u << 1,
    kReadOnly = 1u << 2,     // an edit the user can read and select but not change
    kAlignRight = 1u << 3,   // an edit's text
    kAlignCenter = 1u << 4,  // an edit's text
};

// The arrows of an up-down pair: their own id and the range they step within.
struct UpDownSpec {
    int id = kNoId;
    int lower = 0;
    int upper = 100;
};

// The arrows of an up-down pair sit right of the edit, this wide and as high as the edit.
constexpr int kUpDownArrowsWidth = 18;

struct ControlRow {
    int id;  // kNoId for a frame or caption that is only drawn
    ControlKind kind;
    // A button's, label's or frame's text, an edit's first text; for a picture button its
    // accessible name, the tip's text when empty.
    const char* caption;
    int x, y, width, height;  // client pixels; for an up-down pair the edit's
    unsigned style = kPlain;
    UpDownSpec upDown = {};     // kUpDown only
    const char* tip = nullptr;  // a picture button's tool tip: what it does
};

// The widget a row makes, unparented; for an up-down pair the edit (Dialog::AddControls adds
// the arrows beside it).
QWidget* MakeControl(const ControlRow& row);

}  // namespace ui

// The geometry of the main dialog's two screen layouts, as plain arithmetic on the picture size.
//
// The live picture stands in the top-left corner and the layout reserves W x H client pixels
// for it (the crop size); CAPTURE and Adjust run along its bottom edge and a column of control
// groups stands to its right. "Law Enforcement" offers the zoom presets, "Standard" the
// pan/tilt arrow cross.
#pragma once

#include <QIcon>
#include <vector>

// Where one control goes, in client pixels; `resize` false keeps the control's own size.
struct ControlPlacement {
    int id;
    int x;
    int y;
    int width;
    int height;
    bool resize;
};

// The Law Enforcement column: column A for an upright picture, column B (lower) for a turned
// one; empty for a rotation other than 0, 1 or 2 (the column stays where it is). Column B
// reaches further down than some turned pictures do: for a picture shorter than it, "&Adjust"
// stands under the column instead of on it.
std::vector<ControlPlacement> LawEnforcementPlacements(int w, int h, int rotation);
// The client height the Law Enforcement layout needs to hold its whole column: more than the
// window size rule gives only for a turned picture shorter than column B; 0 for every other.
int LawEnforcementClientHeight(int w, int h, int rotation);
std::vector<ControlPlacement> StandardPlacements(int w, int h);

// The controls each layout hides and shows before placing its column.
std::vector<int> LawEnforcementHidden();
std::vector<int> LawEnforcementShown();
std::vector<int> StandardHidden();

struct WindowSize {
    int width;
    int height;
};
// The outer window size (frame and caption included): W + 130 by H + 60, but never lower than
// 483 (a lower height becomes 493, so the column always fits).
WindowSize DialogOuterSize(int w, int h);

struct CropOffsets {
    int x;
    int y;
};
// The crop rectangle centred in the camera frame, which is 640 x 480 upright and 480 x 640
// turned (any non-zero rotation), by the loader's own centring: halves truncate toward zero, so
// a crop larger than the frame gets a negative offset, and no size overflows.
CropOffsets CenteredCropOffsets(int rotation, int w, int h);

// A picture of the resources, drawn at `side` logical pixels, with its double-density drawing.
QIcon LoadPicture(const char* resource, int side);
// The application icon at every size built in, for the window and the About box.
QIcon LoadApplicationIcon();

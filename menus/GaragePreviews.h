// The turning 3D models the garage pages show in their pictures.
#pragma once

// ID3DMODELMIDDLE: the current buggy; ID3DMODELLEFT / ID3DMODELRIGHT: the
// owned buggy before / after it, dimmer and a little further back.
void DrawHubBuggy(const char* id, class QV7_Menu_Picture* control);

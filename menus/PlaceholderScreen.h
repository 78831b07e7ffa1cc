// A screen whose own logic is still to come: fades from the main menu to its
// page, waits for IDBACK (or a quit) and fades back. The profile and options
// screens use it until they are built.
#pragma once

void RunPlaceholderScreen(const char* pageId, float fade);

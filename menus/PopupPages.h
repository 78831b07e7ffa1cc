// The front end's pop-ups: a page shown over its parent until one of its
// buttons is clicked. With guarded set, a click that began before the pop-up
// opened does not count.
#pragma once

// Until IDOK (or a quit).
void RunOkPage(const char* page, bool guarded);
// 1 for IDYES; 0 for IDNO or a quit.
int RunYesNoPage(const char* page, bool guarded);

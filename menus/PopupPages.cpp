#include "menus/PopupPages.h"

#include "menus/QV7_PageLoop.h"

#include <cstring>

namespace
{
// The first of the ids clicked (its index), -1 on a quit.
int RunUntilClicked(const char* page, bool guarded, const char* const* ids, int count)
{
    ClickGuard guard;
    for (;;)
    {
        const PageFrame frame = RunPageFrame(page, 1);
        if (frame.gate == FRAME_QUIT)
            return -1;
        if (!frame.Drawn())
            continue;
        const char* clicked = guarded ? guard.Filter(frame.clicked) : frame.clicked;
        for (int i = 0; clicked && i < count; ++i)
            if (std::strcmp(clicked, ids[i]) == 0)
                return i;
        if (clicked && guarded)
            guard.Note();
    }
}
} // namespace

void RunOkPage(const char* page, bool guarded)
{
    const char* const ids[] = {"IDOK"};
    RunUntilClicked(page, guarded, ids, 1);
}

int RunYesNoPage(const char* page, bool guarded)
{
    const char* const ids[] = {"IDYES", "IDNO"};
    return RunUntilClicked(page, guarded, ids, 2) == 0 ? 1 : 0;
}

// An option box: drawn like a check box, but a click (or Select) clears every
// option box on its page and checks this one. A page is one group, whatever
// the screens meant.
#pragma once

#include "gui/QV7_Menu_CheckBox.h"

class QV7_Menu_Option : public QV7_Menu_Check
{
  public:
    QV7_Menu_Option();

    void OnClick(int x, int y) override;
    // Every option of the page off, then this one on.
    void Select();
};

// One page of the menu file: its controls in drawing order, its background and,
// for a pop-up, the parent page drawn under it. The page render draws the
// parent chain first without input, then its own controls, and remembers the
// control that took focus by a click across visits.
#pragma once

#include "gui/QV7_Menu_hWnd.h"
#include "shell/QV7_Collection.h"

#include <cstdint>

struct TextureRecord;

class MenuPage
{
  public:
    static constexpr int kTextSize = 260;

    MenuPage();
    // Destroys the controls from the last to the first.
    ~MenuPage();
    MenuPage(const MenuPage&) = delete;
    MenuPage& operator=(const MenuPage&) = delete;

    // Draws the parent chain (no input), the picture, then the controls.
    // inputOff = 1 draws without taking clicks.
    void Render(int inputOff);
    // Picture Tick of every picture control, after the parent chain's.
    void Update();
    // Sets the in-use flag of the background and of every control's pictures.
    void MarkTexturesUsed();
    // Every control back to its loaded value.
    void ResetControls();

    QV7_Collection<QV7_Menu_hWnd> m_Controls;
    char m_Name[kTextSize];
    char m_Id[kTextSize];
    MenuPage* m_Parent = nullptr;
    int32_t m_ParentNumber = -1;
    int32_t m_OwnNumber = -1;
    QV7_Menu_hWnd* m_Focused = nullptr;
    TextureRecord* m_Background = nullptr;
    // Set at run time (the race load's picture on the loading page); drawn instead of the background.
    TextureRecord* m_BackgroundOverride = nullptr;

  private:
    // Parent chain walks stop after this many pages, so a parent cycle in a
    // broken file cannot loop for ever.
    static constexpr int kMaxChain = 64;
    void RenderChain(int inputOff, int depth);
    void UpdateChain(int depth);
    void DrawPicture();
};

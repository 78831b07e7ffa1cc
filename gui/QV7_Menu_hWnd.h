// The base of every menu control. A page draws its controls every frame through
// Draw; the base Draw turns the mouse into clicks (on the frame the left button
// goes down over a visible control that takes input) and mouse moves. A click
// reports the control's id to the menu manager as the page's clicked id, and
// unless the no-focus flag is set gives the control the page's focus and the
// mouse capture, which lasts until the button is up again.
//
// The ten control classes and their type codes are below. Each is made by the
// menu file reader through CreateMenuControl and takes its file fields from one
// MenuControlRecord (gui/MenuFileLayout.h) through LoadFields.
//
// The list box, combo box and text field live in their own files and are made
// through CreateListBoxControl, CreateComboBoxControl and CreateTextFieldControl.
// Until those files define them, stand-ins from the library qv7_gui_fallbacks
// (gui/fallbacks/) are linked: that library comes after qv7_gui on every link
// line, so its members are only taken when qv7_gui defines nothing better.
#pragma once

#include "platform/gfx/D3D9.h"

#include <cstdint>

class MenuPage;
struct MenuControlRecord;
struct TextureRecord;

// Type codes, stored in every control; pages, FindControl and the reset switch on them.
enum MenuControlType : int32_t
{
    kMenuButton = 0,
    kMenuPicture = 1,
    kMenuCaption = 2,
    kMenuText = 3,
    kMenuCheck = 4,
    kMenuOption = 5,
    kMenuCombo = 6,
    kMenuList = 7,
    kMenuProgress = 8,
    kMenuSlider = 9,
    kMenuControlTypes = 10,
    // FindControl: a control of any type.
    kMenuAnyType = 100,
};

class QV7_Menu_hWnd
{
  public:
    static constexpr int kIdSize = 160;

    QV7_Menu_hWnd();
    virtual ~QV7_Menu_hWnd();
    QV7_Menu_hWnd(const QV7_Menu_hWnd&) = delete;
    QV7_Menu_hWnd& operator=(const QV7_Menu_hWnd&) = delete;

    // Input dispatch only; every class draws itself and runs this before or after.
    virtual void Draw(int inputOff);
    // This control is its page's focused control.
    virtual int IsFocused();
    // Strictly inside the rectangle.
    virtual int IsMouseOver();
    // Mouse over it with the left button down.
    virtual int IsPressed();
    virtual int IsVisible();
    // x, y relative to the top-left; sets the clicked id, focus and capture.
    virtual void OnClick(int x, int y);
    virtual void OnMouseMove(int x, int y, int dx, int dy);
    virtual void OnHook7(int value);
    virtual void OnHook8(int value);
    // Sets the in-use flag of the control's pictures (kept through a race).
    virtual void MarkTexturesUsed();

    // Takes the common header and the type's fields from a record read from
    // the menu file (pictures and font already resolved). Classes with fields
    // of their own call the base first and keep their resettable value.
    virtual void LoadFields(const MenuControlRecord& record);
    // Back to the loaded value (text, checked, list scroll 0, progress, slider position).
    virtual void ResetToLoaded();

    // The page render asks these of its focused control: only a combo box
    // whose drop list is open answers true, runs its release rule before the
    // controls and draws the open list above them.
    virtual bool IsDropListOpen() const;
    virtual void RunDropListRelease();
    virtual void DrawOpenList();

    char m_Id[kIdSize] = {};
    int32_t m_Type = -1;
    int32_t m_Left = 10;
    int32_t m_Top = 10;
    int32_t m_Right = 50;
    int32_t m_Bottom = 50;
    // The rectangle as the file gave it.
    int32_t m_DesignLeft = 10;
    int32_t m_DesignTop = 10;
    int32_t m_DesignRight = 50;
    int32_t m_DesignBottom = 50;
    // Stored from the file, not interpreted.
    int32_t m_Reserved = -1;
    int32_t m_Visible = 1;
    // A click reports the id but takes neither focus nor capture.
    int32_t m_NoFocus = 0;
    MenuPage* m_Page = nullptr;
};

// The left button was down at the end of the last page render with input.
extern int g_mouseHeld;
// The control that took the mouse with the current press; null when the button is up.
extern QV7_Menu_hWnd* g_capturedWidget;

// 1 while the current page takes mouse input; the manager sets it each render.
extern int g_menuMouseInput;

// A new control of the type code (0 to 9) with its defaults; null for other codes.
QV7_Menu_hWnd* CreateMenuControl(int32_t type);

// Defined with the list box, combo box and text field classes (see the top).
QV7_Menu_hWnd* CreateListBoxControl();
QV7_Menu_hWnd* CreateComboBoxControl();
QV7_Menu_hWnd* CreateTextFieldControl();

// Helpers shared by the controls; every control reads the mouse through them.
// Mouse position and left button from g_input (400, 300 and up without one).
// While g_menuMouseInput is 0 (the manager's cursor flag is off) the mouse is
// parked far outside the page with its button up, so no control sees it.
float MenuMouseX();
float MenuMouseY();
float MenuPrevMouseX();
float MenuPrevMouseY();
bool MenuLeftButtonDown();
// The left button itself, seen also while the page takes no mouse input: a
// press made then must not count as fresh once input comes back.
bool MenuLeftButtonPhysicallyDown();
// The picture blended at its own size, as every sprite of the controls is drawn.
void DrawMenuSprite(const TextureRecord* picture, float x, float y, float width, float height);
// A width and height pair of 4 and 4 means "the picture's own size", filled in
// from the picture at the first draw that has one.
void FillPictureSize(const TextureRecord* picture, int32_t& width, int32_t& height);
// Sets a picture's in-use flag; null does nothing.
void MarkPictureUsed(TextureRecord* picture);

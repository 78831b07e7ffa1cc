// The base control: click, focus, capture and mouse-move dispatch, the control
// factory and the drawing helpers shared by the controls.
#include "gui/QV7_Menu_hWnd.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"
#include "gui/MenuPage.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Button.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_CheckBox.h"
#include "gui/QV7_Menu_OptionBox.h"
#include "gui/QV7_Menu_Picture.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "gui/QV7_Menu_Slider.h"
#include "media/QV7_Input.h"
#include "shell/QV7_Logger.h"

#include <cstdio>

int g_mouseHeld = 0;
QV7_Menu_hWnd* g_capturedWidget = nullptr;
int g_menuMouseInput = 1;

namespace
{
// Far outside any page rectangle: where the mouse is while the page takes no mouse input.
constexpr float kParkedMouse = -1.0e6f;
} // namespace

float MenuMouseX()
{
    return !g_menuMouseInput ? kParkedMouse : g_input ? g_input->m_MouseX : 400.0f;
}
float MenuMouseY()
{
    return !g_menuMouseInput ? kParkedMouse : g_input ? g_input->m_MouseY : 300.0f;
}
float MenuPrevMouseX()
{
    return !g_menuMouseInput ? kParkedMouse : g_input ? g_input->m_PrevMouseX : 400.0f;
}
float MenuPrevMouseY()
{
    return !g_menuMouseInput ? kParkedMouse : g_input ? g_input->m_PrevMouseY : 300.0f;
}
bool MenuLeftButtonDown()
{
    return g_menuMouseInput && MenuLeftButtonPhysicallyDown();
}
bool MenuLeftButtonPhysicallyDown()
{
    return g_input && (g_input->m_MouseState.rgbButtons[0] & 0x80);
}

void DrawMenuSprite(const TextureRecord* picture, float x, float y, float width, float height)
{
    if (!picture || !picture->m_Texture || !g_screen2D || !g_scene)
        return;
    g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
    g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
    g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
    g_screen2D->DrawTexturedRectUV(0xFFFFFFFF, picture->m_Texture, x, y, x + width, y + height, 0.0f, 0.0f,
                                   1.0f, 1.0f);
    g_scene->SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
}

void FillPictureSize(const TextureRecord* picture, int32_t& width, int32_t& height)
{
    if (width == 4 && height == 4 && picture && picture->m_Texture)
    {
        width = int32_t(picture->m_Info.Width);
        height = int32_t(picture->m_Info.Height);
    }
}

void MarkPictureUsed(TextureRecord* picture)
{
    if (picture)
        picture->m_Flag = 1;
}

QV7_Menu_hWnd::QV7_Menu_hWnd() = default;

QV7_Menu_hWnd::~QV7_Menu_hWnd()
{
    // A destroyed control must not stay captured or focused.
    if (g_capturedWidget == this)
        g_capturedWidget = nullptr;
}

void QV7_Menu_hWnd::Draw(int inputOff)
{
    if (!IsVisible() || inputOff == 1)
        return;
    const float x = MenuMouseX(), y = MenuMouseY();
    if (IsMouseOver() && MenuLeftButtonDown() && !g_mouseHeld)
        OnClick(int(x) - m_Left, int(y) - m_Top);
    const float px = MenuPrevMouseX(), py = MenuPrevMouseY();
    if ((x != px || y != py) && IsMouseOver())
        OnMouseMove(int(x), int(y), int(x - px), int(y - py));
}

int QV7_Menu_hWnd::IsFocused()
{
    return m_Page && m_Page->m_Focused == this;
}

int QV7_Menu_hWnd::IsMouseOver()
{
    const float x = MenuMouseX(), y = MenuMouseY();
    return float(m_Left) < x && x < float(m_Right) && float(m_Top) < y && y < float(m_Bottom);
}

int QV7_Menu_hWnd::IsPressed()
{
    return IsMouseOver() && MenuLeftButtonDown();
}

int QV7_Menu_hWnd::IsVisible()
{
    return m_Visible;
}

void QV7_Menu_hWnd::OnClick(int, int)
{
    if (!m_NoFocus)
    {
        if (m_Page)
            m_Page->m_Focused = this;
        g_capturedWidget = this;
    }
    if (g_menuManager)
        g_menuManager->SetClickedId(m_Id);
    QV7_Logger::Log(g_logger, "Click on hWnd: %s", m_Id);
}

void QV7_Menu_hWnd::OnMouseMove(int, int, int, int) {}
void QV7_Menu_hWnd::OnHook7(int) {}
void QV7_Menu_hWnd::OnHook8(int) {}
void QV7_Menu_hWnd::MarkTexturesUsed() {}

void QV7_Menu_hWnd::LoadFields(const MenuControlRecord& record)
{
    std::snprintf(m_Id, sizeof(m_Id), "%s", record.id.c_str());
    m_Type = record.type;
    m_Left = m_DesignLeft = record.left;
    m_Top = m_DesignTop = record.top;
    m_Right = m_DesignRight = record.right;
    m_Bottom = m_DesignBottom = record.bottom;
    m_Reserved = record.reserved;
    m_Visible = record.visible;
}

void QV7_Menu_hWnd::ResetToLoaded() {}
bool QV7_Menu_hWnd::IsDropListOpen() const
{
    return false;
}
void QV7_Menu_hWnd::RunDropListRelease() {}
void QV7_Menu_hWnd::DrawOpenList() {}

QV7_Menu_hWnd* CreateMenuControl(int32_t type)
{
    switch (type)
    {
    case kMenuButton:
        return new QV7_Menu_Button();
    case kMenuPicture:
        return new QV7_Menu_Picture();
    case kMenuCaption:
        return new QV7_Menu_Caption();
    case kMenuText:
        return CreateTextFieldControl();
    case kMenuCheck:
        return new QV7_Menu_Check();
    case kMenuOption:
        return new QV7_Menu_Option();
    case kMenuCombo:
        return CreateComboBoxControl();
    case kMenuList:
        return CreateListBoxControl();
    case kMenuProgress:
        return new QV7_Menu_Progress();
    case kMenuSlider:
        return new QV7_Menu_Slider();
    default:
        return nullptr;
    }
}

// Page drawing: the pop-up chain, the background and the controls in order.
#include "gui/MenuPage.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/QV7_Menu_Picture.h"

#include <cstdio>

MenuPage::MenuPage()
{
    std::snprintf(m_Name, sizeof(m_Name), "NO NAME");
    std::snprintf(m_Id, sizeof(m_Id), "ID_NOID");
}

MenuPage::~MenuPage() = default;

void MenuPage::Render(int inputOff)
{
    RenderChain(inputOff, 0);
}

void MenuPage::Update()
{
    UpdateChain(0);
}

void MenuPage::DrawPicture()
{
    TextureRecord* picture = m_BackgroundOverride ? m_BackgroundOverride : m_Background;
    if (!TextureOf(picture) || !g_screen2D || !g_scene)
        return;
    if (m_Parent)
    {
        // A pop-up's own picture, centred on the page at its own size.
        g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
        g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
        g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
        const float w = float(picture->m_Info.Width), h = float(picture->m_Info.Height);
        const float x = 400.0f - w / 2.0f, y = 300.0f - h / 2.0f;
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, picture->m_Texture, x, y, x + w, y + h);
        g_scene->SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
    }
    else
    {
        g_screen2D->DrawTexturedRect(0xFFFFFFFF, picture->m_Texture, 0.0f, 0.0f, 1023.0f, 1023.0f);
    }
}

void MenuPage::RenderChain(int inputOff, int depth)
{
    if (m_Parent && depth < kMaxChain)
        m_Parent->RenderChain(1, depth + 1);
    DrawPicture();

    bool dropListOpen = false;
    if (m_Focused && m_Focused->m_Type == kMenuCombo && m_Focused->IsDropListOpen())
    {
        m_Focused->RunDropListRelease();
        dropListOpen = true;
    }
    const int controlsInputOff = (inputOff || dropListOpen) ? 1 : 0;
    // By index: a control's draw may not change the list, but a screen's
    // callback could; the count is read each time round.
    for (int i = 0; i < m_Controls.Count(); ++i)
    {
        QV7_Menu_hWnd* control = m_Controls[i];
        if (control->m_Type >= 0 && control->m_Type < kMenuControlTypes)
            control->Draw(controlsInputOff);
    }
    if (m_Focused && m_Focused->m_Type == kMenuCombo && m_Focused->IsDropListOpen())
        m_Focused->DrawOpenList();

    if (!inputOff)
    {
        // The button itself: a press begun while the page saw no mouse is
        // held, not fresh, when the mouse comes back.
        g_mouseHeld = MenuLeftButtonPhysicallyDown() ? 1 : 0;
        if (!g_mouseHeld)
            g_capturedWidget = nullptr;
    }
}

void MenuPage::UpdateChain(int depth)
{
    if (m_Parent && depth < kMaxChain)
        m_Parent->UpdateChain(depth + 1);
    for (QV7_Menu_hWnd* control : m_Controls)
        if (control->m_Type == kMenuPicture)
            static_cast<QV7_Menu_Picture*>(control)->Tick(0);
}

void MenuPage::MarkTexturesUsed()
{
    MarkPictureUsed(m_Background);
    for (QV7_Menu_hWnd* control : m_Controls)
        control->MarkTexturesUsed();
}

void MenuPage::ResetControls()
{
    for (QV7_Menu_hWnd* control : m_Controls)
        control->ResetToLoaded();
}

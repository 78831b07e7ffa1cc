// Picture drawing, with the 3D draw callback's projection and depth clear.
#include "gui/QV7_Menu_Picture.h"

#include "engine/QV7_Engine.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"

QV7_Menu_Picture::QV7_Menu_Picture()
{
    m_Type = kMenuPicture;
}

D3DXMATRIX QV7_Menu_Picture::OffCentreProjection(int left, int top, int right, int bottom)
{
    // A zero-width rectangle would divide by zero: it is taken as one pixel wide.
    const float w = right - left != 0 ? float(right - left) : 1.0f;
    const float h = float(bottom - top);
    const float cx = float(left) + w / 2.0f;
    const float cy = float(top) + h / 2.0f;
    const float s = 400.0f / w;
    const float gx = (cx - 400.0f) / 400.0f * s;
    const float m = 0.75f * s;
    const float gy = m * (cy - 300.0f) / 300.0f;
    D3DXMATRIX projection;
    D3DXMatrixPerspectiveOffCenterLH(&projection, -s - gx, s - gx, gy - m, gy + m, 1.0f, 40000.0f);
    return projection;
}

void QV7_Menu_Picture::DrawModel()
{
    if (g_screen2D)
        g_screen2D->End2D();
    m_Projection = OffCentreProjection(m_Left, m_Top, m_Right, m_Bottom);
    if (g_device)
    {
        g_device->SetTransform(D3DTS_PROJECTION, &m_Projection);
        g_device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.0f, 0);
    }
    m_DrawCallback(m_Id, this);
    if (g_screen2D)
        g_screen2D->Begin2D();
}

void QV7_Menu_Picture::Draw(int inputOff)
{
    if (m_DrawCallback)
        DrawModel();
    TextureRecord* picture = m_AlternativePicture ? m_AlternativePicture : m_Picture;
    if (picture && picture->m_Texture && picture->m_Info.Width && picture->m_Info.Height)
    {
        FillPictureSize(picture, m_Width, m_Height);
        const float pw = float(picture->m_Info.Width), ph = float(picture->m_Info.Height);
        float uEnd, vSpan;
        if (m_Scale)
        {
            uEnd = float(m_Width) / pw;
            vSpan = float(m_Height) / ph;
        }
        else
        {
            uEnd = float(m_Right - m_Left) < pw ? float(m_Right - m_Left) / pw : 1.0f;
            vSpan = float(m_Bottom - m_Top) < ph ? float(m_Bottom - m_Top) / ph : 1.0f;
        }
        if (m_Visible && g_screen2D && g_scene)
        {
            g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
            g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
            g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
            const D3DCOLOR colour = m_UseTint == 1 ? m_Tint : 0xFFFFFFFF;
            const float right = float(m_RightEdge ? m_Right - 1 : m_Right);
            g_screen2D->DrawTexturedRectUV(colour, picture->m_Texture, float(m_Left), float(m_Top), right,
                                           float(m_Bottom), 0.0f, m_VOffset, uEnd, m_VOffset + vSpan);
            g_scene->SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
        }
    }
    QV7_Menu_hWnd::Draw(inputOff);
}

void QV7_Menu_Picture::Tick(int) {}

void QV7_Menu_Picture::MarkTexturesUsed()
{
    MarkPictureUsed(m_Picture);
}

void QV7_Menu_Picture::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Picture = record.pictures[0];
    m_Width = record.width;
    m_Height = record.height;
    m_Scale = record.flag;
}

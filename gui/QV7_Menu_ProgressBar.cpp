// Progress bar drawing. The edge arithmetic stays in float and is truncated
// once at the end, so that 100 percent reaches the full picture.
#include "gui/QV7_Menu_ProgressBar.h"

#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "engine/QV7_TextureList.h"
#include "gui/MenuFileLayout.h"

QV7_Menu_Progress::QV7_Menu_Progress()
{
    m_Type = kMenuProgress;
}

void QV7_Menu_Progress::Draw(int inputOff)
{
    if (TextureOf(m_Picture))
    {
        FillPictureSize(m_Picture, m_Width, m_Height);
        // A width or height of 0 would divide by zero: taken as 1.
        const float width = m_Width ? float(m_Width) : 1.0f;
        const float height = m_Height ? float(m_Height) : 1.0f;
        float rightEdge, bottomEdge, uEnd, vEnd;
        if (!m_Vertical)
        {
            rightEdge = float(
                int(float(m_Right - m_Left) / 100.0f * m_Value * (float(m_Picture->m_Info.Width) / width) +
                    float(m_Left)));
            bottomEdge = float(m_Bottom - 1);
            uEnd = m_Value * 0.01f;
            vEnd = 1.0f;
        }
        else
        {
            rightEdge = float(m_Right - 1);
            bottomEdge = float(
                int(m_Value * float(m_Bottom - m_Top) / 100.0f * (float(m_Picture->m_Info.Height) / height) +
                    float(m_Top)));
            uEnd = 1.0f;
            vEnd = m_Value * 0.01f;
        }
        if (m_Visible && g_screen2D && g_scene)
        {
            g_scene->SetRenderState(TRUE, D3DRS_ALPHABLENDENABLE);
            g_scene->SetRenderState(D3DBLEND_SRCALPHA, D3DRS_SRCBLEND);
            g_scene->SetRenderState(D3DBLEND_INVSRCALPHA, D3DRS_DESTBLEND);
            g_screen2D->DrawTexturedRectUV(0xFFFFFFFF, m_Picture->m_Texture, float(m_Left), float(m_Top),
                                           rightEdge, bottomEdge, 0.0f, 0.0f, uEnd, vEnd);
            g_scene->SetRenderState(FALSE, D3DRS_ALPHABLENDENABLE);
        }
    }
    QV7_Menu_hWnd::Draw(inputOff);
}

void QV7_Menu_Progress::MarkTexturesUsed()
{
    MarkPictureUsed(m_Picture);
}

void QV7_Menu_Progress::LoadFields(const MenuControlRecord& record)
{
    QV7_Menu_hWnd::LoadFields(record);
    m_Picture = record.pictures[0];
    m_Width = record.width;
    m_Height = record.height;
    m_Vertical = record.flag;
    m_Value = m_LoadedValue = record.percent;
}

void QV7_Menu_Progress::ResetToLoaded()
{
    m_Value = m_LoadedValue;
}

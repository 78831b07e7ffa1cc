// A progress bar: the left (or, vertical, the top) part of its picture,
// value percent of it, stretched over its rectangle.
#pragma once

#include "gui/QV7_Menu_hWnd.h"

class QV7_Menu_Progress : public QV7_Menu_hWnd
{
  public:
    QV7_Menu_Progress();

    void Draw(int inputOff) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;
    void ResetToLoaded() override;

    TextureRecord* m_Picture = nullptr;
    int32_t m_Width = 4;
    int32_t m_Height = 4;
    int32_t m_Vertical = 0;
    // Percent.
    float m_Value = 0.0f;
    float m_LoadedValue = 0.0f;
};

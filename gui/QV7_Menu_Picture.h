// A picture, optionally with a 3D view: a screen that stores a draw callback
// gets it called every frame with the control's own off-centre projection
// (the 3D model appears inside the control's rectangle, seen as from the
// middle of the screen) and a cleared depth buffer, before the picture is drawn.
#pragma once

#include "gui/QV7_Menu_hWnd.h"
#include "platform/d3dx/D3DXMath.h"

class QV7_Menu_Picture;

// Draws a 3D model into the control; called between End2D and Begin2D.
using MenuPictureDrawCallback = void (*)(const char* id, QV7_Menu_Picture* control);

class QV7_Menu_Picture : public QV7_Menu_hWnd
{
  public:
    QV7_Menu_Picture();

    void Draw(int inputOff) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;
    // Called every frame by the page update; does nothing.
    virtual void Tick(int value);

    // The projection the draw callback is called with, for a rectangle.
    static D3DXMATRIX OffCentreProjection(int left, int top, int right, int bottom);

    TextureRecord* m_Picture = nullptr;
    // Drawn instead of the picture when set.
    TextureRecord* m_AlternativePicture = nullptr;
    int32_t m_Width = 4;
    int32_t m_Height = 4;
    // 1: the texture window is the given width and height out of the picture's size.
    int32_t m_Scale = 0;
    float m_VOffset = 0.0f;
    // 1: draws to right - 1.
    int32_t m_RightEdge = 0;
    D3DCOLOR m_Tint = 0xFF000000;
    uint8_t m_UseTint = 0;
    MenuPictureDrawCallback m_DrawCallback = nullptr;
    D3DXMATRIX m_Projection{};

  private:
    void DrawModel();
};

// A slider: a knob dragged along the control while the slider holds the mouse
// capture. It reports its id when the drag ends, not while it moves. The music
// volume slider ("IDHWND5467") sets the music volume live while dragged, and a
// slider with the sample flag plays the start horn over and over while dragged,
// so the player hears the effects volume being chosen.
#pragma once

#include "gui/QV7_Menu_hWnd.h"

class QV7_Menu_Slider : public QV7_Menu_hWnd
{
  public:
    QV7_Menu_Slider();

    void Draw(int inputOff) override;
    void MarkTexturesUsed() override;
    void LoadFields(const MenuControlRecord& record) override;
    void ResetToLoaded() override;

    TextureRecord* m_Knob = nullptr;
    int32_t m_Width = 4;
    int32_t m_Height = 4;
    int32_t m_Vertical = 0;
    // Pixels from the left (top when vertical) edge to the knob's centre.
    int32_t m_Position = 5;
    int32_t m_LoadedPosition = 5;
    int32_t m_Dragging = 0;
    int32_t m_Sample = 0;
    // Milliseconds until the sample plays again.
    float m_SampleCountdown = 0.0f;

  private:
    void PlaySample();
    void FollowMouse();
    void SetMusicVolume();
};

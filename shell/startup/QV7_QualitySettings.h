// The quality set-up: constructing it picks the multisampling and texture
// filtering the adapter can do and resets the device into them; destroying it
// frees the menu textures.
#pragma once

class QV7_QualitySettings
{
  public:
    QV7_QualitySettings();
    ~QV7_QualitySettings();

  private:
    char m_Unused = 0;
};

extern QV7_QualitySettings* g_qualitySettings;

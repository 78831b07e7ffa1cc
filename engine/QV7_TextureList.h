// Texture lists. This first version holds the loading-screen list's four
// designated pictures (two logos, the loading picture and the progress bar) and
// checks that their files are there; the texture containers come later.
#pragma once

#include <cstdint>
#include <string>

struct IDirect3DTexture9;

struct TextureRecord
{
    IDirect3DTexture9* texture = nullptr;
    uint32_t compileId = 0;
    uint32_t flag = 0;
};

class QV7_TextureList
{
  public:
    QV7_TextureList();
    ~QV7_TextureList();

    // ldat1.gfx to ldat4.gfx from the data folder.
    void LoadLoadingScreen(const std::string& dataDir);

    TextureRecord* m_Logo1 = nullptr;
    TextureRecord* m_Logo2 = nullptr;
    TextureRecord* m_LoadingPicture = nullptr;
    TextureRecord* m_ProgressBar = nullptr;
};

// The loading-screen list while start-up shows it.
extern QV7_TextureList* g_textureList;

// One frame of the loading screen: percent of the bar, fade alpha, mode 1 fades into the menu backdrop.
void DrawLoadingScreen(QV7_TextureList* list, int percent, int alpha, int mode);

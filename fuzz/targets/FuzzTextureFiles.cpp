// Fuzz targets of the texture files: the two containers with every load the
// game makes from them (the menu list and its reload after a race, the item
// database's list with its release and reload), a race map's ID list, and
// single image files from memory as the container records hold them.
#include "engine/QV7_Engine.h"
#include "engine/QV7_TextureList.h"
#include "fuzz/targets/FuzzSeeds.h"
#include "fuzz/targets/FuzzTargets.h"
#include "fuzz/targets/FuzzWorld.h"
#include "platform/d3dx/D3DXTexture.h"
#include "shell/QV7_Globals.h"

using fuzzworld::ScratchFile;

int FuzzMenuTextures(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile container(fuzzworld::DataDir() + "Input.qvx", data, size);
    QV7_Collection<int> wanted;
    for (int32_t id : kFuzzPictureIds)
        *wanted.Add() = id;
    QV7_TextureList::LoadMenuTextures(container.Path(), wanted);
    // Around a race: half the records released, then loaded back from the file.
    for (int i = 0; i < g_menuTextures->Count(); ++i)
        g_menuTextures->At(i)->m_Flag = uint32_t(i % 2);
    QV7_TextureList::ReleaseUnused();
    QV7_TextureList::ReloadMenuTextures(container.Path(), false, 0.0f);
    return 0;
}

int FuzzWorldTextures(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile container(fuzzworld::DataDir() + "Input.qvx", data, size);
    QV7_TextureList list;
    list.LoadBuggyTextures(container.Path(), kFuzzPictureIds.data(), int(kFuzzPictureIds.size()));
    for (int i = 0; i < list.Count(); ++i)
        list.At(i)->m_Flag = 1;
    list.ReleaseBuggyTextures(list.At(0), list.At(2), nullptr);
    list.ReloadBuggyTextures(container.Path(), kFuzzPictureIds.data(), int(kFuzzPictureIds.size()));
    return 0;
}

int FuzzMapTextureList(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    ScratchFile ids(fuzzworld::DataDir() + "Map1.tex", data, size);
    QV7_TextureList list;
    list.LoadMapTextures(ids.Path(), fuzzworld::DataDir() + "FixedTextures2.qvx", nullptr);
    return 0;
}

int FuzzImage(const uint8_t* data, size_t size)
{
    fuzzworld::Run run;
    D3DXIMAGE_INFO info{};
    D3DXGetImageInfoFromFileInMemory(data, UINT(size), &info);
    // As the containers' loaders ask, then as a file's own format and levels.
    IDirect3DTexture9* texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(g_device, data, UINT(size), 0, 0, 0, 0, D3DFMT_A8R8G8B8,
                                                      D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &info,
                                                      nullptr, &texture)))
        texture->Release();
    texture = nullptr;
    if (SUCCEEDED(D3DXCreateTextureFromFileInMemoryEx(
            g_device, data, UINT(size), D3DX_FROM_FILE, D3DX_FROM_FILE, D3DX_FROM_FILE, 0, D3DFMT_FROM_FILE,
            D3DPOOL_MANAGED, D3DX_FILTER_POINT, D3DX_FILTER_BOX, 0xFF000000, nullptr, nullptr, &texture)))
        texture->Release();
    return 0;
}

// Texture lists: the list itself, loose image files, the container loads of
// Textures1.qvx and Textures2.qvx, the texture swap around a race and the
// start-up loading screen. Containers are read whole through BinaryReader and
// record by record, so no count reserves anything ahead of the bytes: every
// record's length is checked against the bytes left, and the first record that
// is not there, or broken, ends the load with what was loaded so far.
#include "engine/QV7_TextureList.h"


#include "engine/QV7_Engine.h"
#include "engine/QV7_FrameManager.h"
#include "engine/QV7_Scene.h"
#include "engine/QV7_Screen2D.h"
#include "gui/MenuPage.h"
#include "gui/QV7_FontsHandler.h"
#include "gui/QV7_MenuManager.h"
#include "gui/QV7_Menu_Caption.h"
#include "gui/QV7_Menu_ProgressBar.h"
#include "media/QV7_Input.h"
#include "platform/d3dx/D3DXTexture.h"
#include "platform/io/BinaryReader.h"
#include "shell/QV7_Logger.h"
#include "shell/QV7_Windows.h"
#include "shell/framegate/QV7_FrameGate.h"

#include <algorithm>
#include <vector>

QV7_TextureList* g_textureList = nullptr;
QV7_TextureList* g_menuTextures = nullptr;
QV7_TextureList* g_itemTextures = nullptr;

namespace
{
// One container record: its ID and a window on its image bytes inside the reader.
struct ContainerRecord
{
    int32_t id = -1;
    const uint8_t* bytes = nullptr;
    uint32_t length = 0;
};

// Reads the next record's ID; false (logged when the file is broken) when
// there is none. The ID stays -1 when its read fails, as the loaders expect.
bool ReadRecordId(BinaryReader& file, const std::string& path, ContainerRecord& record)
{
    record = {};
    if (file.AtEnd())
        return false;
    record.id = file.ReadInt32();
    if (file.Failed())
    {
        record.id = -1;
        QV7_Logger::Log(g_logger, "Error: Texture File %s is broken at offset %d", path.c_str(),
                        int(file.Position()));
        return false;
    }
    return true;
}

// As ReadRecordId, for a record the count promises: the end of the file is a
// broken file too.
bool ReadCountedRecordId(BinaryReader& file, const std::string& path, ContainerRecord& record)
{
    if (ReadRecordId(file, path, record))
        return true;
    if (!file.Failed())
        QV7_Logger::Log(g_logger, "Error: Texture File %s is broken at offset %d", path.c_str(),
                        int(file.Position()));
    return false;
}

// Reads the record's length and takes its bytes; false, logged, when the
// length runs past the end of the file.
bool ReadRecordBytes(BinaryReader& file, const std::string& path, ContainerRecord& record)
{
    const size_t start = file.Position();
    record.length = file.ReadUInt32();
    if (file.Failed() || record.length > file.Remaining())
    {
        file.Fail();
        QV7_Logger::Log(g_logger, "Error: Texture File %s is broken at offset %d", path.c_str(), int(start));
        return false;
    }
    record.bytes = file.Data() + file.Position();
    file.Skip(record.length);
    return true;
}

// Textures1.qvx's record count; 0, logged, when it cannot be read or is negative.
// A count larger than the records present is only found at the first missing one.
int32_t ReadRecordCount(BinaryReader& file, const std::string& path)
{
    const int32_t count = file.ReadInt32();
    if (!file.Failed() && count >= 0)
        return count;
    QV7_Logger::Log(g_logger, "Error: Texture File %s is broken at offset %d", path.c_str(), 0);
    return 0;
}

HRESULT CreateFromRecord(const ContainerRecord& record, D3DFORMAT format, TextureRecord& target)
{
    target.Release();
    return D3DXCreateTextureFromFileInMemoryEx(g_device, record.bytes, record.length, 0, 0, 0, 0, format,
                                               D3DPOOL_MANAGED, D3DX_DEFAULT, D3DX_DEFAULT, 0, &target.m_Info,
                                               nullptr, &target.m_Texture);
}

void LogTextureLoaded(const TextureRecord& record)
{
    QV7_Logger::Log(g_logger, "Info: Texture Loaded Compile ID: %d, size %d x %d", int32_t(record.m_CompileId),
                    int(record.m_Info.Width), int(record.m_Info.Height));
}

const char* ResultLine(HRESULT result)
{
    switch (result)
    {
    case E_OUTOFMEMORY:
        return "ERROR INFO: Direct3D could not allocate sufficient memory to complete the call.";
    case D3DERR_OUTOFVIDEOMEMORY:
        return "ERROR INFO: Direct3D does not have enough display memory to perform the operation.";
    case D3DERR_NOTAVAILABLE:
        return "ERROR INFO: This device does not support the queried technique.";
    case D3DERR_INVALIDCALL:
        return "ERROR INFO: The method call is invalid. For example, a method's parameter may have an invalid value.";
    case D3DXERR_INVALIDDATA:
        return "ERROR INFO: The data is invalid.";
    default:
        return "ERROR INFO: Unknown";
    }
}

bool Contains(const int32_t* ids, int idCount, int32_t id)
{
    return ids && idCount > 0 && std::find(ids, ids + idCount, id) != ids + idCount;
}

bool OpenContainer(BinaryReader& file, const std::string& path, const char* openError)
{
    if (file.OpenFile(path))
        return true;
    QV7_Logger::Log(g_logger, openError, path.c_str());
    return false;
}

// Map textures are compressed on low detail when the device takes DXT5.
D3DFORMAT MapTextureFormat()
{
    const GameSettings* settings = g_windowsData ? &g_windowsData->m_Settings : nullptr;
    if (!settings || settings->Detail > 3 || settings->force_HighResTextures == 1)
        return D3DFMT_A8R8G8B8;
    QV7_Logger::Log(g_logger, "INFO: Trying to use Compressed Textures");
    IDirect3D9* direct3D = g_engine ? g_engine->m_Direct3D : nullptr;
    if (direct3D && SUCCEEDED(direct3D->CheckDeviceFormat(0, D3DDEVTYPE_HAL, g_engine->m_DesktopMode.Format, 0,
                                                          D3DRTYPE_TEXTURE, D3DFMT_DXT5)))
    {
        QV7_Logger::Log(g_logger, "INFO: Loading as compressed Texture");
        return D3DFMT_DXT5;
    }
    QV7_Logger::Log(g_logger, "INFO: Can't load as Compressed Texture");
    return D3DFMT_A8R8G8B8;
}

// The progress page of the menus while a container loads: page 0 current with
// the cursor off, the progress bar moved by step each record, "IDLOADINGTEXT"
// showing the text.
class ProgressPage
{
  public:
    ProgressPage(bool on, float span, int records, const char* text) : m_On(on), m_Text(text)
    {
        if (!m_On)
            return;
        m_Step = records > 0 ? span / float(records) : 0.0f;
        if (g_menuManager)
        {
            g_menuManager->m_CurrentPage = 0;
            g_menuManager->m_CursorFlag = 0;
            m_Caption = dynamic_cast<QV7_Menu_Caption*>(g_menuManager->FindControl("IDLOADINGTEXT", kMenuAnyType));
            m_Bar = dynamic_cast<QV7_Menu_Progress*>(g_menuManager->FindControl("IDPROGRESSBAR", kMenuAnyType));
            if (m_Bar)
                m_Value = m_Bar->m_Value;
        }
    }

    void Advance()
    {
        if (!m_On || (g_windowsData && g_windowsData->m_Quit))
            return;
        m_Value += m_Step;
        if (g_input)
            g_input->Poll();
        if (g_menuManager && g_frameManager)
        {
            if (m_Bar)
                m_Bar->m_Value = m_Value;
            g_menuManager->UpdateCurrentPage();
            g_frameManager->BeginFrame();
            g_menuManager->RenderCurrentPage(0);
            if (m_Caption && m_Caption->m_Font && m_Caption->m_Font->m_Font)
                DrawFontText(m_Caption->m_Font->m_Font, 200.0f, float(m_Caption->m_Top + 2), m_Caption->m_Colour, m_Text,
                             1);
            g_frameManager->EndFrame();
        }
    }

  private:
    bool m_On;
    const char* m_Text;
    float m_Step = 0.0f;
    float m_Value = 0.0f;
    QV7_Menu_Caption* m_Caption = nullptr;
    QV7_Menu_Progress* m_Bar = nullptr;
};
} // namespace

TextureRecord::~TextureRecord() { Release(); }

void TextureRecord::Release()
{
    if (m_Texture && g_scene)
        g_scene->ForgetTexture(m_Texture);
    if (m_Texture)
        m_Texture->Release();
    m_Texture = nullptr;
}

QV7_TextureList::QV7_TextureList(TextureListRole role) : m_Role(role)
{
    if (role == TextureListRole::LoadingScreen)
        g_textureList = this;
    else if (role == TextureListRole::Menu)
        g_menuTextures = this;
}

QV7_TextureList::~QV7_TextureList()
{
    if (g_textureList == this)
        g_textureList = nullptr;
    if (g_menuTextures == this)
        g_menuTextures = nullptr;
    if (g_itemTextures == this)
        g_itemTextures = nullptr;
    FreeAll();
}

void QV7_TextureList::Init()
{
    FreeAll();
    m_Logo1 = m_Logo2 = m_LoadingPicture = m_ProgressBar = nullptr;
    std::fill(std::begin(m_Kept), std::end(m_Kept), nullptr);
}

void QV7_TextureList::Destroy() { FreeAll(); }

void QV7_TextureList::FreeAll()
{
    m_Records.Clear();
    // The designated records were among the deleted ones.
    m_Logo1 = m_Logo2 = m_LoadingPicture = m_ProgressBar = nullptr;
    std::fill(std::begin(m_Kept), std::end(m_Kept), nullptr);
}

TextureRecord* QV7_TextureList::At(int index) const
{
    return unsigned(index) < unsigned(m_Records.Count()) ? m_Records[index] : nullptr;
}

TextureRecord* QV7_TextureList::FindByCompileId(uint32_t id) const
{
    for (TextureRecord* record : m_Records)
        if (record->m_CompileId == id)
            return record;
    return nullptr;
}

TextureRecord* QV7_TextureList::Append() { return m_Records.Add(); }

void QV7_TextureList::Remove(TextureRecord* record)
{
    if (!record)
        return;
    const int index = m_Records.IndexOf(record);
    if (index < 0)
    {
        m_Records.Delete(record); // logs the absent record and changes nothing
        return;
    }
    RemoveAt(index);
}

void QV7_TextureList::RemoveAt(int index)
{
    TextureRecord* record = At(index);
    if (!record)
        return;
    for (TextureRecord** designated : {&m_Logo1, &m_Logo2, &m_LoadingPicture, &m_ProgressBar, &m_Kept[0],
                                       &m_Kept[1], &m_Kept[2]})
        if (*designated == record)
            *designated = nullptr;
    m_Records.DeleteAt(index);
}

TextureRecord* QV7_TextureList::Load(const std::string& path)
{
    QV7_Logger::Log(g_logger, "Loading: '%s'", path.c_str());
    TextureRecord* record = Append();
    const HRESULT result =
        D3DXCreateTextureFromFileExA(g_device, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                     D3DX_DEFAULT, D3DX_DEFAULT, 0, &record->m_Info, nullptr, &record->m_Texture);
    if (SUCCEEDED(result))
        return record;
    QV7_Logger::Log(g_logger, "Loading Texture: ERROR while loading Texture with FileName: '%s'", path.c_str());
    QV7_Logger::Log(g_logger, "%s", ResultLine(result));
    Remove(record);
    return nullptr;
}

IDirect3DTexture9* LoadTextureFromFile(const std::string& path)
{
    IDirect3DTexture9* texture = nullptr;
    if (FAILED(D3DXCreateTextureFromFileExA(g_device, path.c_str(), 0, 0, 0, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                                            D3DX_DEFAULT, D3DX_DEFAULT, 0, nullptr, nullptr, &texture)))
        return nullptr;
    return texture;
}

void LoadLoadingScreen(QV7_TextureList& list, const std::string& dataDir)
{
    list.m_Logo1 = list.Load(dataDir + "ldat1.gfx");
    list.m_Logo2 = list.Load(dataDir + "ldat2.gfx");
    list.m_LoadingPicture = list.Load(dataDir + "ldat3.gfx");
    list.m_ProgressBar = list.Load(dataDir + "ldat4.gfx");
}

// ---- the menu list ----

void CreateMenuTextureList()
{
    if (!g_menuTextures)
        new QV7_TextureList(TextureListRole::Menu);
}

void DestroyMenuTextureList() { delete g_menuTextures; }

TextureRecord* QV7_TextureList::FindMenuTexture(uint32_t id)
{
    return g_menuTextures ? g_menuTextures->FindByCompileId(id) : nullptr;
}

void QV7_TextureList::LoadMenuTextures(const std::string& path, QV7_Collection<int>& wanted)
{
    BinaryReader file;
    if (!OpenContainer(file, path, "Error: Binary Texture File Load Open Error %s") || !g_menuTextures)
        return;
    for (int i = wanted.Count() - 1; i >= 1; --i)
        for (int j = 0; j < i; ++j)
            if (*wanted[j] == *wanted[i])
            {
                wanted.DeleteAt(i);
                break;
            }
    std::vector<int32_t> ids;
    for (int* id : wanted)
        ids.push_back(*id);

    const int32_t count = ReadRecordCount(file, path);
    int loaded = 0;
    for (int32_t i = 0; i < count; ++i)
    {
        ContainerRecord record;
        if (!ReadCountedRecordId(file, path, record) || !ReadRecordBytes(file, path, record))
            return;
        if (!Contains(ids.data(), int(ids.size()), record.id))
            continue;
        TextureRecord* target = g_menuTextures->Append();
        target->m_CompileId = uint32_t(record.id);
        CreateFromRecord(record, D3DFMT_A8R8G8B8, *target);
        LogTextureLoaded(*target);
        ++loaded;
        if (g_textureList)
            DrawLoadingScreen(g_textureList, int(50.0 / double(ids.size()) * loaded) + 50, 255.0f, 0);
    }
}

void QV7_TextureList::ReleaseUnused()
{
    if (!g_menuTextures)
        return;
    for (TextureRecord* record : g_menuTextures->m_Records)
        if (record->m_Flag == 0 && record->m_Texture)
            record->Release();
}

void QV7_TextureList::ReloadMenuTextures(const std::string& path, bool showProgress, float progressSpan)
{
    BinaryReader file;
    if (!OpenContainer(file, path, "Error: Binary Texture File Load Open Error %s") || !g_menuTextures)
        return;
    QV7_TextureList& list = *g_menuTextures;
    const int32_t count = ReadRecordCount(file, path);
    ProgressPage progress(showProgress, progressSpan, list.Count(), "Loading menu textures...");
    int next = 0;
    for (int32_t i = 0; i < count && next < list.Count(); ++i)
    {
        ContainerRecord record;
        if (!ReadCountedRecordId(file, path, record) || !ReadRecordBytes(file, path, record))
            return;
        TextureRecord& target = *list.At(next);
        if (uint32_t(record.id) != target.m_CompileId)
            continue;
        if (!target.m_Texture)
        {
            CreateFromRecord(record, D3DFMT_A8R8G8B8, target);
            LogTextureLoaded(target);
        }
        progress.Advance();
        ++next;
    }
}

// ---- the item database's and the race map's lists ----

void QV7_TextureList::LoadBuggyTextures(const std::string& path, const int32_t* ids, int idCount)
{
    QV7_Logger::Log(g_logger, "Info: Loading Buggy Textures");
    BinaryReader file;
    if (!OpenContainer(file, path, "Error: Binary Map Texture File Open Error %s"))
        return;
    int loaded = 0;
    ContainerRecord record;
    while (ReadRecordId(file, path, record) && ReadRecordBytes(file, path, record))
    {
        if (!Contains(ids, idCount, record.id))
            continue;
        TextureRecord* target = Append();
        target->m_CompileId = uint32_t(record.id);
        CreateFromRecord(record, D3DFMT_A8R8G8B8, *target);
        LogTextureLoaded(*target);
        ++loaded;
        if (g_textureList)
            DrawLoadingScreen(g_textureList, int(20.0 / double(idCount) * loaded) + 10, 255.0f, 0);
    }
    QV7_Logger::Log(g_logger, "Info: Buggy Textures Loaded");
}

void QV7_TextureList::LoadMapTextures(const std::string& listPath, const std::string& containerPath,
                                      QV7_MenuManager* progressOwner)
{
    QV7_Logger::Log(g_logger, "Info: Loading Map Textures");
    BinaryReader idFile;
    if (!OpenContainer(idFile, listPath, "Error: Binary Map Texture File LIST Open Error %s"))
        return;
    // The IDs are taken one by one: a count larger than the list keeps the IDs
    // that are there, and their textures load.
    const int32_t idCount = idFile.ReadInt32();
    std::vector<int32_t> ids;
    for (int32_t i = 0; i < idCount && !idFile.Failed(); ++i)
    {
        const int32_t id = idFile.ReadInt32();
        if (!idFile.Failed())
            ids.push_back(id);
    }
    if (idFile.Failed() || idCount < 0)
        QV7_Logger::Log(g_logger, "Error: Texture List File %s is broken after %d IDs", listPath.c_str(),
                        int(ids.size()));

    ProgressPage progress(progressOwner != nullptr, 40.0f, int(ids.size()), "Loading Textures...");
    BinaryReader file;
    if (OpenContainer(file, containerPath, "Error: Binary Map Texture File Open Error %s"))
    {
        ContainerRecord record;
        while (ReadRecordId(file, containerPath, record) && ReadRecordBytes(file, containerPath, record))
        {
            if (!Contains(ids.data(), int(ids.size()), record.id))
                continue;
            TextureRecord* target = Append();
            target->m_CompileId = uint32_t(record.id);
            CreateFromRecord(record, MapTextureFormat(), *target);
            LogTextureLoaded(*target);
            progress.Advance();
        }
    }
    QV7_Logger::Log(g_logger, "Info: Map Textures Loaded");
}

TextureRecord* QV7_TextureList::ReleaseBuggyTextures(TextureRecord* loadingPicture, TextureRecord* minimapPicture,
                                                     TextureRecord* minimapDotPicture)
{
    std::fill(std::begin(m_Kept), std::end(m_Kept), nullptr);
    TextureRecord* const pictures[3] = {loadingPicture, minimapPicture, minimapDotPicture};
    for (TextureRecord* record : m_Records)
    {
        if (record->m_Flag != 1 || std::find(std::begin(pictures), std::end(pictures), record) != std::end(pictures))
            continue;
        record->Release();
    }
    for (int i = 0; i < 3; ++i)
        m_Kept[i] = pictures[i] && m_Records.IndexOf(pictures[i]) >= 0 ? pictures[i] : nullptr;
    return m_Kept[0];
}

void QV7_TextureList::ReloadBuggyTextures(const std::string& path, const int32_t* ids, int idCount)
{
    QV7_Logger::Log(g_logger, "Info: Loading Buggy Textures");
    BinaryReader file;
    if (!OpenContainer(file, path, "Error: Binary Map Texture File Open Error %s"))
        return;
    int next = 0;
    ContainerRecord record;
    while (ReadRecordId(file, path, record) && ReadRecordBytes(file, path, record))
    {
        if (!Contains(ids, idCount, record.id))
            continue;
        // Pairs by position: the list holds the wanted records in file order.
        TextureRecord* target = At(next++);
        if (!target || target->m_Flag != 1 || std::find(std::begin(m_Kept), std::end(m_Kept), target) != std::end(m_Kept))
            continue;
        target->m_CompileId = uint32_t(record.id);
        if (FAILED(CreateFromRecord(record, D3DFMT_A8R8G8B8, *target)))
            QV7_Logger::Log(g_logger, "ERROR: Can't load texture with ID: %d", record.id);
        LogTextureLoaded(*target);
    }
    QV7_Logger::Log(g_logger, "Info: Buggy Textures Loaded");
}

void DeleteBuggyTexture(int32_t id)
{
    if (!g_itemTextures)
        return;
    for (int i = 0; i < g_itemTextures->Count(); ++i)
        if (g_itemTextures->At(i)->m_CompileId == uint32_t(id))
        {
            g_itemTextures->RemoveAt(i);
            return;
        }
}

// ---- the loading screen ----

void DrawLoadingScreen(QV7_TextureList* list, int percent, float alpha, int mode)
{
    if (!list || !g_frameManager || !g_screen2D)
        return;
    PumpFrame();
    g_frameManager->BeginFrame();
    QV7_Screen2D& screen = *g_screen2D;
    screen.Begin2D();
    screen.DrawTexturedRect(0xFFFFFFFF, TextureOf(list->m_LoadingPicture), 0.0f, 0.0f, 1023.0f, 1023.0f);
    const float fill = float(percent) * 0.01f;
    screen.DrawTexturedRectUV(0xFFFFFFFF, TextureOf(list->m_ProgressBar), 204.0f, 327.0f,
                              204.0f + fill * 384.9984f + 1.0f, 344.0f, 0.0f, 0.0f, fill * 0.75195f, 0.52f);
    if (mode == 1)
    {
        IDirect3DTexture9* backdrop = nullptr;
        if (g_menuManager)
        {
            if (const MenuPage* page = g_menuManager->FindPage("ID_MM_BACKGROUND"))
                backdrop = TextureOf(page->m_Background);
        }
        screen.DrawTexturedFade(int(alpha), backdrop);
    }
    else
        screen.DrawFade(int(alpha));
    screen.End2D();
    g_frameManager->EndFrame();
}

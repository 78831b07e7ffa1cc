// The checkpoint system of the loaded map (g_checkpoints while it lives):
// the checkpoints of Map%d.chk in file order with the finish, the two marker
// meshes, the per-frame passing test that counts checkpoints, laps and best
// laps and flags wrong checkpoints, and the drawing of the bobbing markers.
// The race session creates it after the static objects, runs TestPassing and
// Render once a frame and deletes it at the end of the session.
#pragma once

#include "platform/d3dx/D3DXMath.h"
#include "race/CheckpointRecord.h"
#include "shell/QV7_Collection.h"

#include <cstdint>
#include <string>
#include <vector>

class BinaryReader;
class MeshObject;
class QV7_Buggy;
class QV7_TextureList;
struct StartGridPose;

// One drawn copy of the marker effect: two per marker, left and right of it.
struct CheckpointEffectCopy
{
    D3DXVECTOR3 position{0.0f, 0.0f, 0.0f};
    int colourOverride = 0;
    D3DCOLOR colour = 0xFF000000;
};

class QV7_Checkpoint
{
  public:
    static constexpr uint32_t kVertexFormat = 274;
    // Markers float this far over their ground point; the meshes 20 lower.
    static constexpr float kMarkerLift = 500.0f;
    static constexpr float kMeshLift = 480.0f;
    static constexpr float kBobHeight = 20.0f;
    static constexpr float kMarkerScale = 0.45f;
    // How much further than the pass radius a racer may be from a marker.
    static constexpr float kPassMargin = 300.0f;
    static constexpr float kEffectSide = 265.0f;
    static constexpr D3DCOLOR kNextColour = 0xFF3366FF;

    QV7_Checkpoint();
    ~QV7_Checkpoint();
    QV7_Checkpoint(const QV7_Checkpoint&) = delete;
    QV7_Checkpoint& operator=(const QV7_Checkpoint&) = delete;

    // Reads the file; textures resolve the meshes' texture ids (null: none).
    // A missing or broken file, an empty list or a missing finish is logged
    // and throws CDException: a race cannot start or count laps without them.
    void Load(const std::string& path, const QV7_TextureList* textures);
    void Read(BinaryReader& file, const std::string& path, const QV7_TextureList* textures);

    // The frame's passes of every racer (the player's racer first).
    void TestPassing(QV7_Collection<QV7_Buggy>& racers);
    // The frame's drawing, on the frame manager's last frame time.
    void Render();
    void Render(float frameMs);
    // Mesh entry 0 gets the placement its defaults give (the identity).
    void UpdateMeshPlacement();

    // The start grid's pose: the finish's first marker; false without one.
    bool FindStartPose(StartGridPose* pose) const;
    // The same of the loaded checkpoints (g_checkpoints), for the start grid.
    static bool FindLoadedStartPose(StartGridPose* pose);
    // The copies of the marker effect after the last Load or Render.
    const std::vector<CheckpointEffectCopy>& EffectCopies() const { return markerEffectCopies; }
    int IndexOf(const CheckpointRecord* record) const { return checkpoints.IndexOf(record); }

    // Where the passing test's debug lines go; nothing is printed without it.
    static void (*s_ConsolePrint)(const char* text);

    uint32_t vertexFormat = kVertexFormat;
    QV7_Collection<CheckpointRecord> checkpoints;
    float passRadius = 0.0f;
    CheckpointRecord* finish = nullptr;
    QV7_Collection<MeshObject> meshes;
    int32_t debug = 0;
    int32_t hidden = 0;
    // The live "Checkpoint" effect once the effects exist; its copies are kept here.
    void* markerEffect = nullptr;
    std::vector<CheckpointEffectCopy> markerEffectCopies;
    float phase = 0.0f;

  private:
    void ReadCheckpoints(BinaryReader& file, const std::string& path);
    void ReadMesh(BinaryReader& file, int index, const QV7_TextureList* textures);
    void PlaceEffectCopies();
    void Clear();
    // One racer k at marker j of checkpoint i.
    void TestMarker(CheckpointRecord& checkpoint, int i, const CheckpointMarker& marker, int j,
                    QV7_Buggy& racer, int k);
    void Print(const char* format, int a, int b) const;
    void UpdateEffectCopies();
    void SetRenderStates() const;
    void DrawMarkers();
    void DrawFinish();
    void DrawDebugBoxes() const;
    // The player's racer of the last TestPassing.
    const QV7_Buggy* playerRacer = nullptr;
};

extern QV7_Checkpoint* g_checkpoints;
